#include "characters/char_map_commands.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMainWindow>
#include <QSaveFile>
#include <QTimer>

#include "characters/text_rendering.h"
#include "characters/utf8_text.h"
#include "model/errors.h"
#include "model/format.h"
#include "views/edit_grid.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/memory_overview.h"
#include "views/refresh.h"

namespace velmora {

namespace {

// Map and table files are a few kilobytes; anything far larger is not one.
constexpr qint64 largestTextFile = 16 * 1024 * 1024;

std::string readTextFile(const std::string &path, const char *what)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly))
        throw EditorError(std::string(what) + " '" + path + "' cannot be opened: " + file.errorString().toStdString());
    if (file.size() > largestTextFile)
        throw EditorError(std::string(what) + " '" + path + "' is too large");
    const QByteArray bytes = file.readAll();
    return bytes.toStdString();
}

} // namespace

GlyphFormat currentGlyphFormat(const Editor &e) { return glyphFormatOf(e.state); }

CharTable readTableFile(const std::string &path)
{
    const std::string text = readTextFile(path, "The table");
    try {
        return parseCharTable(text);
    } catch (const EditorError &e) {
        throw EditorError("'" + path + "': " + e.what());
    }
}

std::string CharMapStore::mapFilePath(const std::string &imagePath) { return imagePath + ".chars"; }

CharMapStore &CharMapStore::of(Editor &editor)
{
    QObject *window = editor.ui.Form1;
    if (auto *store = window->findChild<CharMapStore *>(QStringLiteral("CharMapStore"), Qt::FindDirectChildrenOnly))
        return *store;
    return *new CharMapStore(editor, window);
}

CharMapStore::CharMapStore(Editor &editor, QObject *parent) : QObject(parent), editor_(editor)
{
    setObjectName(QStringLiteral("CharMapStore"));
    editor.refreshObservers.push_back([this](Editor &) { followImage(); });
    followImage();
}

void CharMapStore::followImage()
{
    if (loadedFor_ != editor_.state.fileName)
        load();
}

void CharMapStore::load()
{
    loadedFor_ = editor_.state.fileName;
    unreadableFile_ = false;
    maps_ = {};
    defaultTable_.clear();
    if (loadedFor_->empty())
        return;
    const std::string path = mapFilePath(*loadedFor_);
    if (!QFileInfo::exists(QString::fromStdString(path)))
        return;
    try {
        maps_ = parseCharMaps(readTextFile(path, "The character map"));
    } catch (const EditorError &error) {
        unreadableFile_ = true;
        // Reported once, after the handler that opened the image has ended;
        // the image stays open without maps.
        const std::string message = std::string(error.what()) + " (" + path + "); the map is not used";
        QTimer::singleShot(0, this, [this, message] {
            if (editor_.run)
                editor_.run([message](Editor &) { throw EditorError(message); });
        });
    }
}

void CharMapStore::save() const
{
    const std::string &image = editor_.state.fileName;
    // Only an image read from a file has a place for its map.
    if (!QFileInfo(QString::fromStdString(image)).isFile())
        return;
    const std::string path = mapFilePath(image);
    if (unreadableFile_)
        throw EditorError("The character map '" + path
                          + "' could not be read and is left as it is; the map is kept until another image is opened");
    QSaveFile file(QString::fromStdString(path));
    const std::string text = serialiseCharMaps(maps_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.data(), static_cast<qint64>(text.size())) != qint64(text.size())
        || !file.commit())
        throw EditorError("The character map '" + path + "' cannot be written: " + file.errorString().toStdString());
}

FontMap CharMapStore::activeMap() const
{
    const GlyphFormat format = currentGlyphFormat(editor_);
    if (const FontMap *set = maps_.governing(format, editor_.state.glyphOffset))
        return *set;
    if (const auto known = knownFontHolding(editor_.state, format, editor_.state.glyphOffset))
        return {known->start, format, 0x20, defaultTable_, {}};
    return {editor_.state.viewOffset, format, 0x20, defaultTable_, {}};
}

std::string CharMapStore::activeSource() const
{
    const GlyphFormat format = currentGlyphFormat(editor_);
    if (activeIsSet())
        return {};
    if (const auto known = knownFontHolding(editor_.state, format, editor_.state.glyphOffset))
        return known->source;
    return "view offset";
}

bool CharMapStore::activeIsSet() const
{
    return maps_.governing(currentGlyphFormat(editor_), editor_.state.glyphOffset) != nullptr;
}

void CharMapStore::setMap(const FontMap &map)
{
    maps_.set(map);
    save();
}

