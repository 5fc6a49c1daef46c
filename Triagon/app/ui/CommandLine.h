#pragma once

#include <QString>
#include <QStringList>

// What `triagon [OPTION…] [PATH…]` asks for. Read before any window system
// is opened, so that --help, --version and a mistyped option answer in a
// terminal without a display. The options Qt's GUI application reads itself
// (-platform, -display, -style, -session from a session manager, …) are let
// through to it untouched; every other option is an error.
struct CommandLine
{
    enum class Action {
        run,     // start (or hand `paths` over to the running Triagon)
        help,    // print `text` on standard output and end with 0
        version, // likewise
        error,   // print `text` (the fault, and where to read more) on standard error and end with usageErrorStatus
    };

    static constexpr int usageErrorStatus = 2;

    Action action = Action::run;
    QString text;
    // The folders and files named, made absolute against the working folder
    // and cleaned, in the order given.
    QStringList paths;

    // Takes the paths that name nothing out of `paths` and returns them. A
    // drop never holds one, but a command line may: a mistyped name is
    // reported by the launch that was given it instead of becoming a clip
    // without a file.
    QStringList takeMissingPaths();

    // `arguments` as QCoreApplication::arguments() gives them (the program
    // first); needs a QCoreApplication.
    static CommandLine parse(const QStringList &arguments, const QString &workingFolder);

    // How many of the arguments go to QApplication: those before "--". Qt
    // reads its options (-platform, -style, …) anywhere in what it is given,
    // but after "--" they are paths.
    static int qtArgumentCount(int argc, const char *const *argv);
};
