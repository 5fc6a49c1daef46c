// triagon-bench formats [FOLDER]: the formats cameras write, at full size
// (the tests' format matrix: 1080p, 4K for HEVC, with grain so that they
// decode like footage; made with the ffmpeg tool into FOLDER once, and again
// only when their recipe changes), and on each of them the poster, scrub and
// player benchmarks, each in a process of its own. Their figures come out
// per format as <format>.<benchmark>.<figure>=<value>, followed by a summary
// of the figures the formats are held to.
#include "Bench.h"

#include "support/FormatMatrix.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProcess>
#include <QStandardPaths>

#include <cstdio>

namespace {

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

// Runs one benchmark on one file in a process of its own and gives back its figures.
QHash<QString, QString> runBenchmark(const QString &benchmark, const QString &file, bool *ok)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {benchmark, file});
    child.waitForFinished(-1);
    *ok = child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0;
    QHash<QString, QString> figures;
    for (const QByteArray &line : child.readAllStandardOutput().split('\n')) {
        const qsizetype equals = line.indexOf('=');
        if (equals > 0)
            figures.insert(QString::fromUtf8(line.left(equals)), QString::fromUtf8(line.mid(equals + 1)));
    }
    return figures;
}

QString shortName(const QString &fileName)
{
    QString name = QFileInfo(fileName).completeBaseName();
    name.remove(QStringLiteral("fmt_"));
    return name;
}

int formats(const QStringList &arguments)
{
    QString folder = arguments.value(0);
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/triagon-bench-formats");
    bench::print("folder", folder);
    bench::print("load_average_start", loadAverage());
    QString error;
    if (!FormatMatrix::makeAll(FormatMatrix::Scale::Bench, folder, &error)) {
        std::fprintf(stderr, "cannot make the formats: %s\n", qUtf8Printable(error));
        return 1;
    }

    const QStringList benchmarks{QStringLiteral("poster"), QStringLiteral("scrub"), QStringLiteral("player")};
    const QStringList held{QStringLiteral("poster.poster_ratio_to_bare"),
                           QStringLiteral("poster.poster_ratio_to_thumbnailer"),
                           QStringLiteral("scrub.exact_misses"),
                           QStringLiteral("player.reverse_steps_per_s"),
                           QStringLiteral("player.reverse_2x_steps_per_s"),
                           QStringLiteral("player.reverse_4x_steps_per_s"),
                           QStringLiteral("player.reverse_8x_steps_per_s"),
                           QStringLiteral("player.bare_reverse_steps_per_s_allowed")};
    QList<QPair<QString, QString>> summary;
    int failures = 0;
    for (const MatrixFormat &format : FormatMatrix::formats(FormatMatrix::Scale::Bench)) {
        const QString file = folder + QLatin1Char('/') + format.name;
        const QString name = shortName(format.name);
        for (const QString &benchmark : benchmarks) {
            bool ok = false;
            const QHash<QString, QString> figures = runBenchmark(benchmark, file, &ok);
            if (!ok)
                ++failures;
            QStringList keys = figures.keys();
            keys.sort();
            for (const QString &key : keys)
                bench::print(qPrintable(name + QLatin1Char('.') + benchmark + QLatin1Char('.') + key), figures.value(key));
            for (const QString &figure : held) {
                if (figure.startsWith(benchmark + QLatin1Char('.')) && figures.contains(figure.mid(benchmark.size() + 1)))
                    summary << qMakePair(name + QLatin1Char('.') + figure, figures.value(figure.mid(benchmark.size() + 1)));
            }
        }
    }
    for (const auto &[key, value] : std::as_const(summary))
        bench::print(qPrintable(QStringLiteral("summary.") + key), value);
    bench::print("failures", failures, 0);
    bench::print("load_average_end", loadAverage());
    return failures == 0 ? 0 : 1;
}

const BenchCommand command("formats",
                           "[FOLDER]   the formats cameras write at full size (made once into FOLDER): poster, scrub and player on each",
                           formats);

} // namespace
