#include "support/TestFifo.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

TestFifo::~TestFifo()
{
    releaseReaders();
    for (const QString &path : std::as_const(m_paths))
        ::unlink(QFile::encodeName(path).constData());
}

bool TestFifo::make(const QString &path)
{
    if (::mkfifo(QFile::encodeName(path).constData(), 0600) != 0) {
        ADD_FAILURE() << "mkfifo " << path.toStdString() << ": " << std::strerror(errno);
        return false;
    }
    m_paths.append(path);
    return true;
}

void TestFifo::releaseReaders() const
{
    for (const QString &path : m_paths) {
        const QByteArray encoded = QFile::encodeName(path);
        // A writer that opens without waiting succeeds only while a reader
        // has the pipe open (or waits to): each round lets the waiting ones
        // through, and closing gives them the end of the stream.
        for (int round = 0; round < 50; ++round) {
            const int fd = ::open(encoded.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
            if (fd < 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
            ::close(fd);
        }
    }
}

bool TestFifo::endsWithin(std::chrono::milliseconds guard, const std::function<void()> &work) const
{
    auto done = std::async(std::launch::async, work);
    if (done.wait_for(guard) == std::future_status::ready)
        return true;
    while (done.wait_for(std::chrono::milliseconds(100)) != std::future_status::ready)
        releaseReaders();
    return false;
}
