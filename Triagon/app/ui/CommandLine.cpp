#include "app/ui/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

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

} // namespace

CommandLine CommandLine::parse(const QStringList &arguments, const QString &workingFolder)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Triagon: the first pass over a shoot's video footage. Rate, tag and organize\n"
                                                    "clips before editing. The folders and video files named are imported\n"
                                                    "as if dropped on the window; a Triagon already running takes them over."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help and end."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QStringLiteral("Show the version and end."));
    parser.addOption(help);
    parser.addOption(version);
    parser.addPositionalArgument(QStringLiteral("paths"), QStringLiteral("Folders or video files to import."), QStringLiteral("[PATH...]"));

    CommandLine line;
    if (!parser.parse(withoutQtOptions(arguments))) {
        line.action = Action::error;
        line.text = QStringLiteral("triagon: ") + parser.errorText() + QStringLiteral("\n\n") + parser.helpText();
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

QStringList CommandLine::takeMissingPaths()
{
    QStringList missing;
    QStringList present;
    for (const QString &path : std::as_const(paths))
        (QFileInfo::exists(path) ? present : missing).append(path);
    paths = present;
    return missing;
}
