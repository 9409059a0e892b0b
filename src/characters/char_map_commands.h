#pragma once
#include <map>
#include <optional>
#include <string>

#include <QObject>

#include "characters/char_map.h"
#include "characters/char_table.h"

namespace velmora {

struct Editor;

// The character maps of the open image, kept in a small text file beside it
// (the image's name with ".chars" added). The file is read when another image
// is opened and written when a map changes; nothing else is touched. A file
// that cannot be read is reported once and left out.
class CharMapStore : public QObject {
    Q_OBJECT
public:
    // The store of the editor's window, made on first use.
    static CharMapStore &of(Editor &editor);

    // The map of the current font: the one governing G in the current
    // format, else the known font holding G (a preset, a plug-in button, a
    // found font) from its start, else the view offset; code 0x20 first.
    FontMap activeMap() const;
    // Where activeMap() starts when no map is set: "preset B", "plug-in
    // button 2", "found font 3" or "view offset"; empty for a set map.
    std::string activeSource() const;
    // True when the user set the map activeMap() returns.
    bool activeIsSet() const;
    // Sets a font's map and writes the map file.
    void setMap(const FontMap &map);
    // Puts map in the place of the set map governing G (it may start
    // elsewhere), or adds it when none does; writes the map file.
    void replaceActiveMap(const FontMap &map);
    // Removes the set map governing G and writes the map file; false when none does.
    bool removeActiveMap();
    // Reads the table file at path (throws EditorError, taking nothing, when
    // it cannot be read) and makes it the current font's table; a set map
    // keeps it in its file.
    void loadTable(const std::string &path);
    // The current font has no table any more.
    void clearTable();
    // The table of the current font, read once per path; nothing for no table
    // or one that cannot be read (error() then names why).
    const CharTable *activeTable(std::string *error = nullptr);

    const CharMaps &maps() const { return maps_; }
    static std::string mapFilePath(const std::string &imagePath);

private:
    CharMapStore(Editor &editor, QObject *parent);
    void followImage();
    void load();
    void save() const;
    void setActiveTable(const std::string &path);

    Editor &editor_;
    CharMaps maps_;
    std::optional<std::string> loadedFor_;
    bool unreadableFile_ = false; // the image's map file could not be read: it is never written over
    std::string defaultTable_; // the table chosen before the current font has a map
    std::map<std::string, CharTable> tables_;
    std::map<std::string, std::string> tableErrors_;
};

// The format the editor shows now, as a font map names it.
GlyphFormat currentGlyphFormat(const Editor &editor);

// Reads and parses a table file; throws EditorError with the file's name and the line.
CharTable readTableFile(const std::string &path);

// Goes to the glyph at offset as a click on its overview cell does: a glyph
// on the page is framed; one off the page brings its page into view when the
// font's map is set (with the view offset as the font's start, G moves alone).
void goToGlyph(Editor &editor, int64_t offset);

// "This glyph is": the glyph at G gets the code of text as its label; every
// other glyph keeps its character (without a map, the font as the preview
// shows it becomes the map).
void setGlyphCharacter(Editor &editor, const std::u32string &text);
// The current font starts at G, its first code and labels kept.
void setFontStart(Editor &editor);
// The current font's first glyph gets code (up to 10FFFF).
void setFirstCode(Editor &editor, uint32_t code);
// The current font has no map any more: no labels, start or first code.
void resetMap(Editor &editor);

} // namespace velmora
