#include <QApplication>

#include "app/error_box.h"
#include "app/main_window.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velmora::applicationTitle));
    velmora::TForm1 window;
    window.show();
    return QApplication::exec();
}
