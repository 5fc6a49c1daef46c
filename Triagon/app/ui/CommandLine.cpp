#include "app/ui/CommandLine.h"

#include "window/NotOpenedItems.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstring>

namespace {

// The options QGuiApplication and QApplication take out of the command line
// themselves (with one dash or two). Those with a value take it as the next
// argument or after "=".
const QStringList &qtOptionsWithValue()
{
    static const QStringList names = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("geometry"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("title"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("icon"),
        QStringLiteral("session"),
        QStringLiteral("display"),
        QStringLiteral("name"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("qmljsdebugger"),
    };
    return names;
}

const QStringList &qtFlags()
{
    static const QStringList names = {QStringLiteral("reverse"), QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync"),
                                      QStringLiteral("widgetcount")};
    return names;
}

// The arguments without Qt's own options: what is left is ours.
QStringList withoutQtOptions(const QStringList &arguments)
{
    QStringList ours;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (i == 0 || !argument.startsWith(QLatin1Char('-')) || argument == QStringLiteral("-")) {
            ours.append(argument);
            continue;
        }
        if (argument == QStringLiteral("--")) {
            // Everything after it is a path, as given.
            ours.append(arguments.mid(i));
            break;
        }
        const QString name = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        const qsizetype equals = name.indexOf(QLatin1Char('='));
        if (equals > 0 && qtOptionsWithValue().contains(name.left(equals)))
            continue;
        if (qtOptionsWithValue().contains(name) && i + 1 < arguments.size()) {
            ++i;
            continue;
        }
        if (qtFlags().contains(name))
            continue;
        ours.append(argument);
    }
    return ours;
}

// The argument as given that Qt's parser names `name` (without its dashes
// and any "=value").
QString unknownArgument(const QStringList &arguments, const QString &name)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            break;
        if (!argument.startsWith(QLatin1Char('-')))
            continue;
        const QString bare = argument.mid(argument.startsWith(QStringLiteral("--")) ? 2 : 1);
        if (bare == name || bare.section(QLatin1Char('='), 0, 0) == name)
            return argument;
    }
    return QLatin1Char('-') + name;
}

// A fault of the command line as GNU programs report one: the fault, and
// where to read more; not the whole help.
QString usageError(const QCommandLineParser &parser, const QStringList &arguments)
{
    const QString tryHelp = QStringLiteral("Try 'triagon --help' for more information");
    const QStringList unknown = parser.unknownOptionNames();
    if (unknown.isEmpty()) {
        QString fault = parser.errorText();
        if (fault.endsWith(QLatin1Char('.')))
            fault.chop(1);
        if (!fault.isEmpty())
            fault[0] = fault.at(0).toLower();
        return QStringLiteral("triagon: %1\n%2.\n").arg(fault, tryHelp);
    }
    const QString argument = unknownArgument(arguments, unknown.first());
    // A word after one dash is more likely a file's name than an option.
    const bool looksLikeName = !argument.startsWith(QStringLiteral("--")) && argument.size() > 2;
    return QStringLiteral("triagon: unknown option '%1'\n%2%3.\n")
        .arg(argument, tryHelp,
             looksLikeName ? QStringLiteral("; '--' ends the options, so 'triagon -- %1' opens a file of that name").arg(argument)
                           : QString());
}

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Triagon: the first pass over a shoot's video footage. Rate, tag and organize\n"
                                                    "clips before editing. The folders and video files named are imported\n"
                                                    "as if dropped on the window; a Triagon already running takes them over.\n"
                                                    "A path that names nothing, or a file that is not a video file Triagon opens,\n"
                                                    "is named on standard error and in the window's \"Items Not Opened\" alert."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and end."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("paths"),
                                 QStringLiteral("Folders or video files to import. After \"--\" every argument is a path, also one "
                                                "that begins with a dash."),
                                 QStringLiteral("[--] [PATH...]"));

    // "-weird-name.mp4" is one unknown option, not the letters w, e, i, … .
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    CommandLine line;
    const QStringList ours = withoutQtOptions(arguments);
    if (!parser.parse(ours)) {
        line.action = Action::error;
        line.text = usageError(parser, ours);
        return line;
    }
    if (parser.isSet(help)) {
        line.action = Action::help;
        line.text = parser.helpText();
        return line;
    }
    if (parser.isSet(version)) {
        line.action = Action::version;
        line.text = QCoreApplication::applicationName() + QLatin1Char(' ') + QCoreApplication::applicationVersion() + QLatin1Char('\n');
        return line;
    }
    const QDir base(workingFolder);
    for (const QString &path : parser.positionalArguments()) {
        if (!path.isEmpty())
            line.paths.append(QDir::cleanPath(base.absoluteFilePath(path)));
    }
    return line;
}

int CommandLine::qtArgumentCount(int argc, const char *const *argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--") == 0)
            return i;
    }
    return argc;
}

QList<CommandLine::Skipped> CommandLine::takeUnopenedPaths()
{
    QList<Skipped> skipped;
    QStringList opened;
    for (const QString &path : std::as_const(paths)) {
        if (const QString reason = NotOpenedItems::reason(path); reason.isEmpty())
            opened.append(path);
        else
            skipped.append({path, reason});
    }
    paths = opened;
    return skipped;
}
