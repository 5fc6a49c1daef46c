#include "organize/OrganizeRunner.h"

#include <QtConcurrent/QtConcurrentRun>

OrganizeRunner::OrganizeRunner(QObject *parent) : QObject(parent), m_files(std::make_shared<FileOperations>())
{
    m_pool.setMaxThreadCount(1);
    connect(&m_watcher, &QFutureWatcherBase::finished, this, [this] {
        const OrganizeOutcome outcome = m_watcher.result();
        m_running = false;
        Q_EMIT finished(outcome);
    });
}

OrganizeRunner::~OrganizeRunner()
{
    // The worker posts to this object only while it runs; it must be done
    // before the object goes.
    m_pool.waitForDone();
}

void OrganizeRunner::setFileOperations(std::shared_ptr<FileOperations> files)
{
    m_files = files ? std::move(files) : std::make_shared<FileOperations>();
}

void OrganizeRunner::start(OrganizeRequest request)
{
    Q_ASSERT(!m_running);
    m_running = true;
    std::shared_ptr<FileOperations> files = m_files;
    OrganizeCommit::Clock clock = m_clock;
    // Posted, never awaited: the worker goes on with its files while the GUI
    // thread shows the progress, and it never blocks on a GUI thread that may
    // itself be waiting for it to finish.
    OrganizeCommit::Progress report = [this](double fraction, const QString &filename) {
        QMetaObject::invokeMethod(
            this, [this, fraction, filename] { Q_EMIT progress(fraction, filename); }, Qt::QueuedConnection);
    };
    m_watcher.setFuture(QtConcurrent::run(
        &m_pool, [request = std::move(request), files, report, clock] { return OrganizeCommit::commit(request, *files, report, clock); }));
}
