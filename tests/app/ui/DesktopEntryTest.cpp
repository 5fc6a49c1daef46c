// The desktop offers "Open With Triagon" for every MIME type the desktop entry
// claims; each must take in files the importer opens, as the desktop's
// shared MIME database (shared-mime-info) maps extensions to types.
#include "library/model/VideoExtensions.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <gtest/gtest.h>

#include <iostream>

namespace {

QList<QByteArray> lines(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().split('\n') : QList<QByteArray>();
}

// The compiled database of every data folder: the types it knows, their
// aliases and the extensions of their "*.ext" globs.
struct MimeDatabase
{
    QSet<QString> types;
    QHash<QString, QString> canonical;
    QHash<QString, QSet<QString>> extensions;

    static MimeDatabase read(bool *found)
    {
        MimeDatabase db;
        *found = false;
        const QString dirs = qEnvironmentVariable("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
        for (const QString &dir : dirs.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
            const QString mime = dir + QStringLiteral("/mime/");
            if (!QFile::exists(mime + QStringLiteral("globs2")))
                continue;
            *found = true;
            for (const QByteArray &line : lines(mime + QStringLiteral("types")))
                db.types.insert(QString::fromUtf8(line.trimmed()));
            for (const QByteArray &line : lines(mime + QStringLiteral("aliases"))) {
                const QList<QByteArray> pair = line.trimmed().split(' ');
                if (pair.size() == 2)
                    db.canonical.insert(QString::fromUtf8(pair[0]), QString::fromUtf8(pair[1]));
            }
            // weight:type:glob[:flags]
            for (const QByteArray &line : lines(mime + QStringLiteral("globs2"))) {
                const QList<QByteArray> fields = line.split(':');
                if (line.startsWith('#') || fields.size() < 3 || !fields[2].startsWith("*.") || fields[2].mid(2).contains('*'))
                    continue;
                db.extensions[QString::fromUtf8(fields[1])].insert(QString::fromUtf8(fields[2].mid(2)).toLower());
            }
        }
        return db;
    }
};

} // namespace

TEST(DesktopEntry, EveryClaimedTypeHasAnExtensionTheImporterOpens)
{
    bool found = false;
    const MimeDatabase db = MimeDatabase::read(&found);
    if (!found)
        GTEST_SKIP() << "no shared MIME database (Debian package shared-mime-info; scripts/deps.sh installs it)";

    QStringList claimed;
    for (const QByteArray &line : lines(QStringLiteral(TRIAGON_SOURCE_DIR "/Triagon/app/ui/com.brinkwolder.Triagon.desktop"))) {
        if (line.startsWith("MimeType="))
            claimed = QString::fromUtf8(line.mid(9).trimmed()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    ASSERT_FALSE(claimed.isEmpty());
    const QSet<QString> &opened = supportedVideoExtensions();
    for (const QString &type : claimed) {
        SCOPED_TRACE(type.toStdString());
        const QString canonical = db.canonical.value(type, type);
        if (!db.types.contains(canonical)) {
            // A newer name this database does not know: no file has it here.
            std::cout << type.toStdString() << ": not in this MIME database\n";
            continue;
        }
        const QSet<QString> extensions = db.extensions.value(canonical);
        QStringList names(extensions.cbegin(), extensions.cend());
        names.sort();
        EXPECT_TRUE(extensions.intersects(opened))
            << "its extensions (" << names.join(QStringLiteral(", ")).toStdString() << ") are none that the importer opens";
    }
}
