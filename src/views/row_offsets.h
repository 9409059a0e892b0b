#pragma once
#include <array>

#include <QHash>
#include <QImage>
#include <QWidget>

namespace velmora {

// The row-offset column: one column of 17 text rows at an 18-pixel pitch
// (16 pixels of row and a 2-pixel line), lined up with the edit grid's rows.
// Every click on a row is reported, also a second click on the same row.
// It changes on every re-read, so each row is composed on a persistent canvas
// from pre-rendered characters of the fixed-pitch font, and painting only
// copies the canvas.
class RowOffsets : public QWidget {
    Q_OBJECT
public:
    static constexpr int rowCount = 17;
    static constexpr int pitch = 18;

    explicit RowOffsets(const QString &name, QWidget *parent = nullptr);

    // Sets rows first, first + 1, ... and marks the rows that changed as one
    // rectangle: a region of many row rectangles paints several times slower.
    void setRowTexts(int first, const QStringList &texts);
    QString rowText(int row) const;
    QRect rowRect(int row) const;

signals:
    void rowClicked(int row);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    const QImage &glyph(QChar ch);
    void drawRow(int row);

    std::array<QString, rowCount> rows_;
    QImage canvas_;
    QHash<QChar, QImage> glyphs_;
    int advance_ = 0;
};

} // namespace velmora
