#include "app/error_box.h"

#include <QMessageBox>

#include "model/errors.h"

namespace velmora {

void showErrorBox(QWidget *parent, const std::string &message)
{
    QMessageBox box(QMessageBox::Critical, QString::fromUtf8(applicationTitle),
                    QString::fromStdString(withFullStop(message)), QMessageBox::Ok, parent);
    box.setObjectName(QStringLiteral("ErrorBox"));
    box.exec();
}

} // namespace velmora
