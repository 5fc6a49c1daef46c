// The command line: what it asks for, read without a window system; and the
// real program run in a terminal without a display, where it answers --help,
// --version and a mistyped option, and ends with one line instead of Qt's
// abort when it would need a window.
#include "app/ui/CommandLine.h"
#include "app/ui/StartupFeedback.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QStringList args(std::initializer_list<const char *> list)
{
    QStringList result{QStringLiteral("triagon")};
    for (const char *a : list)
        result.append(QString::fromUtf8(a));
    return result;
}

} // namespace

TEST(CommandLine, ReadsHelpVersionErrorsAndPaths)
{
    const QString cwd = QStringLiteral("/home/u/shoots");
    const struct
    {
        QStringList arguments;
        CommandLine::Action action;
        QStringList paths;
        const char *text; // contained in the text
    } cases[] = {
        {args({}), CommandLine::Action::run, {}, ""},
        {args({"--help"}), CommandLine::Action::help, {}, "Usage: "},
        {args({"-h"}), CommandLine::Action::help, {}, "[--] [PATH...]"},
        {args({"--version"}), CommandLine::Action::version, {}, "Triagon"},
        {args({"-v"}), CommandLine::Action::version, {}, " "},
        // A fault is two lines, as GNU programs print it; a name after one
        // dash is one unknown option, with the way to open such a file.
        {args({"--bogus-option"}),
         CommandLine::Action::error,
         {},
         "triagon: unknown option '--bogus-option'\nTry 'triagon --help' for more information.\n"},
        {args({"day1", "-x"}), CommandLine::Action::error, {}, "triagon: unknown option '-x'\n"},
        {args({"-weird-name.mp4"}),
         CommandLine::Action::error,
         {},
         "option '-weird-name.mp4'\nTry 'triagon --help' for more information; '--' ends the options, so 'triagon -- -weird-name.mp4' "
         "opens"},
        {args({"--help=3"}), CommandLine::Action::error, {}, "triagon: unexpected value after '--help'\nTry"},
        {args({"day1", "../raw/A001.mov", "/abs/B.mkv", "./c/../d/"}),
         CommandLine::Action::run,
         {QStringLiteral("/home/u/shoots/day1"), QStringLiteral("/home/u/raw/A001.mov"), QStringLiteral("/abs/B.mkv"),
          QStringLiteral("/home/u/shoots/d")},
         ""},
        // After "--" everything is a path, even what looks like an option.
        {args({"--", "-odd.mov", "--help", "-platform", "x"}),
         CommandLine::Action::run,
         {QStringLiteral("/home/u/shoots/-odd.mov"), QStringLiteral("/home/u/shoots/--help"), QStringLiteral("/home/u/shoots/-platform"),
          QStringLiteral("/home/u/shoots/x")},
         ""},
        // Qt's own options reach QApplication; they are neither errors nor paths.
        {args({"-platform", "offscreen", "-style=Fusion", "--session", "1a2b", "-reverse", "day2"}),
         CommandLine::Action::run,
         {QStringLiteral("/home/u/shoots/day2")},
         ""},
        {args({""}), CommandLine::Action::run, {}, ""},
    };
    for (const auto &c : cases) {
        const CommandLine line = CommandLine::parse(c.arguments, cwd);
        const std::string label = c.arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(line.action, c.action) << label;
        EXPECT_EQ(line.paths, c.paths) << label;
        EXPECT_TRUE(line.text.contains(QString::fromUtf8(c.text))) << label << "\n" << line.text.toStdString();
        if (c.action == CommandLine::Action::error) {
            EXPECT_EQ(line.text.count(QLatin1Char('\n')), 2) << label << "\n" << line.text.toStdString();
        }
    }
}

