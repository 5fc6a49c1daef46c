// The desktop offers "Open With Triagon" for every MIME type the desktop entry
// claims; each must take in files the importer opens, as the desktop's
// shared MIME database (shared-mime-info) maps extensions to types.
#include "library/model/VideoExtensions.h"

#include <QFile>
#include <QMimeDatabase>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

TEST(DesktopEntry, EveryClaimedTypeHasAnExtensionTheImporterOpens)
{
    // Qt reads the same database as the desktop; a type every one has tells it is there.
    const QMimeDatabase db;
    if (!db.mimeTypeForName(QStringLiteral("text/plain")).isValid())
        GTEST_SKIP() << "no shared MIME database (Debian package shared-mime-info; scripts/deps.sh installs it)";

    QFile entry(QStringLiteral(TRIAGON_SOURCE_DIR "/Triagon/app/ui/com.brinkwolder.Triagon.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    QStringList claimed;
    for (const QByteArray &line : entry.readAll().split('\n')) {
        if (line.startsWith("MimeType="))
            claimed = QString::fromUtf8(line.mid(9).trimmed()).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    ASSERT_FALSE(claimed.isEmpty());
    for (const QString &name : claimed) {
        SCOPED_TRACE(name.toStdString());
        // An alias is known by the type it names.
        const QMimeType type = db.mimeTypeForName(name);
        if (!type.isValid()) {
            // A newer name this database does not know: no file has it here.
            std::cout << name.toStdString() << ": not in this MIME database\n";
            continue;
        }
        const QStringList extensions = type.suffixes();
        EXPECT_TRUE(std::any_of(extensions.cbegin(), extensions.cend(),
                                [](const QString &extension) { return supportedVideoExtensions().contains(extension.toLower()); }))
            << "its extensions (" << extensions.join(QStringLiteral(", ")).toStdString() << ") are none that the importer opens";
    }
}
