// What a screen reader is given: hidden widgets are not in the tree.
#include "AppTestSupport.h"

#include "app/ui/MainWindow.h"
#include "app/ui/TriagonApp.h"
#include "app/ui/VisibleChildrenAccessible.h"
#include "window/ContentView.h"

#include <QAccessible>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

#include <functional>

namespace {

// Every name in the tree below `root`, walked as an accessibility client does.
QStringList namesInTree(QObject *root)
{
    QStringList names;
    std::function<void(QAccessibleInterface *, int)> walk = [&](QAccessibleInterface *node, int depth) {
        if (!node || depth > 40)
            return;
        const QString name = node->text(QAccessible::Name);
        if (!name.isEmpty())
            names.append(name);
        for (int i = 0; i < node->childCount(); ++i)
            walk(node->child(i), depth + 1);
    };
    walk(QAccessible::queryAccessibleInterface(root), 0);
    return names;
}

bool anyContains(const QStringList &names, const QString &text)
{
    return std::any_of(names.cbegin(), names.cend(), [&](const QString &name) { return name.contains(text); });
}

bool startAndWait(TriagonApp &app)
{
    QSignalSpy spy(&app, &TriagonApp::launchFinished);
    app.start();
    return app.isLaunchFinished() || spy.wait(30000);
}

} // namespace

TEST(AccessibilityTree, HiddenChildrenOfContainersAreLeftOut)
{
    VisibleChildrenAccessible::install();
    QWidget window;
    auto *column = new QVBoxLayout(&window);
    auto *shown = new QLabel(QStringLiteral("Shown"), &window);
    auto *bar = new QFrame(&window);
    auto *barText = new QLabel(QStringLiteral("0 files offline"), bar);
    (new QVBoxLayout(bar))->addWidget(barText);
    column->addWidget(shown);
    column->addWidget(bar);
    bar->hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QAccessibleInterface *root = QAccessible::queryAccessibleInterface(&window);
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(root->role(), QAccessible::Client);
    EXPECT_EQ(root->childCount(), 1);
    EXPECT_EQ(root->child(0)->object(), shown);
    EXPECT_EQ(root->indexOfChild(QAccessible::queryAccessibleInterface(bar)), -1);
    EXPECT_EQ(root->child(1), nullptr);
    EXPECT_FALSE(namesInTree(&window).contains(QStringLiteral("0 files offline")));

    bar->show();
    EXPECT_EQ(root->childCount(), 2);
    EXPECT_EQ(root->indexOfChild(QAccessible::queryAccessibleInterface(bar)), 1);
    EXPECT_TRUE(namesInTree(&window).contains(QStringLiteral("0 files offline")));
    // The frame keeps the role Qt gives frames; a label keeps its own interface.
    EXPECT_EQ(QAccessible::queryAccessibleInterface(bar)->role(), QAccessible::Border);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(barText)->role(), QAccessible::StaticText);
}

TEST(AccessibilityTree, DialogsAndStacksListOnlyWhatIsShown)
{
    VisibleChildrenAccessible::install();
    QDialog dialog;
    auto *stack = new QStackedWidget(&dialog);
    stack->addWidget(new QLabel(QStringLiteral("First page"), stack));
    stack->addWidget(new QLabel(QStringLiteral("Second page"), stack));
    auto *note = new QLabel(QStringLiteral("Hidden note"), &dialog);
    auto *column = new QVBoxLayout(&dialog);
    column->addWidget(stack);
    column->addWidget(note);
    note->hide();
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(&dialog)->role(), QAccessible::Dialog);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(stack)->role(), QAccessible::LayeredPane);
    const QStringList names = namesInTree(&dialog);
    EXPECT_TRUE(names.contains(QStringLiteral("First page")));
    EXPECT_FALSE(names.contains(QStringLiteral("Second page")));
    EXPECT_FALSE(names.contains(QStringLiteral("Hidden note")));
}

// The status bar across the grid is hidden while no file is offline; it must
// not be read out then, and it is when a file goes offline.
TEST(AccessibilityTree, TheOfflineStatusBarIsReadOnlyWhileFilesAreOffline)
{
    QTemporaryDir footage;
    const QString present = footage.filePath(QStringLiteral("A001.mov"));
    {
        QFile file(present);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    ASSERT_TRUE(plantSession({plantedClip(present)}, {}, QStringLiteral("By Tag"), 3));
    TriagonApp app;
    ASSERT_TRUE(startAndWait(app));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(app.mainWindow()));
    ASSERT_EQ(app.store().offlineClips().size(), 0);
    EXPECT_FALSE(anyContains(namesInTree(app.mainWindow()), QStringLiteral("offline")))
        << namesInTree(app.mainWindow()).join(QStringLiteral(" | ")).toStdString();

    ASSERT_TRUE(QFile::remove(present));
    app.store().refreshAvailability();
    ASSERT_EQ(app.store().offlineClips().size(), 1);
    EXPECT_TRUE(namesInTree(app.mainWindow()).contains(QStringLiteral("1 file offline \u00B7 Review saved")));
}
