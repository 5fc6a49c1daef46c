#include "Bench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QFile>
#include <QEventLoop>
#include <QTextStream>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>

namespace {
struct Entry
{
    const char *usage;
    BenchFunction function;
};
std::map<std::string, Entry> &commands()
{
    static std::map<std::string, Entry> all;
    return all;
}
} // namespace

BenchCommand::BenchCommand(const char *name, const char *usage, BenchFunction function)
{
    commands()[name] = Entry{usage, function};
}

void bench::print(const char *name, double value, int decimals)
{
    std::printf("%s=%.*f\n", name, decimals, value);
    std::fflush(stdout);
}

void bench::print(const char *name, const QString &value)
{
    std::printf("%s=%s\n", name, value.toUtf8().constData());
    std::fflush(stdout);
}

double bench::maxRssMb()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss / 1024.0; // ru_maxrss is in kilobytes on Linux
}

double bench::processorSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
}

double bench::residentMb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    }
    return 0;
}

bool bench::waitFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return true;
}

bool bench::pollFor(const std::function<bool()> &done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        QThread::usleep(200);
    }
    return true;
}

void bench::runFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    pollFor([&] { return timer.elapsed() >= ms; }, ms + 1000);
}

double bench::median(QList<double> values)
{
    return percentile(std::move(values), 50);
}

double bench::percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const double rank = p / 100.0 * (values.size() - 1);
    const auto lo = static_cast<qsizetype>(std::floor(rank));
    const auto hi = std::min(lo + 1, values.size() - 1);
    return values[lo] + (values[hi] - values[lo]) * (rank - lo);
}

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QApplication::setApplicationName(QStringLiteral("Triagon"));
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty() || !commands().count(arguments.first().toStdString())) {
        std::fprintf(stderr, "usage: triagon-bench COMMAND ...\n");
        for (const auto &[name, entry] : commands())
            std::fprintf(stderr, "  %s %s\n", name.c_str(), entry.usage);
        return 2;
    }
    const Entry entry = commands()[arguments.takeFirst().toStdString()];
    const int result = entry.function(arguments);
    bench::print("max_rss_mb", bench::maxRssMb(), 1);
    return result;
}
