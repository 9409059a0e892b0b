#include "views/hex_entry.h"

#include <QKeyEvent>

namespace velmora {

HexEntry::HexEntry(const QString &name, bool upperCase, QWidget *parent) : QLineEdit(parent)
{
    setObjectName(name);
    // N: a letter or digit is required in each of the eight places.
    setInputMask(upperCase ? QStringLiteral(">NNNNNNNN;_") : QStringLiteral("NNNNNNNN;_"));
}

QString HexEntry::maskedText() const
{
    return displayText();
}

void HexEntry::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        emit enterPressed();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

} // namespace velmora
