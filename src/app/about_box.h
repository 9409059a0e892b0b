#pragma once
#include <functional>

#include <QUrl>
#include <QWidget>

namespace velmora {

// The small modeless about window, created hidden at start-up.
class TAboutBox : public QWidget {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);

    static constexpr const char *contactAddress = "velmora-ce@example.org";
    static QUrl mailLink();
    // Hands a link to the desktop; tests replace it to see the link.
    static std::function<void(const QUrl &)> openLink;

    // A click on the version text: the mail link, whatever the desktop makes of it.
    void Label2Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
};

} // namespace velmora
