#pragma once

#include "organize/FileOperations.h"
#include "organize/OrganizeCommit.h"
#include "organize/OrganizeOutcome.h"
#include "organize/OrganizeRequest.h"

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <memory>

// Runs one organize commit at a time on a thread of its own, so the GUI
// thread never waits for file work. Progress and the outcome arrive as
// signals on the runner's thread; the worker never waits for them. Destroying
// the runner waits for a running commit to finish its files: a quitting
// application never leaves a file half-handled.
class OrganizeRunner : public QObject
{
    Q_OBJECT
public:
    explicit OrganizeRunner(QObject *parent = nullptr);
    ~OrganizeRunner() override;

    // The file layer the commits use; the real one unless replaced (tests put
    // faults in the way through it).
    void setFileOperations(std::shared_ptr<FileOperations> files);
    const std::shared_ptr<FileOperations> &fileOperations() const { return m_files; }
    // The monotonic clock of the progress throttle; a steady clock unless set.
    void setClock(OrganizeCommit::Clock clock) { m_clock = std::move(clock); }

    bool isRunning() const { return m_running; }
    // Starts the commit and returns at once. Must not be called while one runs.
    void start(OrganizeRequest request);

Q_SIGNALS:
    void progress(double fraction, const QString &filename);
    void finished(const OrganizeOutcome &outcome);

private:
    std::shared_ptr<FileOperations> m_files;
    OrganizeCommit::Clock m_clock;
    QThreadPool m_pool;
    QFutureWatcher<OrganizeOutcome> m_watcher;
    bool m_running = false;
};
