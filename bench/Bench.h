#pragma once

#include <QString>
#include <QStringList>

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
double median(QList<double> values);
double percentile(QList<double> values, double p); // p in 0..100
} // namespace bench
