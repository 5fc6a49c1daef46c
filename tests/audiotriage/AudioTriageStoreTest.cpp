#include "AudioTriageTestSupport.h"

#include "library/ClipStore.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace AudioTriageTest;

TEST(AudioTriageStore, StoringOneRecordKeepsTheOthersAndNotifiesOnNewEntriesOnly)
{
    ClipStore store;
    const QUuid a = QUuid::createUuid(), b = QUuid::createUuid();
    QSignalSpy changed(&store, &ClipStore::audioMetricsChanged);
    AudioMetrics loud;
    loud.maxRMS = 0.5f;
    store.setAudioMetrics(a, loud);
    store.setAudioMetrics(b, AudioMetrics());
    EXPECT_EQ(changed.count(), 2);
    AudioMetrics louder = loud;
    louder.maxRMS = 0.6f;
    store.setAudioMetrics(a, louder); // replaced: same number of entries
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(store.audioMetrics().value(a), louder);
    EXPECT_EQ(store.audioMetrics().value(b), AudioMetrics());
    // A new session forgets them.
    store.startNewSession({});
    EXPECT_TRUE(store.audioMetrics().isEmpty());
}

TEST(AudioTriageStore, ABlankLabelAddsNoTag)
{
    ClipStore store;
    const Clip a = clipAt(QStringLiteral("/footage/a.mov"));
    const Clip b = clipAt(QStringLiteral("/footage/b.mov"));
    store.setClips({a, b});
    const QStringList catalog = store.availableTags();

    store.applyAudioTriageTags({{a.id, QString()}, {b.id, QStringLiteral("  \t")}});
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_TRUE(store.clips()[1].tags.isEmpty());
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_EQ(store.availableTags(), catalog);

    // The other pairs of the same apply still count.
    store.applyAudioTriageTags({{a.id, QStringLiteral(" ")}, {b.id, QStringLiteral("Quiet ")}});
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_EQ(store.clips()[1].tags, QStringList{QStringLiteral("Quiet ")});
    EXPECT_EQ(store.undoTitle(), QStringLiteral("Undo Audio Triage (1 clips)"));
    EXPECT_TRUE(store.availableTags().contains(QStringLiteral("Quiet ")));
}

TEST(AudioTriageStore, ALabelThatBreaksTheTagNameRuleAddsNoTag)
{
    ClipStore store;
    const Clip a = clipAt(QStringLiteral("/footage/a.mov"));
    const Clip b = clipAt(QStringLiteral("/footage/b.mov"));
    store.setClips({a, b});
    const QStringList catalog = store.availableTags();

    for (const QString &label : {QStringLiteral("Crowd/Noise"), QStringLiteral(".."), QStringLiteral("."), QStringLiteral("a:b"),
                                 QStringLiteral("back\\slash"), QStringLiteral("bell\a")}) {
        store.applyAudioTriageTags({{a.id, label}});
        EXPECT_TRUE(store.clips()[0].tags.isEmpty()) << label.toStdString();
    }
    EXPECT_TRUE(store.undoStack().isEmpty());
    EXPECT_EQ(store.availableTags(), catalog);
    // The valid pairs of the same apply still count.
    store.applyAudioTriageTags({{a.id, QStringLiteral("Crowd/Noise")}, {b.id, QStringLiteral("Crowd Noise")}});
    EXPECT_TRUE(store.clips()[0].tags.isEmpty());
    EXPECT_EQ(store.clips()[1].tags, QStringList{QStringLiteral("Crowd Noise")});
}
