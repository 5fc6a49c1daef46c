#pragma once

#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>

// Named pipes (mkfifo) standing in for clip files, as a user's folder can
// hold them. Nothing ever writes to them, so a plain open for reading waits
// for ever. The destructor lets every reader still waiting in an open go (it
// opens the writing end for a moment), so that a test of code that does open
// one fails instead of hanging.
class TestFifo
{
public:
    TestFifo() = default;
    TestFifo(const TestFifo &) = delete;
    TestFifo &operator=(const TestFifo &) = delete;
    ~TestFifo();

    // Makes a pipe at path; false (with a test failure) when it cannot.
    bool make(const QString &path);
    const QStringList &paths() const { return m_paths; }

    // Lets the readers waiting in an open of any of the pipes go; they then
    // read the end of the stream at once.
    void releaseReaders() const;

    // Runs work on a thread of its own and waits up to `guard` for it. When
    // it has not ended by then, the readers are let go (so that it can end)
    // and the result is false: the work blocked.
    bool endsWithin(std::chrono::milliseconds guard, const std::function<void()> &work) const;

private:
    QStringList m_paths;
};
