#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QLoggingCategory>
#include <QStandardPaths>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

// What every fuzz target shares: a Qt application object, private standard
// locations, silent logging (a damaged input makes the code log, which would
// slow the run down), and a way to report a broken property as a crash so
// that libFuzzer keeps the input.
namespace fuzz {

inline void initialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QLoggingCategory::setFilterRules(QStringLiteral("*=false"));
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    static QCoreApplication app(*argc, *argv);
    QCoreApplication::setOrganizationName(QStringLiteral("brinkwolder"));
    QCoreApplication::setApplicationName(QStringLiteral("TriagonFuzz"));
}

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A property of the code that an input broke.
[[noreturn]] inline void fail(const char *what)
{
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

} // namespace fuzz
