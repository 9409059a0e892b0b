#pragma once
#include <QDialog>
#include <QImage>

#include "characters/text_rendering.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace velmora {

struct Editor;
class CanvasWidget;

// "Text preview...": the user's text in a font of the image, as the image
// and the glyph being edited (with its unwritten edits) hold it now. It
// follows every refresh of the main window while it is shown.
class TextPreviewDialog : public QDialog {
    Q_OBJECT
public:
    TextPreviewDialog(QWidget *parent, Editor &editor);

    // Renders the text again and shows it with the status.
    void refresh();
    const TextRendering &rendering() const { return rendering_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void paintCanvas();
    void showStatus(const std::string &tableError);
    void canvasPressed(Qt::MouseButton button, QPoint position);
    void loadTable();
    void resetMap();

    Editor &editor_;
    QPlainTextEdit *sampleText_;
    CanvasWidget *canvas_;
    QSpinBox *zoom_;
    QSpinBox *gap_;
    QSpinBox *screenWidth_;
    QLineEdit *glyphChar_;
    QLineEdit *alphabet_;
    QLineEdit *firstCode_;
    QPushButton *resetMap_;
    QLabel *status_;
    TextRendering rendering_;
    FontMap shownMap_;
};

// The handler of "Text preview...": shows the window, or brings it to the front.
void TextPreview1Click(Editor &editor);

} // namespace velmora
