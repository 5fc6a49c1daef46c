#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the application the normal way when it receives SIGTERM or SIGINT (a
// logout, `kill`, Ctrl+C in the terminal): the signal handler only writes a
// byte into a pipe, and the event loop, woken by the pipe, emits quitRequested,
// which by default quits the application. The usual quit path then runs,
// session save included. The signal also reaches the QuitWatchdog, which
// ends the process should the GUI thread never get to it.
class UnixSignalQuit : public QObject
{
    Q_OBJECT
public:
    // Installs the handlers for SIGTERM and SIGINT. One instance at a time.
    explicit UnixSignalQuit(QObject *parent = nullptr);
    // Restores the previous handlers.
    ~UnixSignalQuit() override;

    // The signal number last received, 0 before any.
    int lastSignal() const { return m_lastSignal; }

Q_SIGNALS:
    void quitRequested(int signalNumber);

private:
    void readPipe();

    QSocketNotifier *m_notifier = nullptr;
    int m_lastSignal = 0;
    bool m_installed = false;
};
