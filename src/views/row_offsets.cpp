#include "views/row_offsets.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "views/canvas_pixels.h"

namespace velmora {

namespace {
const QColor background(0x80, 0x80, 0x80);
const QColor line(0xC0, 0xC0, 0xC0);
} // namespace

RowOffsets::RowOffsets(const QString &name, QWidget *parent) : QWidget(parent)
{
    setObjectName(name);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
    QFont fixed(QStringLiteral("monospace"));
    fixed.setStyleHint(QFont::TypeWriter);
    fixed.setPixelSize(11);
    fixed.setBold(true);
    setFont(fixed);
    advance_ = QFontMetrics(fixed).horizontalAdvance(QLatin1Char('0'));
}

const QImage &RowOffsets::glyph(QChar ch)
{
    auto found = glyphs_.constFind(ch);
    if (found != glyphs_.constEnd())
        return *found;
    QImage image(advance_, pitch - 2, QImage::Format_RGB32);
    image.fill(background);
    QPainter painter(&image);
    painter.setFont(font());
    painter.setPen(Qt::white);
    painter.drawText(image.rect(), Qt::AlignCenter, QString(ch));
    return *glyphs_.insert(ch, image);
}

void RowOffsets::setRowTexts(int first, const QStringList &texts)
{
    QRect changed;
    for (int i = 0; i < texts.size(); ++i) {
        const int row = first + i;
        if (row < 0 || row >= rowCount || rows_[static_cast<size_t>(row)] == texts[i])
            continue;
        rows_[static_cast<size_t>(row)] = texts[i];
        drawRow(row);
        changed |= rowRect(row);
    }
    if (!changed.isEmpty())
        update(changed);
}

QString RowOffsets::rowText(int row) const
{
    return row >= 0 && row < rowCount ? rows_[static_cast<size_t>(row)] : QString();
}

QRect RowOffsets::rowRect(int row) const
{
    return QRect(0, row * pitch, width(), pitch - 2);
}

// Copies the row's characters, centred, onto the canvas scan line by scan line.
void RowOffsets::drawRow(int row)
{
    const QRect cell = rowRect(row).intersected(canvas_.rect());
    if (cell.isEmpty())
        return;
    const pixels::Rows rows(canvas_);
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        std::fill(rows[y], rows[y] + canvas_.width(), background.rgb());
    const QString &text = rows_[static_cast<size_t>(row)];
    int x = (cell.width() - advance_ * static_cast<int>(text.size())) / 2;
    for (QChar ch : text) {
        const QImage &image = glyph(ch);
        const int left = std::max(x, 0);
        const int right = std::min(x + advance_, canvas_.width());
        const int height = std::min(image.height(), cell.height());
        for (int y = 0; y < height && left < right; ++y) {
            const auto *from = reinterpret_cast<const QRgb *>(image.constScanLine(y)) + (left - x);
            std::copy(from, from + (right - left), rows[cell.top() + y] + left);
        }
        x += advance_;
    }
}

void RowOffsets::resizeEvent(QResizeEvent *)
{
    canvas_ = QImage(size(), QImage::Format_RGB32);
    canvas_.fill(line);
    for (int row = 0; row < rowCount; ++row)
        drawRow(row);
}

void RowOffsets::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

void RowOffsets::mousePressEvent(QMouseEvent *event)
{
    const int row = static_cast<int>(event->position().y()) / pitch;
    if (event->button() == Qt::LeftButton && row >= 0 && row < rowCount)
        emit rowClicked(row);
}

} // namespace velmora
