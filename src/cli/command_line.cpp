#include "cli/command_line.h"

#include <cstring>
#include <iostream>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>

#include "cli/arguments.h"
#include "cli/output_file.h"
#include "cli/subcommands.h"
#include "model/errors.h"

namespace velmora::cli {

namespace {

bool isHelp(const QString &a) { return a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("-?"); }
bool isVersion(const QString &a) { return a == QLatin1String("--version") || a == QLatin1String("-v"); }

// The subcommand whose words start the arguments after the program name, and
// how many words its name has; nullptr when there is none.
const Subcommand *subcommandOf(const QStringList &arguments, int &words)
{
    for (const Subcommand &c : subcommands()) {
        const QStringList name = QString::fromLatin1(c.name).split(QLatin1Char(' '));
        if (arguments.mid(1, name.size()) == name) {
            words = static_cast<int>(name.size());
            return &c;
        }
    }
    // "patch" alone names the group of "patch make" and "patch apply".
    words = 1;
    return nullptr;
}

std::string optionText(const OptionSpec &o)
{
    std::string text = std::strlen(o.name) == 1 ? std::string("-") + o.name : std::string("--") + o.name;
    if (o.value)
        text += std::string(" ") + o.value;
    return text;
}

std::string synopsis(const Subcommand &c)
{
    std::string text = std::string("velmora ") + c.name;
    for (const char *p : c.positionals)
        text += std::string(" ") + p;
    for (const OptionSpec &o : c.options)
        text += o.required ? " " + optionText(o) : " [" + optionText(o) + "]";
    return text;
}

void printMainHelp()
{
    std::cout << "Usage: velmora [FILE]\n"
                 "       velmora SUBCOMMAND ARGUMENTS...\n\n"
                 "Without a subcommand the editor window opens, on FILE when one is given.\n"
                 "A subcommand runs without a window and without a display.\n\n"
                 "Subcommands:\n";
    for (const Subcommand &c : subcommands())
        std::cout << "  " << synopsis(c) << "\n      " << c.summary << "\n";
    std::cout << "\nOptions:\n"
                 "  -h, --help     Show this help, or a subcommand's with 'velmora SUBCOMMAND --help'.\n"
                 "  -v, --version  Show the version.\n\n"
                 "Exit status: 0 success, 1 failure, 2 usage error.\n";
}

void printHelp(const Subcommand &c)
{
    std::cout << "Usage: " << synopsis(c) << "\n\n" << c.summary << "\n\nOptions:\n";
    for (const OptionSpec &o : c.options) {
        const std::string text = optionText(o);
        std::cout << "  " << text << std::string(text.size() < 30 ? 30 - text.size() : 1, ' ') << o.description << "\n";
    }
    std::cout << "  -h, --help" << std::string(20, ' ') << "Show this help.\n";
}

Invocation parse(const Subcommand &c, const QStringList &arguments, int words)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    for (const OptionSpec &o : c.options) {
        QCommandLineOption option(QString::fromLatin1(o.name), QString::fromUtf8(o.description));
        if (o.value)
            option.setValueName(QString::fromLatin1(o.value));
        parser.addOption(option);
    }
    // The program name, then what follows the subcommand's words.
    QStringList rest = arguments.mid(1 + words);
    rest.prepend(arguments.value(0));
    if (!parser.parse(rest))
        throw UsageError(parser.errorText().toStdString());

