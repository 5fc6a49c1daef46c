// The settings file on a full disk: QSettings itself would replace it with an
// empty or cut file and report success; the file must stay as it was.
#include "support/SettingsFileFixture.h"
#include "support/SmallDisk.h"
#include "app/AppSettings.h"
#include "app/SettingsFileSync.h"

#include "LogCapture.h"

#include <QFile>
#include <QSettings>
#include <gtest/gtest.h>

namespace {

constexpr const char *kSettingsCategory = "com.brinkwolder.Triagon.settings";

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

class SettingsFileSyncTest : public SettingsFileFixture
{
};

} // namespace

// What the check relies on: QSettings writes one line per key and ends the
// file with a line break, whatever the keys and values hold, so that every
// cut of the file is told from the whole.
TEST_F(SettingsFileSyncTest, QSettingsOutputIsWholeAndEveryCutOfItIsNot)
{
    const QString path = freshFile();
    qsizetype keys = 0;
    {
        QSettings settings(path, QSettings::IniFormat);
        settings.setValue("plain", "text");
        settings.setValue("lines", "one\ntwo\r\nthree");
        settings.setValue("quotes and = signs", "\"a\" = 'b'; c");
        settings.setValue("unicode", QStringLiteral("\u00E9t\u00E9 \u2014 \U0001F3AC"));
        settings.setValue("empty", "");
        settings.setValue("list", QStringList{"a", "b, c", "d\"e"});
        settings.setValue("one", QStringList{"single"});
        settings.setValue("none", QStringList{});
        settings.setValue("flag", true);
        settings.setValue("number", 0.3);
        settings.setValue("whole", 42);
        settings.setValue("bytes", QByteArray("\0\1\2", 3));
        settings.setValue("group/inner", "x");
        settings.setValue("group/deeper/key", "y");
        settings.setValue("General/odd", "z");
        settings.setValue("[bracket]", "w");
        settings.setValue("customDefaultTags", QStringLiteral("[\"Dunk\",\"Three\",\"Fast Break\"]"));
        settings.sync();
        ASSERT_EQ(settings.status(), QSettings::NoError);
        keys = settings.allKeys().size();
    }
    const QByteArray whole = fileBytes(path);
    ASSERT_FALSE(whole.isEmpty());
    EXPECT_TRUE(SettingsFileSync::holdsWholeIni(whole, keys)) << whole.toStdString();
    for (qsizetype cut = 0; cut < whole.size(); ++cut)
        ASSERT_FALSE(SettingsFileSync::holdsWholeIni(whole.left(cut), keys)) << "cut at " << cut;
    EXPECT_TRUE(SettingsFileSync::holdsWholeIni(QByteArray(), 0));

    // Nothing to write and no file: no failure, and no file made.
    const QString none = freshFile();
    QSettings empty(none, QSettings::IniFormat);
    empty.remove("absent");
    EXPECT_EQ(SettingsFileSync::sync(empty), std::nullopt);
    EXPECT_FALSE(QFile::exists(none));

    // A long list in one value (thousands of tags) is one line too.
    const QString big = freshFile();
    {
        QSettings settings(big, QSettings::IniFormat);
        QStringList tags;
        for (int i = 0; i < 2000; ++i)
            tags.append(QStringLiteral("Tag %1").arg(i));
        settings.setValue("tags", tags);
        settings.setValue("after", 1);
        settings.sync();
    }
    const QByteArray large = fileBytes(big);
    EXPECT_TRUE(SettingsFileSync::holdsWholeIni(large, 2));
    for (const qsizetype cut : {qsizetype(4096), qsizetype(8192), large.size() / 2, large.size() - 1})
        EXPECT_FALSE(SettingsFileSync::holdsWholeIni(large.left(cut), 2)) << "cut at " << cut;
}

// A disk full to the last byte makes QSettings fail before it writes (its
// lock file cannot be written): the change waits for the next write. With a
// page left, QSettings gets as far as replacing the file with an empty one
// and reports success: the file is put back and the change is dropped.
TEST_F(SettingsFileSyncTest, AFullDiskLeavesTheSettingsFileAsItWas)
{
    for (const qint64 leaveFree : {qint64(0), qint64(4096)}) {
        SCOPED_TRACE(leaveFree);
        SmallDisk disk(dir.filePath(QStringLiteral("disk%1").arg(leaveFree)));
        SKIP_WITHOUT(disk);
        const QString path = disk.folder() + QStringLiteral("/Triagon.conf");
        AppSettings settings(path);
        settings.setMarkerTagBase(QStringLiteral("clap"));
        settings.setDefaultGridColumnsRaw(4);
        settings.setCustomDefaultTags({QStringLiteral("Dunk"), QStringLiteral("Three")});
        const QByteArray before = fileBytes(path);
        ASSERT_TRUE(before.contains("clap"));
        ASSERT_TRUE(disk.fill(leaveFree));

        LogCapture log(kSettingsCategory);
        settings.setMarkerTagBase(QStringLiteral("slate"));
        EXPECT_EQ(fileBytes(path), before);
        ASSERT_EQ(log.entries().size(), 1);
        if (leaveFree == 0) {
            EXPECT_EQ(log.entries()[0].message.toStdString(), (QStringLiteral("Settings could not be written to ") + path).toStdString());
            EXPECT_EQ(settings.markerTagBase().toStdString(), "slate");
        } else {
            EXPECT_EQ(log.entries()[0].message.toStdString(), (QStringLiteral("Settings could not be written whole to ") + path
                                                               + QStringLiteral("; the previous settings were kept"))
                                                                  .toStdString());
            // What reads back is what the file holds.
            EXPECT_EQ(settings.markerTagBase().toStdString(), "clap");
        }
        {
            // A later run reads every earlier setting.
            AppSettings later(reopened(path));
            EXPECT_EQ(later.markerTagBase().toStdString(), "clap");
            EXPECT_EQ(later.defaultGridColumnsRaw(), 4);
            EXPECT_EQ(later.decodedDefaultTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Three")}));
        }

        // With room again, the next change is written.
        disk.release();
        settings.setDefaultGridColumnsRaw(5);
        settings.setMarkerTagBase(QStringLiteral("slate"));
        AppSettings after(reopened(path));
        EXPECT_EQ(after.markerTagBase().toStdString(), "slate");
        EXPECT_EQ(after.defaultGridColumnsRaw(), 5);
        EXPECT_EQ(after.decodedDefaultTags(), (QStringList{QStringLiteral("Dunk"), QStringLiteral("Three")}));
    }
}
