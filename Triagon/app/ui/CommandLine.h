#pragma once

#include <QList>
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

    // A path named that the import would not open, and why.
    struct Skipped
    {
        QString path;
        QString reason;
    };

    // Takes the paths the import does not open out of `paths` and returns
    // them: those that name nothing (a drop never holds one, but a mistyped
    // name would otherwise become a clip without a file) and files that are
    // neither folders nor video files it opens. The launch names them
    // instead of dropping them without a word.
    QList<Skipped> takeUnopenedPaths();

    // `arguments` as QCoreApplication::arguments() gives them (the program
    // first); needs a QCoreApplication.
    static CommandLine parse(const QStringList &arguments, const QString &workingFolder);

    // How many of the arguments go to QApplication: those before "--". Qt
    // reads its options (-platform, -style, …) anywhere in what it is given,
    // but after "--" they are paths.
    static int qtArgumentCount(int argc, const char *const *argv);
};
