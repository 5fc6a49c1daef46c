#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

// The README says each thing once: no line is repeated, no "- Label:" entry
// of a list appears twice, and one line tells how to install.
TEST(Readme, SaysEachThingOnce)
{
    QFile file(QStringLiteral(TRIAGON_SOURCE_DIR "/README.md"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    QHash<QString, int> seen;
    QHash<QString, int> labels;
    int installLines = 0;
    const QRegularExpression label(QStringLiteral("^- ([A-Z][A-Za-z ]*):"));
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        EXPECT_EQ(++seen[line], 1) << "repeated: " << line.toStdString();
        if (const QRegularExpressionMatch match = label.match(line); match.hasMatch()) {
            EXPECT_EQ(++labels[match.captured(1)], 1) << "entry given twice: " << match.captured(1).toStdString();
        }
        if (line.contains(QStringLiteral("cmake --install")))
            ++installLines;
    }
    EXPECT_EQ(installLines, 1);
}
