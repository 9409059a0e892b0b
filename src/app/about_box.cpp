#include "app/about_box.h"

#include <QLabel>
#include <QPushButton>

namespace velmora {

TAboutBox::TAboutBox(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(248, 215);
    setWindowTitle(QString());

    auto *version = new QLabel(QStringLiteral("Version: 3.6\n\nVelmora CE developers\n\nvelmora-ce@example.org"), this);
    version->setObjectName(QStringLiteral("Label2"));
    version->setAlignment(Qt::AlignCenter);
    version->setWordWrap(true);
    version->setGeometry(5, 94, 238, 75);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(88, 184, 73, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
}

} // namespace velmora