TEST(CommandLine, PathsTheImportDoesNotOpenAreTakenOutWithTheReason)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkpath(QStringLiteral("day1")));
    for (const char *name : {"A001.mov", "B002.MTS", "C003.ts", "D004.lrv"}) {
        QFile file(folder.filePath(QString::fromLatin1(name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    CommandLine line = CommandLine::parse(args({"day1", "missing.mov", "A001.mov", "C003.ts", "gone/", "B002.MTS", "D004.lrv"}),
                                          folder.path());
    QStringList taken;
    for (const CommandLine::Skipped &skipped : line.takeUnopenedPaths())
        taken.append(skipped.path + QStringLiteral(": ") + skipped.reason);
    const QString in = folder.path() + QLatin1Char('/');
    const QString notVideo = QStringLiteral(": not a folder or a video file Triagon opens (.avi, .m4v, .mkv, .mov, .mp4, .mts, .webm)");
    const QString missing = QStringLiteral(": no such file or folder");
    EXPECT_EQ(taken,
              QStringList({in + "missing.mov" + missing, in + "C003.ts" + notVideo, in + "gone" + missing, in + "D004.lrv" + notVideo}));
    EXPECT_EQ(line.paths, QStringList({in + "day1", in + "A001.mov", in + "B002.MTS"}));
}

TEST(StartupFeedback, TheRemoveMessageIsCutIntoNulPaddedPiecesOfTwenty)
{
    const struct
    {
        QByteArray id;
        QByteArray message; // without the terminating NUL
    } cases[] = {
        {"a", "remove: ID=a"},
        {"12345678", "remove: ID=12345678"}, // 19 bytes and the NUL: one piece
        {"nautilus-1234-host-triagon-0_TIME5678", "remove: ID=nautilus-1234-host-triagon-0_TIME5678"},
        {"with space", "remove: ID=\"with space\""},
        {"q\"b\\s", "remove: ID=\"q\\\"b\\\\s\""},
    };
    for (const auto &c : cases) {
        const QList<QByteArray> pieces = StartupFeedback::removeMessagePieces(c.id);
        QByteArray joined;
        for (const QByteArray &piece : pieces) {
            EXPECT_EQ(piece.size(), 20) << c.id.constData();
            joined += piece;
        }
        // The message and its NUL, padded with NULs to the end of its last piece.
        const qsizetype padded = (c.message.size() + 1 + 19) / 20 * 20;
        EXPECT_EQ(joined, c.message + QByteArray(padded - c.message.size(), '\0')) << c.id.constData();
    }
}

namespace {

// A terminal without a display, its home in `home`.
QProcessEnvironment terminalEnvironment(const QTemporaryDir &home)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_SESSION_TYPE", "DESKTOP_STARTUP_ID"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("HOME"), home.path());
    for (const char *name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
        environment.insert(QString::fromLatin1(name), home.path() + QLatin1Char('/') + QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), qEnvironmentVariable("XDG_RUNTIME_DIR"));
    return environment;
}

} // namespace

// The real program in a terminal without a display.
TEST(CommandLineProgram, AnswersWithoutADisplayAndNeverAborts)
{
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QProcessEnvironment environment = terminalEnvironment(home);

    const struct
    {
        QStringList arguments;
        QString display;  // empty: unset
        QString platform; // QT_QPA_PLATFORM; empty: unset
        int status;
        const char *out; // contained in standard output
        const char *err; // contained in standard error
    } cases[] = {
        {{QStringLiteral("--version")}, QString(), QString(), 0, "Triagon " TRIAGON_TEST_VERSION "\n", ""},
        {{QStringLiteral("--help")}, QString(), QString(), 0, "Usage: ", ""},
        {{QStringLiteral("--bogus-option")}, QString(), QString(), 2, "", "triagon: unknown option '--bogus-option'\nTry 'triagon --help'"},
        {{}, QString(), QString(), 1, "", "no display (DISPLAY is not set)"},
        {{home.path()}, QString(), QString(), 1, "", "no display"},
        // A display that is not there.
        {{}, QStringLiteral(":9731"), QString(), 1, "", "could not open DISPLAY=:9731"},
        // A platform plugin that is not there is named, not taken for a display.
        {{}, QStringLiteral(":9731"), QStringLiteral("doesnotexist"), 1, "", "could not load the Qt platform plugin \"doesnotexist\""},
        {{QStringLiteral("-platform"), QStringLiteral("nosuch")}, QStringLiteral(":9731"), QString(), 1, "", "plugin \"nosuch\""},
        // After "--" Qt's options are paths: Qt does not get them.
        {{QStringLiteral("--"), QStringLiteral("-platform"), QStringLiteral("nosuch")},
         QString(),
         QString(),
         1,
         "",
         "no display (DISPLAY is not set)"},
    };
    for (const auto &c : cases) {
        const std::string label = c.arguments.join(QLatin1Char(' ')).toStdString() + " DISPLAY=" + c.display.toStdString();
        QProcessEnvironment env = environment;
        if (!c.display.isEmpty())
            env.insert(QStringLiteral("DISPLAY"), c.display);
        if (!c.platform.isEmpty())
            env.insert(QStringLiteral("QT_QPA_PLATFORM"), c.platform);
        QProcess process;
        process.setProcessEnvironment(env);
        process.start(QStringLiteral(TRIAGON_APP_BINARY), c.arguments);
        ASSERT_TRUE(process.waitForFinished(60000)) << label;
        const QByteArray out = process.readAllStandardOutput();
        const QByteArray err = process.readAllStandardError();
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << label << err.constData();
        EXPECT_EQ(process.exitCode(), c.status) << label << err.constData();
        EXPECT_TRUE(out.contains(c.out)) << label << out.constData();
        EXPECT_TRUE(err.contains(c.err)) << label << err.constData();
        if (c.status == 0) {
            EXPECT_TRUE(err.isEmpty()) << label << err.constData();
        }
        if (c.status == 1) {
            // The paths after "--" name nothing: a line each before the fault.
            EXPECT_EQ(err.count('\n'), 1 + (c.arguments.startsWith(QStringLiteral("--")) ? 2 : 0)) << label << "not one line:\n"
                                                                                                   << err.constData();
        }
    }
}

// Asked for Wayland where no compositor listens: the plugin was found and is
// not to blame, the display is.
TEST(CommandLineProgram, WaylandWithoutACompositorIsNamedInOneLine)
{
    if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::PluginsPath) + QStringLiteral("/platforms/libqwayland-generic.so")))
        GTEST_SKIP() << "the Qt Wayland plugin is not installed (Debian package qt6-wayland; scripts/deps.sh installs it)";
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    for (const QString &display : {QString(), QStringLiteral("wayland-none")}) {
        QProcessEnvironment environment = terminalEnvironment(home);
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("wayland"));
        if (!display.isEmpty())
            environment.insert(QStringLiteral("WAYLAND_DISPLAY"), display);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TRIAGON_APP_BINARY));
        ASSERT_TRUE(process.waitForFinished(60000));
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_EQ(process.readAllStandardError().toStdString(),
                  QStringLiteral("triagon: no Wayland display (%1, XDG_RUNTIME_DIR=%2: no compositor at %2/%3, QT_QPA_PLATFORM=wayland); "
                                 "Triagon needs a graphical session\n")
                      .arg(display.isEmpty() ? QStringLiteral("WAYLAND_DISPLAY is not set") : QStringLiteral("WAYLAND_DISPLAY=") + display,
                           runtime, display.isEmpty() ? QStringLiteral("wayland-0") : display)
                      .toStdString());
    }
}
