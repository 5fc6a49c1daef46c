#pragma once

// Bounds the time the application takes to end once it is asked to. Work
// that waits on a file can block a thread for ever (a file on a network
// mount that hangs), and the media engines wait for their threads when they
// are destroyed: without a bound, such a thread would keep the process alive
// after its window is gone, holding the session's lock, so that the next
// launch finds a Triagon that does not answer.
//
// Two deadlines, watched from a thread of its own:
// - After SIGTERM or SIGINT the GUI thread must start quitting (and save the
//   session) within signalGraceMs; a GUI thread that is itself stuck cannot,
//   and the process then ends without it.
// - Once the session is saved and the event loop has ended, what is left
//   (windows, media engines, their threads) gets teardownMs; then the process
//   ends with the status the event loop returned.
//
// Nothing happens until install() is called (the program's main does; tests
// that drive the application in their own process do not).
class QuitWatchdog
{
public:
    static constexpr int signalGraceMs = 2000;
    static constexpr int teardownMs = 2000;

    // Starts the watching thread; once per process, later calls do nothing.
    static void install();

    // From a signal handler (async-signal-safe): the application was asked
    // to end by this signal.
    static void signalReceived(int signalNumber);
    // The GUI thread has begun its orderly quit: the signal's grace is over.
    static void quitStarted();
    // The event loop has ended and the session is saved: from now on the
    // process ends, with `status`, teardownMs later at the latest.
    static void teardownStarted(int status);
};
