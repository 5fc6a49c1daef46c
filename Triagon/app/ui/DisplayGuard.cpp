#include "app/ui/DisplayGuard.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

struct HeldMessage
{
    QtMsgType type;
    QByteArray category;
    QByteArray file;
    int line;
    QByteArray function;
    QString text;
};

struct GuardState
{
    QMutex mutex;
    QtMessageHandler previous = nullptr;
    QList<HeldMessage> held;
};

GuardState &guardState()
{
    static GuardState s;
    return s;
}

QString noDisplayMessage()
{
    QStringList tried;
    for (const char *name : {"WAYLAND_DISPLAY", "DISPLAY"}) {
        const QString value = qEnvironmentVariable(name);
        if (!value.isEmpty())
            tried.append(QString::fromLatin1(name) + QLatin1Char('=') + value);
    }
    const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    const QString reason = tried.isEmpty() ? QStringLiteral("DISPLAY is not set")
                                           : QStringLiteral("could not open ") + tried.join(QStringLiteral(", "));
    return QStringLiteral("triagon: no display (%1%2); Triagon needs a graphical session")
        .arg(reason, platform.isEmpty() ? QString() : QStringLiteral(", QT_QPA_PLATFORM=") + platform);
}

// The Wayland plugin was found and loaded but no compositor answered: Qt
// then says the plugin "could not be loaded", as if it were missing.
QString noWaylandDisplayMessage()
{
    const QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    QStringList said{display.isEmpty() ? QStringLiteral("WAYLAND_DISPLAY is not set") : QStringLiteral("WAYLAND_DISPLAY=") + display};
    // What libwayland connects to: the path WAYLAND_DISPLAY names, or that
    // name (by default wayland-0) in the runtime folder.
    const QString socket = display.startsWith(QLatin1Char('/'))
                               ? display
                               : (runtime.isEmpty()
                                      ? QString()
                                      : runtime + QLatin1Char('/') + (display.isEmpty() ? QStringLiteral("wayland-0") : display));
    said.append(runtime.isEmpty() ? QStringLiteral("XDG_RUNTIME_DIR is not set") : QStringLiteral("XDG_RUNTIME_DIR=") + runtime);
    if (!socket.isEmpty())
        said.last() += QStringLiteral(": no compositor at ") + socket;
    if (const QString platform = qEnvironmentVariable("QT_QPA_PLATFORM"); !platform.isEmpty())
        said.append(QStringLiteral("QT_QPA_PLATFORM=") + platform);
    return QStringLiteral("triagon: no Wayland display (%1); Triagon needs a graphical session").arg(said.join(QStringLiteral(", ")));
}

// Whether Qt's platform said it could not reach its display server: the
// X11 plugin in its category, the Wayland plugin of Qt 6.4 without one.
bool isX11Failure(const HeldMessage &message)
{
    return message.category == "qt.qpa.xcb" && message.text.startsWith(QStringLiteral("could not connect to display"));
}

bool isWaylandFailure(const HeldMessage &message)
{
    return message.text.contains(QStringLiteral("wl_display"));
}

// Qt's messages as one line: its paragraphs joined, the advice to reinstall
// left out.
QString oneLine(const QString &text)
{
    QStringList parts;
    for (const QString &part : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QString paragraph = part.trimmed();
        if (paragraph.endsWith(QLatin1Char('.')))
            paragraph.chop(1);
        if (!paragraph.isEmpty() && !paragraph.startsWith(QStringLiteral("This application failed to start")))
            parts.append(paragraph);
    }
    return parts.join(QStringLiteral("; "));
}

// The line printed when Qt gives up, from what it said before (`said`) and
// its fatal message: a display that could not be reached, or the platform
// plugin that could not be loaded, in Qt's own words.
QString failureMessage(const QList<HeldMessage> &said, const QString &fatal)
{
    if (std::any_of(said.begin(), said.end(), isX11Failure))
        return noDisplayMessage();
    if (std::any_of(said.begin(), said.end(), isWaylandFailure))
        return noWaylandDisplayMessage();
    const QString reason = oneLine(fatal);
    // "Could not find the Qt platform plugin "x" in """, or one that was
    // found but would not load: the plugin is what failed, not the display.
    const QRegularExpression pluginFault(QStringLiteral("^Could not (find|load) the Qt platform plugin \"([^\"]*)\""));
    for (const HeldMessage &message : said) {
        if (const QRegularExpressionMatch match = pluginFault.match(message.text); match.hasMatch())
            return QStringLiteral("triagon: could not load the Qt platform plugin \"%1\" (%2%3)")
                .arg(match.captured(2), oneLine(message.text), reason.isEmpty() ? QString() : QStringLiteral("; ") + reason);
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return noDisplayMessage();
    return QStringLiteral("triagon: could not open the window system (%1)")
        .arg(reason.isEmpty() ? QStringLiteral("Qt gave no reason") : reason);
}

void holdingHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    GuardState &s = guardState();
    if (type == QtFatalMsg) {
        // Qt gives up opening the platform: nothing of it can be used any
        // more, so the process ends here, before Qt's abort.
        QList<HeldMessage> said;
        {
            QMutexLocker lock(&s.mutex);
            said = s.held;
        }
        const QByteArray line = failureMessage(said, text).toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        std::_Exit(DisplayGuard::failureStatus);
    }
    QMutexLocker lock(&s.mutex);
    s.held.append(
        HeldMessage{type, QByteArray(context.category), QByteArray(context.file), context.line, QByteArray(context.function), text});
}

} // namespace

std::unique_ptr<QApplication> DisplayGuard::openApplication(int &argc, char **argv)
{
    GuardState &s = guardState();
    s.previous = qInstallMessageHandler(holdingHandler);
    auto application = std::make_unique<QApplication>(argc, argv);
    qInstallMessageHandler(s.previous);
    QList<HeldMessage> held;
    {
        QMutexLocker lock(&s.mutex);
        held.swap(s.held);
    }
    for (const HeldMessage &message : held) {
        const QMessageLogContext context(message.file.isEmpty() ? nullptr : message.file.constData(), message.line,
                                         message.function.isEmpty() ? nullptr : message.function.constData(),
                                         message.category.isEmpty() ? "default" : message.category.constData());
        qt_message_output(message.type, context, message.text);
    }
    return application;
}
