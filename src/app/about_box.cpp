#include "app/about_box.h"

#include <QDesktopServices>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>

namespace velmora {

namespace {

// The logo: a magnified glyph cell grid beside the program's name.
QPixmap logo()
{
    QPixmap picture(220, 68);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    // An 8 x 8 "V" of filled cells, as the edit grid shows a glyph.
    static const uint8_t rows[8] = {0x81, 0x81, 0x42, 0x42, 0x24, 0x24, 0x18, 0x00};
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) {
            const QRect cell(6 + c * 7, 6 + r * 7, 6, 6);
            p.fillRect(cell, (rows[r] >> (7 - c)) & 1 ? QColor(0x20, 0x30, 0x60) : QColor(0xC8, 0xC8, 0xD8));
        }
    p.setRenderHint(QPainter::Antialiasing);
    QFont title(QStringLiteral("Sans Serif"), 20, QFont::Bold);
    p.setFont(title);
    p.setPen(QColor(0x20, 0x30, 0x60));
    p.drawText(QRect(68, 4, 150, 36), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Velmora"));
    QFont sub(QStringLiteral("Sans Serif"), 9);
    p.setFont(sub);
    p.setPen(QColor(0x60, 0x60, 0x70));
    p.drawText(QRect(70, 40, 150, 20), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("CE  glyph editor"));
    return picture;
}

} // namespace

std::function<void(const QUrl &)> TAboutBox::openLink = [](const QUrl &url) { QDesktopServices::openUrl(url); };

QUrl TAboutBox::mailLink()
{
    return QUrl(QStringLiteral("mailto:%1?subject=Velmora%20CE%203.6").arg(QLatin1String(contactAddress)));
}

TAboutBox::TAboutBox(QWidget *parent) : QWidget(parent, Qt::Tool)
{
    setObjectName(QStringLiteral("AboutBox"));
    setFixedSize(248, 215);
    setWindowTitle(QString());

    auto *frame = new QFrame(this);
    frame->setObjectName(QStringLiteral("Panel1"));
    frame->setGeometry(4, 4, 241, 85);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    QPalette panelColour = frame->palette();
    panelColour.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE8)); // 0x00E8E0E0 as BGR
    frame->setPalette(panelColour);
    frame->setAutoFillBackground(true);

    auto *icon = new QLabel(frame);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setGeometry(10, 8, 220, 68);
    icon->setPixmap(logo());
    icon->setAccessibleName(QStringLiteral("Velmora CE logo"));

    auto *version = new QLabel(QStringLiteral("Version: 3.6\n\nVelmora CE developers\n\n%1").arg(QLatin1String(contactAddress)),
                               this);
    version->setObjectName(QStringLiteral("Label2"));
    version->setAlignment(Qt::AlignCenter);
    version->setWordWrap(true);
    version->setGeometry(5, 94, 238, 75);
    version->setCursor(Qt::PointingHandCursor);
    version->setToolTip(QStringLiteral("Write to the developers"));
    version->installEventFilter(this);

    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setGeometry(88, 184, 73, 25);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QWidget::hide);
}

void TAboutBox::keyPressEvent(QKeyEvent *event)
{
    // Enter presses the default button "OK" wherever the focus is.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        findChild<QPushButton *>(QStringLiteral("Button1"))->click();
        return;
    }
    QWidget::keyPressEvent(event);
}

void TAboutBox::Label2Click() { openLink(mailLink()); }

bool TAboutBox::eventFilter(QObject *watched, QEvent *event)
{
    if (watched->objectName() == QLatin1String("Label2") && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        Label2Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace velmora
