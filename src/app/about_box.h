#pragma once
#include <QWidget>

namespace velmora {

// The small modeless about window, created hidden at start-up.
class TAboutBox : public QWidget {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget *parent = nullptr);
};

} // namespace velmora
