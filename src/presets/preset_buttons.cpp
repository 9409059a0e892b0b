#include "presets/preset_buttons.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>

#include "storage/file_access.h"
#include "model/text_format.h"
#include "presets/info_label.h"
#include "presets/format_controls.h"
#include "views/edit_grid.h"
#include "views/editor.h"
#include "views/refresh.h"

namespace velmora {

namespace {

// Settings and plug-in files are single-byte text.
QString fromFileText(const std::string &text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

// Shows the button texts however the load ends, so that presets taken before
// a failing field are visible with the error box.
struct ShowButtonsOnExit {
    Editor &editor;
    ~ShowButtonsOnExit() { showPresetButtons(editor); }
};

} // namespace

void clearPresets(Editor &e)
{
    e.state.presetButtons.captions.fill("-");
    showPresetButtons(e);
    setInfoColour(e, std::nullopt);
}

void showPresetButtons(Editor &e)
{
    for (size_t n = 0; n < e.ui.presetButtons.size(); ++n) {
        QPushButton *button = e.ui.presetButtons[n];
        const QString hint = fromFileText(e.state.presetButtons.hints[n]);
        button->setText(fromFileText(e.state.presetButtons.captions[n]));
        button->setToolTip(hint);
        button->setAccessibleName(hint.isEmpty() ? QStringLiteral("Preset %1").arg(n + 1) : hint);
    }
}

void loadSettingsFile(Editor &e, const QString &path, SettingsMode mode)
{
    const std::vector<uint8_t> bytes = readWholeFile(path);
    const std::string_view text(reinterpret_cast<const char *>(bytes.data()), bytes.size());
    SettingsOutcome outcome;
    {
        const ShowButtonsOnExit show{e};
        outcome = loadSettings(text, mode, e.state);
    }
    if (outcome.taken)
        e.state.presetsFromPlugin = mode == SettingsMode::Plugin;
    if (mode == SettingsMode::Plugin && outcome.taken) {
        e.ui.LbNfo->setText(fromFileText(outcome.title));
        setInfoColour(e, colours::pluginInfo);
    }
}

void searchSettings(Editor &e)
{
    const QString path = QDir(QString::fromStdString(e.state.programDirectory)).filePath(QStringLiteral("velmora.ini"));
    loadSettingsFile(e, path, SettingsMode::Search);
}

void applyPreset(Editor &e, const Preset &preset)
{
    EditorState &s = e.state;
    s.viewOffset = presetViewOffset(s, preset);
    if (const auto format = parseFormatText(preset.format)) {
        applyGlyphFormat(e, *format);
        return;
    }
    applyFormat(e, preset.charWidth, preset.charHeight);
    applyFlagString(s, preset.flags);
    showFlags(e);
}

void bt1Click(Editor &e, const QPushButton *button)
{
    // "bt1" .. "bt12": the number after "bt" is the preset's.
    const int n = static_cast<int>(strToInt(button->objectName().mid(2, 2).toStdString()));
    if (n < 1 || n > presetCount || !e.state.presetButtons.acts(n - 1))
        return;
    applyPreset(e, e.state.presetTable.presets[static_cast<size_t>(n - 1)]);
    // The preset's flags are set after the format's re-read: decode again with them.
    drawGridFrame(e);
    readAtOffset(e);
}

void PLoadClick(Editor &e)
{
    QFileDialog &dialog = *e.ui.OVLP;
    // The dialog starts in the plug-in folder each time, wherever the user went before.
    dialog.setDirectory(pluginFolder(e));
    if (!e.runDialog(dialog))
        return;
    const QString path = dialog.selectedFiles().value(0);
    if (fileExists(path))
        loadSettingsFile(e, path, SettingsMode::Plugin);
}

QString pluginFolder(const Editor &e)
{
    return QDir(QString::fromStdString(e.state.programDirectory)).absoluteFilePath(QStringLiteral("plugins"));
}

} // namespace velmora
