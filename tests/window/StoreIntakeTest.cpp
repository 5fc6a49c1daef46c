#include "library/ClipStore.h"
#include "support/ImportTakes.h"
#include "support/StoreWithEngines.h"
#include "support/TestMedia.h"
#include "window/ImportPanel.h"
#include "window/StoreIntake.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class FakePanel : public ImportPanel
{
public:
    std::optional<QList<QUrl>> answer;
    QString message, prompt;
    std::optional<QList<QUrl>> run(const QString &m, const QString &p) override
    {
        message = m;
        prompt = p;
        return answer;
    }
};

} // namespace

TEST(Import, OpenPanelStartsOneImportPerFolderAndVideoFile)
{
    QTemporaryDir first, second, loose;
    makeTakes(first.path(), 2);
    TestMedia::copyTo(QStringLiteral("clip.mkv"), second.path(), QStringLiteral("other.mkv"));
    const QString file = TestMedia::copyTo(QStringLiteral("clip.mkv"), loose.path(), QStringLiteral("single.MKV"));
    QFile notes(loose.path() + QStringLiteral("/notes.txt"));
    ASSERT_TRUE(notes.open(QIODevice::WriteOnly));
    notes.close();

    StoreWithEngines withEngines;
    ClipStore &store = withEngines.store;
    FakePanel panel;
    StoreIntake intake(store);
    intake.setImportPanel(&panel);
    store.showImportPanel(); // cancelled: nothing happens
    EXPECT_EQ(panel.message, QStringLiteral("Select folders or video files to add"));
    EXPECT_EQ(panel.prompt, QStringLiteral("Add"));
    EXPECT_FALSE(store.isLoading());

    panel.answer = QList<QUrl>{QUrl::fromLocalFile(first.path()), QUrl::fromLocalFile(file), QUrl::fromLocalFile(notes.fileName()),
                               QUrl::fromLocalFile(second.path())};
    store.showImportPanel();
    EXPECT_TRUE(store.isLoading());
    EXPECT_EQ(store.sourceFolderURL(), QUrl::fromLocalFile(second.path()));
    ASSERT_TRUE(waitUntilIdle(store));
    EXPECT_EQ(store.clips().size(), 4);
    EXPECT_EQ(store.undoStack().size(), 3);
}
