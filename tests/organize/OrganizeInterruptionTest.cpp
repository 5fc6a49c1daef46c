// A run stopped at any step (as a killed process stops) leaves every file once,
// whole, at its old or its planned place, and a record that tells where.
#include "organize/CommitRecordRecovery.h"
#include "organize/OrganizeCommit.h"

#include "OrganizeTestSupport.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace OrganizeTest;
using Op = HookedFileOperations::Op;

namespace {

struct Scenario
{
    QTemporaryDir dir;
    QString footage = dir.filePath("footage");
    QString destination = dir.filePath("dest");
    QString records = dir.filePath("records");
    QList<Clip> clips;
    QHash<QString, QByteArray> contents; // by clip file name
    QByteArray existing;                 // a file already at a planned place

    Scenario()
    {
        for (int i = 0; i < 6; ++i) {
            const QString name = QStringLiteral("c%1.mov").arg(i);
            const Clip clip = clipFor(makeFile(footage + QLatin1Char('/') + name, 200 + i), i % 3 + 3, {});
            clips.append(clip);
            contents.insert(name, contentOf(clip.path()));
        }
        existing = contentOf(makeFile(destination + QStringLiteral("/5-star/c2.mov"), 17));
    }

    OrganizeRequest request() const { return byRating(clips, destination, records, true); }

    // Every regular file under the folder with the given content.
    QStringList placesOf(const QByteArray &content) const
    {
        QStringList places;
        QDirIterator it(dir.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            if (!path.startsWith(records) && contentOf(path) == content)
                places.append(path);
        }
        return places;
    }
};

// The run's operations, with c4.mov growing by a byte while it moves (so
// that its move back is among the steps) and a stop before operation
// `stopAt`. Reserving, the moves go as on a file system without
// RENAME_NOREPLACE and links, and each of their calls is a step too.
class StoppingFileOperations : public HookedFileOperations
{
public:
    StoppingFileOperations(int stopAt, RefusingCalls &calls, bool reserving) : HookedFileOperations(calls)
    {
        before = [this, stopAt](Op, const QString &, const QString &) -> std::optional<OrganizeError> {
            if (++steps == stopAt)
                throw Stopped{};
            return std::nullopt;
        };
        if (reserving)
            calls.after = [this, stopAt](RefusingCalls::Call) {
                if (++steps == stopAt)
                    throw Stopped{};
            };
        after = [](Op op, const QString &, const QString &to) {
            if (op == Op::move && to.endsWith(QStringLiteral("/4-star/c4.mov")))
                appendBytes(to, "x");
        };
    }
    int steps = 0;
};

// Every step of a run, stopped one after another.
void stopAtEveryStep(bool reserving)
{
    SCOPED_TRACE(reserving ? "reserving names" : "renameat2");
    // How many steps a whole run takes.
    int total = 0;
    {
        Scenario scenario;
        RefusingCalls calls(reserving ? RefusingCalls::likeFuseExfat : RefusingCalls::Refusals{});
        StoppingFileOperations files(-1, calls, reserving);
        OrganizeCommit::commit(scenario.request(), files);
        total = files.steps;
    }
    ASSERT_GT(total, 20);

    for (int stopAt = 1; stopAt <= total; ++stopAt) {
        SCOPED_TRACE(stopAt);
        Scenario scenario;
        RefusingCalls calls(reserving ? RefusingCalls::likeFuseExfat : RefusingCalls::Refusals{});
        StoppingFileOperations files(stopAt, calls, reserving);
        bool stopped = false;
        try {
            OrganizeCommit::commit(scenario.request(), files);
        } catch (const Stopped &) {
            stopped = true;
        }
        ASSERT_TRUE(stopped);

        // The record on disk, if the plan was recorded: always whole JSON.
        const QStringList records = QDir(scenario.records).entryList({QStringLiteral("*.json")}, QDir::Files);
        ASSERT_LE(records.size(), 1);
        QJsonArray entries;
        if (!records.isEmpty()) {
            QJsonParseError error;
            const QJsonDocument record = QJsonDocument::fromJson(contentOf(scenario.records + QLatin1Char('/') + records.first()), &error);
            ASSERT_EQ(error.error, QJsonParseError::NoError);
            entries = record.object()["files"].toArray();
            ASSERT_EQ(entries.size(), scenario.clips.size());
        }

        // The file that was there before the run is untouched.
        EXPECT_EQ(contentOf(scenario.destination + QStringLiteral("/5-star/c2.mov")), scenario.existing);

        int unrecorded = 0;
        for (qsizetype i = 0; i < scenario.clips.size(); ++i) {
            const Clip &clip = scenario.clips[i];
            QByteArray content = scenario.contents.value(clip.filename);
            QStringList places = scenario.placesOf(content);
            if (places.isEmpty() && clip.filename == QStringLiteral("c4.mov"))
                places = scenario.placesOf(content + "x"); // grew while it moved
            ASSERT_EQ(places.size(), 1) << clip.filename.toStdString() << " at " << places.join(", ").toStdString();
            const QString place = places.first();
            if (entries.isEmpty()) {
                EXPECT_EQ(place, clip.path()); // nothing moves before the plan is recorded
                continue;
            }
            const QJsonObject entry = entries[i].toObject();
            const QString status = entry["status"].toString();
            const bool atDestination = status == QStringLiteral("verified") || status == QStringLiteral("needs_review");
            const QString recorded = atDestination ? entry["to"].toString() : entry["from"].toString();
            EXPECT_TRUE(place == entry["from"].toString() || place == entry["to"].toString()) << place.toStdString();
            if (place != recorded)
                ++unrecorded;
        }
        EXPECT_LE(unrecorded, 1);

        // What the stop left besides the files, cleared as the next run
        // clears it: no empty file remains.
        FileOperations real;
        CommitRecordRecovery::clearLeftovers(real, scenario.records);
        EXPECT_TRUE(scenario.placesOf(QByteArray()).isEmpty()) << scenario.placesOf(QByteArray()).join(", ").toStdString();
    }
}

} // namespace

TEST(OrganizeInterruption, EveryStopLeavesEachFileOnceAndTheRecordTellingWhere)
{
    for (const bool reserving : {false, true})
        stopAtEveryStep(reserving);
}
