#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Settings files that no QSettings of this process has opened yet, so their
// values are read from disk exactly as a new run would read them (within one
// process QSettings' cache would hide how INI values come back).
class SettingsFileFixture : public ::testing::Test
{
protected:
    QString freshFile(const QByteArray &contents = {})
    {
        const QString path = dir.filePath(QStringLiteral("settings-%1.conf").arg(++fileCount));
        if (!contents.isNull()) {
            QFile file(path);
            EXPECT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(contents);
        }
        return path;
    }

    // Copies a written file to a new path: the copy reads like a new run.
    QString reopened(const QString &path)
    {
        const QString copy = freshFile();
        EXPECT_TRUE(QFile::copy(path, copy));
        return copy;
    }

    QTemporaryDir dir;
    int fileCount = 0;
};
