#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

#include "app/error_box.h"
#include "app/main_window.h"
#include "cli/arguments.h"
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
    parser.addOption({QStringLiteral("at"), QStringLiteral("Hex offset to show the opened image at."), QStringLiteral("OFFSET")});
    parser.addOption({QStringLiteral("format"), QStringLiteral("Format string to show the opened image in."), QStringLiteral("FORMAT")});
    parser.process(app);

    velmora::TForm1 window;
    if (!parser.positionalArguments().isEmpty()) {
        velmora::StartView view;
        try {
            if (parser.isSet(QStringLiteral("at")))
                view.offset = velmora::cli::parseOffset(parser.value(QStringLiteral("at")).toStdString());
            if (parser.isSet(QStringLiteral("format")))
                view.format = velmora::cli::parseFormat(parser.value(QStringLiteral("format")).toStdString());
        } catch (const velmora::cli::UsageError &error) {
            std::fprintf(stderr, "velmora: %s\n", error.what());
            return 2;
        }
        window.openAfterStartUp(parser.positionalArguments().first(), view);
    }
    window.show();
    return QApplication::exec();
}
