#pragma once
#include <memory>
#include <vector>

#include <QDialog>
#include <QFutureWatcher>
#include <QImage>

#include "finder/font_scan.h"

class QCheckBox;
class QFileDialog;
class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace velmora {

struct Editor;

// How the strip of a found font colours its thumbnails: as the memory
// overview would after going to the font.
struct StripStyle {
    bool hideWidthBytes = false;
    bool trueCharImage = false;
    int64_t blockStart = 0;
    int64_t blockEnd = -1;
};

// The first chars characters of a font, each a 16 x 16 thumbnail drawn as the
// overview draws one, zoomed, one grey pixel column between them.
QImage fontStrip(std::span<const uint8_t> image, const FontCandidate &font, const StripStyle &style, int chars, int zoom);

// Goes to a found font as a preset does: its flags, its first character as
// view offset, its format, then the re-read.
void goToFont(Editor &editor, const FontCandidate &font);

// "Find fonts...": scans the image for font tables in the background and
// lists them, best first. A row goes to its font; "Save all as plug-in..."
// keeps the first twelve fonts as the presets of a plug-in file, "Save
// selected as plug-in..." the selected ones.
class FindFontsDialog : public QDialog {
    Q_OBJECT
public:
    FindFontsDialog(QWidget *parent, Editor &editor);
    ~FindFontsDialog() override;

    // Scans a copy of the image as it is now; a scan still running is stopped first.
    void startScan();
    bool scanning() const;
    const std::vector<FontCandidate> &candidates() const { return candidates_; }

signals:
    void scanFinished();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showResult();
    void cancelScan();
    // Starts a new scan when the editor holds another image than the one
    // scanned (opened or new since); true when it did.
    bool rescanIfImageReplaced();
    void goToRow(QTreeWidgetItem *item);
    void savePlugin();
    std::vector<FontCandidate> chosenFonts() const;

    Editor &editor_;
    QTreeWidget *list_;
    QProgressBar *progress_;
    QLabel *status_;
    QPushButton *go_;
    QPushButton *save_;
    QPushButton *cancel_;
    QPushButton *rescan_;
    QCheckBox *layouts_;
    QFileDialog *saveDialog_;
    bool pluginFolderSet_ = false;
    QFutureWatcher<FontScanResult> watcher_;
    std::shared_ptr<const std::vector<uint8_t>> scanned_; // the image as the scan saw it
    std::string scannedName_;
    std::vector<FontCandidate> candidates_;
};

// The handler of "Find fonts...": shows the dialog and starts a scan.
void FindFontsClick(Editor &editor);

} // namespace velmora
