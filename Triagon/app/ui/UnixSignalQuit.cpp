#include "app/ui/UnixSignalQuit.h"

#include "app/ui/QuitWatchdog.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
struct sigaction g_previousTerm;
struct sigaction g_previousInt;

void onSignal(int number)
{
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(number);
    // Only async-signal-safe work here: one write into the pipe.
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    // Should the GUI thread be stuck, the process still ends in time.
    QuitWatchdog::signalReceived(number);
    errno = saved;
}

} // namespace

UnixSignalQuit::UnixSignalQuit(QObject *parent) : QObject(parent)
{
    if (g_pipe[0] >= 0) {
        qWarning("Signal handling is already installed");
        return;
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_pipe) != 0) {
        qWarning("Could not create the signal pipe: %s", strerror(errno));
        g_pipe[0] = g_pipe[1] = -1;
        return;
    }
    ::fcntl(g_pipe[1], F_SETFL, ::fcntl(g_pipe[1], F_GETFL) | O_NONBLOCK);

    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UnixSignalQuit::readPipe);
    connect(this, &UnixSignalQuit::quitRequested, qApp, &QCoreApplication::quit, Qt::QueuedConnection);

    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, &g_previousTerm);
    ::sigaction(SIGINT, &action, &g_previousInt);
    m_installed = true;
}

UnixSignalQuit::~UnixSignalQuit()
{
    if (!m_installed)
        return;
    ::sigaction(SIGTERM, &g_previousTerm, nullptr);
    ::sigaction(SIGINT, &g_previousInt, nullptr);
    delete m_notifier;
    m_notifier = nullptr;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
}

void UnixSignalQuit::readPipe()
{
    unsigned char byte = 0;
    if (::read(g_pipe[0], &byte, 1) != 1)
        return;
    m_lastSignal = byte;
    Q_EMIT quitRequested(byte);
}
