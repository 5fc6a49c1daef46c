#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// triagon-bench: each subcommand lives in its own file and registers itself
// with a static BenchCommand. Output is `name=value` lines, the figure last,
// then max_rss_mb.
using BenchFunction = int (*)(const QStringList &arguments);

struct BenchCommand
{
    BenchCommand(const char *name, const char *usage, BenchFunction function);
};

namespace bench {
void print(const char *name, double value, int decimals = 2);
void print(const char *name, const QString &value);
double maxRssMb();
double residentMb(); // the resident set now
// Processor time of the whole process (all threads, user and system) so far.
double processorSeconds();
double median(QList<double> values);
double percentile(QList<double> values, double p); // p in 0..100
// Runs the event loop, sleeping while it has nothing to do, until `done`
// holds (true) or `timeoutMs` have passed (false).
bool waitFor(const std::function<bool()> &done, int timeoutMs);
// The same, checking `done` every 0.2 ms besides the events: for timings where
// a wake-up at the next event would blur the figure.
bool pollFor(const std::function<bool()> &done, int timeoutMs);
// Runs the event loop for `ms`.
void runFor(int ms);
} // namespace bench
