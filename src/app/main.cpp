#include <QApplication>
#include <QCommandLineParser>

#include "app/error_box.h"
#include "app/main_window.h"
#include "cli/command_line.h"

namespace {

void nameApplication()
{
    QCoreApplication::setApplicationName(QString::fromUtf8(velmora::applicationTitle));
    QCoreApplication::setApplicationVersion(QStringLiteral("3.6"));
}

} // namespace

int main(int argc, char *argv[])
{
    // Subcommands, help and version are decided from the arguments alone and
    // run without a window system, so they work where no display is.
    if (velmora::cli::wantsCommandLine(argc, argv)) {
        QCoreApplication app(argc, argv);
        nameApplication();
        return velmora::cli::runCommandLine(QCoreApplication::arguments());
    }

    if (const int refused = velmora::cli::refuseWindowStart(argc, argv); refused >= 0)
        return refused;

    QApplication app(argc, argv);
    nameApplication();
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Editor for character bitmaps inside binary firmware images."));
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Image to open after start-up, as File > Open would."));
    parser.process(app);

    velmora::TForm1 window;
    if (!parser.positionalArguments().isEmpty())
        window.openAfterStartUp(parser.positionalArguments().first());
    window.show();
    return QApplication::exec();
}
