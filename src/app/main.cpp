#include <QApplication>
#include <QCommandLineParser>

#include "app/error_box.h"
#include "app/main_window.h"

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QString::fromUtf8(velmora::applicationTitle));
    QApplication::setApplicationVersion(QStringLiteral("3.6"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for character bitmaps inside binary firmware images."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Image to open after start-up, as File > Open would."));
    parser.process(app);

    velmora::TForm1 window;
    if (!parser.positionalArguments().isEmpty())
        window.openAfterStartUp(parser.positionalArguments().first());
    window.show();
    return QApplication::exec();
}
