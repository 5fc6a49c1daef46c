// The organize run at the edges of real file systems: names at the length
// limit, a destination folder that goes away mid-run, and clips whose drive
// is gone. Each must end with the truthful message and no folder made in vain.
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"
#include "Printers.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Scratch
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("data/Triagon/CommitRecords");
    HookedFileOperations files;

    Clip clip(const QString &name, qint64 rating = 5, qint64 size = 100)
    {
        return clipFor(makeFile(footage + QLatin1Char('/') + name, size), rating);
    }
    OrganizeRequest request(const QList<Clip> &clips)
    {
        QDir().mkpath(destination);
        OrganizeRequest r;
        r.clips = clips;
        r.destination = QUrl::fromLocalFile(destination);
        r.organization = FolderOrganization::byRating;
        r.skippedCount = 1;
        r.recordsFolder = records;
        return r;
    }
    QString out(const QString &relative) const { return destination + QLatin1Char('/') + relative; }
};

} // namespace

TEST(OrganizeEdgeCases, ADestinationFolderRemovedMidRunIsNamedInEachRemainingError)
{
    Scratch run;
    const Clip a = run.clip(QStringLiteral("C0000.MP4"));
    const Clip b = run.clip(QStringLiteral("C0001.MP4"));
    const Clip c = run.clip(QStringLiteral("C0002.MP4"));
    const QString folder = run.out(QStringLiteral("5-star"));
    // Once the first file is moved and recorded, the user drags the folder away.
    run.files.after = [&](Op op, const QString &, const QString &) {
        if (op == Op::write && run.files.writes.size() == 2) {
            ASSERT_TRUE(QDir().rename(folder, run.out(QStringLiteral("elsewhere"))));
        }
    };
    const OrganizeOutcome outcome = OrganizeCommit::commit(run.request({a, b, c}), run.files);
    const QString gone = qt_error_string(ENOENT) + QStringLiteral(" (") + folder + QLatin1Char(')');
    EXPECT_EQ(outcome.result.errors, (QStringList{QStringLiteral("C0001.MP4: ") + gone, QStringLiteral("C0002.MP4: ") + gone}));
    EXPECT_TRUE(QFileInfo::exists(b.path()));
    EXPECT_TRUE(QFileInfo::exists(c.path()));
    EXPECT_TRUE(QFileInfo::exists(run.out(QStringLiteral("elsewhere/C0000.MP4"))));
}
