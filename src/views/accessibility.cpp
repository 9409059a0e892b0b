#include "views/accessibility.h"

#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>

#include "model/text_format.h"
#include "views/canvas_widget.h"
#include "views/editor.h"
#include "views/row_offsets.h"

namespace velmora {

namespace {

class RowOffsetsAccessible;

// One row of the row-offset column.
class RowAccessible : public QAccessibleInterface {
public:
    RowAccessible(RowOffsetsAccessible *column, int row) : column_(column), row_(row) {}
    bool isValid() const override { return true; }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override;
    QAccessibleInterface *parent() const override;
    QAccessibleInterface *child(int) const override { return nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    void setText(QAccessible::Text, const QString &) override {}
    QRect rect() const override;
    QAccessible::Role role() const override { return QAccessible::ListItem; }
    QAccessible::State state() const override { return {}; }

private:
    RowOffsetsAccessible *column_;
    int row_;
};

class RowOffsetsAccessible : public QAccessibleWidget {
public:
    explicit RowOffsetsAccessible(RowOffsets *widget) : QAccessibleWidget(widget, QAccessible::List)
    {
        for (int r = 0; r < RowOffsets::rowCount; ++r) {
            auto *row = new RowAccessible(this, r);
            QAccessible::registerAccessibleInterface(row);
            rows_.push_back(row);
        }
    }
    ~RowOffsetsAccessible() override
    {
        for (RowAccessible *row : rows_)
            QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(row));
    }
    RowOffsets *column() const { return static_cast<RowOffsets *>(widget()); }
    int childCount() const override { return RowOffsets::rowCount; }
    QAccessibleInterface *child(int index) const override
    {
        return index >= 0 && index < RowOffsets::rowCount ? rows_[static_cast<size_t>(index)] : nullptr;
    }
    int indexOfChild(const QAccessibleInterface *child) const override
    {
        for (size_t i = 0; i < rows_.size(); ++i)
            if (rows_[i] == child)
                return static_cast<int>(i);
        return -1;
    }
    QAccessibleInterface *childAt(int x, int y) const override
    {
        for (RowAccessible *row : rows_)
            if (row->rect().contains(x, y))
                return row;
        return nullptr;
    }

private:
    std::vector<RowAccessible *> rows_;
};

QWindow *RowAccessible::window() const { return column_->window(); }
QAccessibleInterface *RowAccessible::parent() const { return column_; }
QString RowAccessible::text(QAccessible::Text t) const
{
    return t == QAccessible::Name ? column_->column()->rowText(row_) : QString();
}
QRect RowAccessible::rect() const
{
    const RowOffsets *w = column_->column();
    const QRect local = w->rowRect(row_);
    return QRect(w->mapToGlobal(local.topLeft()), local.size());
}

QAccessibleInterface *accessibleFactory(const QString &, QObject *object)
{
    if (auto *rows = qobject_cast<RowOffsets *>(object))
        return new RowOffsetsAccessible(rows);
    return nullptr;
}

QString formatName(const EditorState &s)
{
    QString text = QStringLiteral("%1x%2").arg(s.charWidth).arg(s.charHeight);
    static const char *const names[flagCount] = {"true char image", "hidden width bytes", "computed width",
                                                 "spare byte skipped", "bytes swapped"};
    for (int f = 0; f < flagCount; ++f)
        if (s.flag(static_cast<Flag>(f)))
            text += QStringLiteral(", ") + QLatin1String(names[f]);
    return text;
}

} // namespace

void installAccessibility()
{
    static bool installed = false;
    if (!installed)
        QAccessible::installFactory(accessibleFactory);
    installed = true;
}

void describeViews(Editor &e)
{
    const EditorState &s = e.state;
    const QString glyph = QString::fromStdString(hex8(s.glyphOffset));
    const QString format = formatName(s);
    e.ui.Img->setAccessibleDescription(QStringLiteral("Glyph at %1 in %2, enlarged for editing").arg(glyph, format));
    e.ui.ImgReel->setAccessibleDescription(QStringLiteral("Glyph at %1 at true size").arg(glyph));
    e.ui.MemImg->setAccessibleDescription(QStringLiteral("32 characters from %1 in %2")
                                              .arg(QString::fromStdString(hex8(s.viewOffset)), format));
}

} // namespace velmora