    Invocation invocation;
    invocation.positionals = parser.positionalArguments();
    if (invocation.positionals.size() != static_cast<qsizetype>(c.positionals.size())) {
        std::string names;
        for (const char *p : c.positionals)
            names += std::string(names.empty() ? "" : " ") + p;
        throw UsageError("expects " + names + ", got " + std::to_string(invocation.positionals.size())
                         + " argument" + (invocation.positionals.size() == 1 ? "" : "s"));
    }
    for (const OptionSpec &o : c.options) {
        const QString name = QString::fromLatin1(o.name);
        if (!parser.isSet(name))
            continue;
        const QStringList values = parser.values(name);
        if (values.size() > 1)
            throw UsageError(optionText(o) + " is given more than once");
        invocation.options.emplace_back(o.name, o.value ? values.value(0).toStdString() : std::string());
    }
    for (const OptionSpec &o : c.options)
        if (o.required && !invocation.has(o.name))
            throw UsageError("missing " + optionText(o));
    if (invocation.has("o")) {
        refuseInputAsOutput(QString::fromStdString(invocation.value("o")), invocation.positionals);
        refuseMissingFolder(QString::fromStdString(invocation.value("o")));
    }
    return invocation;
}

} // namespace

bool Invocation::has(const std::string &name) const
{
    for (const auto &[key, value] : options)
        if (key == name)
            return true;
    return false;
}

std::string Invocation::value(const std::string &name, const std::string &fallback) const
{
    for (const auto &[key, value] : options)
        if (key == name)
            return value;
    return fallback;
}

std::string Invocation::required(const std::string &name) const
{
    if (!has(name))
        throw UsageError("missing --" + name);
    return value(name);
}

bool wantsCommandLine(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int words = 0;
    if (subcommandOf(arguments, words) || arguments.value(1) == QLatin1String("patch"))
        return true;
    for (const QString &a : arguments.mid(1))
        if (isHelp(a) || isVersion(a))
            return true;
    return false;
}

int refuseWindowStart(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    // A first argument that is no option is the file to open; when no such
    // file exists it is more likely a mistyped subcommand than a new name.
    const QString first = arguments.value(1);
    if (!first.isEmpty() && !first.startsWith(QLatin1Char('-')) && !QFileInfo::exists(first)) {
        std::cerr << "velmora: '" << first.toStdString()
                  << "' is neither a command nor a file (see 'velmora --help')\n";
        return UsageFailure;
    }
    // Qt's platform plug-in aborts the program when it finds no display.
    const bool platformNamed = arguments.contains(QLatin1String("-platform")) || arguments.contains(QLatin1String("--platform"));
    if (!platformNamed && qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::cerr << "No display: the window needs one; see velmora --help for the commands that run without\n";
        return Failure;
    }
    return -1;
}

int runCommandLine(const QStringList &arguments)
{
    for (const QString &a : arguments.mid(1)) {
        if (isVersion(a)) {
            std::cout << "velmora " << QCoreApplication::applicationVersion().toStdString() << "\n";
            return Success;
        }
    }
    int words = 0;
    const Subcommand *command = subcommandOf(arguments, words);
    const std::string name = command ? std::string("velmora ") + command->name : std::string("velmora");
    if (!command) {
        const bool help = arguments.size() >= 2 && isHelp(arguments.last());
        if (help && arguments.value(1) != QLatin1String("patch")) {
            printMainHelp();
            return Success;
        }
        if (arguments.value(1) == QLatin1String("patch")) {
            if (!help)
                std::cerr << "velmora patch: give 'make' or 'apply' (see 'velmora --help')\n";
            else
                for (const Subcommand &c : subcommands())
                    if (std::strncmp(c.name, "patch ", 6) == 0)
                        std::cout << "Usage: " << synopsis(c) << "\n    " << c.summary << "\n";
            return help ? Success : UsageFailure;
        }
        printMainHelp();
        return Success;
    }
    for (const QString &a : arguments.mid(1 + words)) {
        if (isHelp(a)) {
            printHelp(*command);
            return Success;
        }
    }
    try {
        return command->run(parse(*command, arguments, words));
    } catch (const UsageError &e) {
        std::cerr << name << ": " << e.what() << " (see '" << name << " --help')\n";
        return UsageFailure;
    } catch (const EditorError &e) {
        std::cerr << name << ": " << withFullStop(e.what()) << "\n";
        return Failure;
    } catch (const std::exception &e) {
        std::cerr << name << ": " << withFullStop(e.what()) << "\n";
        return Failure;
    }
}

} // namespace velmora::cli
