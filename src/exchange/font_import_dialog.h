#pragma once
#include <QDialog>

#include "exchange/glyph_sheet.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace velmora {

struct Editor;

// The preview of characters as they will be stored at the view offset: each
// a thumbnail drawn as the memory overview draws one, zoomed twice, 16 a row
// on a grey lattice; at most 64 are shown.
QImage storedGlyphsPreview(const EditorState &state, const SheetGlyphs &glyphs, bool computeWidths);

// "Glyphs from font...": renders characters of an installed font or a font
// file into the current format and writes them from the view offset on.
class FontImportDialog : public QDialog {
    Q_OBJECT
public:
    FontImportDialog(QWidget *parent, Editor &editor);

    // How many characters the settings give that fit the image from the view offset.
    int charsToWrite() const;
    // Where the first character goes: its code's glyph when the current
    // font's map is set (Unicode codes), else the view offset.
    int64_t importStart() const;
    // The first limit of those characters, in the editor's current format.
    SheetGlyphs renderedGlyphs(int limit) const;
    // Renders again, shows the preview and how many characters will be written.
    void updatePreview();

protected:
    void showEvent(QShowEvent *event) override;
    bool event(QEvent *event) override;

private:
    void chooseFontFile();
    void write();
    // "Characters: from the map": each glyph of the current font gets the character its code names.
    void updateMapPreview();
    void writeByMap();

    Editor &editor_;
    QComboBox *family_;
    QPushButton *fileButton_;
    QSpinBox *pixelSize_;
    QLineEdit *firstChar_;
    QSpinBox *count_;
    QSpinBox *verticalOffset_;
    QCheckBox *byMap_;
    QLabel *preview_;
    QLabel *writeCount_;
    QPushButton *write_;
};

// The handler of "Glyphs from font...": shows the dialog.
void ImportFont1Click(Editor &editor);

} // namespace velmora