void CharMapStore::replaceActiveMap(const FontMap &map)
{
    if (const FontMap *set = maps_.governing(currentGlyphFormat(editor_), editor_.state.glyphOffset))
        maps_.remove(set->start, set->format);
    setMap(map);
}

bool CharMapStore::removeActiveMap()
{
    const FontMap *set = maps_.governing(currentGlyphFormat(editor_), editor_.state.glyphOffset);
    if (!set)
        return false;
    maps_.remove(set->start, set->format);
    save();
    return true;
}

void CharMapStore::setActiveTable(const std::string &path)
{
    if (const FontMap *set = maps_.governing(currentGlyphFormat(editor_), editor_.state.glyphOffset)) {
        FontMap changed = *set;
        changed.table = path;
        setMap(changed);
    } else {
        defaultTable_ = path;
    }
}

void CharMapStore::loadTable(const std::string &path)
{
    CharTable table = readTableFile(path);
    tables_.insert_or_assign(path, std::move(table));
    tableErrors_.erase(path);
    setActiveTable(path);
}

void CharMapStore::clearTable() { setActiveTable({}); }

const CharTable *CharMapStore::activeTable(std::string *error)
{
    std::string path = activeMap().table;
    if (path.empty())
        return nullptr;
    // A path written by hand into the map file is taken from the image's folder.
    const QString named = QString::fromStdString(path);
    if (QFileInfo(named).isRelative())
        path = QFileInfo(QString::fromStdString(editor_.state.fileName)).dir().filePath(named).toStdString();
    if (!tables_.contains(path) && !tableErrors_.contains(path)) {
        try {
            tables_.emplace(path, readTableFile(path));
        } catch (const EditorError &e) {
            tableErrors_.emplace(path, e.what());
        }
    }
    if (const auto found = tables_.find(path); found != tables_.end())
        return &found->second;
    if (error)
        *error = tableErrors_.at(path);
    return nullptr;
}

void goToGlyph(Editor &e, int64_t offset)
{
    EditorState &s = e.state;
    if (offset < 0 || offset > INT32_MAX)
        return;
    const int step = charStep(s);
    const int64_t distance = offset - s.viewOffset;
    int cell = 0;
    if (distance >= 0 && distance % step == 0 && distance / step < 32) {
        cell = static_cast<int>(distance / step);
    } else if (CharMapStore::of(e).activeIsSet()) {
        // The page starting at the glyph, moved back by whole characters
        // while it would reach past the image end.
        while (cell < 31 && offset - int64_t{cell} * step + pageStep(s) > s.imageLength()
               && offset - int64_t{cell + 1} * step >= 0)
            ++cell;
        s.viewOffset = static_cast<int32_t>(offset - int64_t{cell} * step);
    }
    s.glyphOffset = static_cast<int32_t>(offset);
    drawOverviewLattice(e.ui.MemImg->canvas(), cell);
    drawGridFrame(e);
    readAtOffset(e);
}

void setGlyphCharacter(Editor &e, const std::u32string &text)
{
    CharMapStore &store = CharMapStore::of(e);
    std::string tableError;
    const CharTable *table = store.activeTable(&tableError);
    if (!tableError.empty())
        throw EditorError(tableError);
    if (text.empty())
        throw EditorError("Type the character this glyph shows first");
    const auto code = codeOfText(text, table);
    if (!code)
        throw EditorError("'" + encodeUtf8(text) + (table ? "' is not in the table" : "' is not one character"));
    // Without a map the font as the preview shows it becomes the map, so that
    // every other glyph keeps the character it has now.
    FontMap map = store.activeMap();
    map.start = std::min<int64_t>(map.start, e.state.glyphOffset);
    labelGlyph(map, e.state.glyphOffset, *code);
    store.setMap(map);
    notifyRefreshObservers(e);
}

void setFontStart(Editor &e)
{
    CharMapStore &store = CharMapStore::of(e);
    FontMap map = store.activeMap();
    map.start = e.state.glyphOffset;
    store.replaceActiveMap(map);
    notifyRefreshObservers(e);
}

void setFirstCode(Editor &e, uint32_t code)
{
    if (code > 0x10FFFF)
        throw EditorError("A first code goes up to 10FFFF");
    CharMapStore &store = CharMapStore::of(e);
    FontMap map = store.activeMap();
    map.firstCode = code;
    store.setMap(map);
    notifyRefreshObservers(e);
}

void resetMap(Editor &e)
{
    if (CharMapStore::of(e).removeActiveMap())
        notifyRefreshObservers(e);
}

} // namespace velmora
