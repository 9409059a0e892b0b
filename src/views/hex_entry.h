#pragma once
#include <QLineEdit>

namespace velmora {

// An eight-character masked address field. Enter is reported whatever the
// state of the mask (Qt only reports a complete entry on its own).
class HexEntry : public QLineEdit {
    Q_OBJECT
public:
    HexEntry(const QString &name, bool upperCase, QWidget *parent = nullptr);

    // The text as the conversion sees it: every position, "_" where empty.
    QString maskedText() const;

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Sets a field's text only when it changes: a line edit lays its text out
// again on every setText, even an unchanged one, and the refresh and every
// painted cell set them.
inline void showText(QLineEdit *field, const QString &text)
{
    if (field->text() != text)
        field->setText(text);
}

} // namespace velmora
