#include "app/ui/DisplayGuard.h"

#include <QByteArray>
#include <QList>
#include <QMutex>
#include <QMutexLocker>

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

void holdingHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtFatalMsg) {
        // Qt gives up opening the platform: nothing of it can be used any
        // more, so the process ends here, before Qt's abort.
        const QByteArray line = DisplayGuard::noDisplayMessage().toLocal8Bit() + '\n';
        std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stderr);
        std::fflush(stderr);
        std::_Exit(DisplayGuard::noDisplayStatus);
    }
    GuardState &s = guardState();
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

QString DisplayGuard::noDisplayMessage()
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
