#include "app/widgets/SheetPresenter.h"

#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class NoteSheet : public QDialog
{
    Q_OBJECT
public:
    NoteSheet(int note, QWidget *parent) : QDialog(parent), note(note) {}
    int note;
};

class OtherSheet : public QDialog
{
    Q_OBJECT
public:
    using QDialog::QDialog;
};

} // namespace

TEST(SheetPresenter, PresentsOneSheetWhileTheFlagIsSetAndRetiresItAfter)
{
    QWidget window;
    window.resize(400, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int made = 0;
    int closed = 0;
    SheetPresenter notes(
        [&] {
            ++made;
            return new NoteSheet(made, &window);
        },
        [&] { ++closed; });
    SheetPresenter others([&] { return new OtherSheet(&window); }, {});

    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(nullptr), nullptr);
    notes.sync(false);
    EXPECT_EQ(notes.dialog(), nullptr);
    EXPECT_EQ(made, 0);

    notes.sync(true);
    auto *sheet = notes.sheet<NoteSheet>();
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->parentWidget(), &window);
    // Presenting again keeps the sheet; a sheet of another type is apart.
    notes.sync(true);
    EXPECT_EQ(notes.dialog(), sheet);
    EXPECT_EQ(made, 1);
    others.sync(true);
    auto *other = others.sheet<OtherSheet>();
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), sheet);
    EXPECT_EQ(SheetPresenter::presented<OtherSheet>(&window), other);

    // Cleared: hidden, no longer the window's at once, deleted later.
    QPointer<NoteSheet> guard(sheet);
    notes.sync(false);
    EXPECT_EQ(notes.dialog(), nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), nullptr);
    ASSERT_TRUE(guard);
    EXPECT_FALSE(guard->isVisible());
    EXPECT_EQ(guard->parentWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }, 5000));
    EXPECT_EQ(SheetPresenter::presented<OtherSheet>(&window), other);
    // Taken away by its flag: the close action is not asked for.
    EXPECT_EQ(closed, 0);

    // Each presentation is a new sheet.
    notes.sync(true);
    NoteSheet *again = notes.sheet<NoteSheet>();
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->note, 2);
}

TEST(SheetPresenter, ASheetThatIsNoLongerCurrentIsReplaced)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int wanted = 1;
    bool asked = false;
    SheetPresenter notes([&] { return new NoteSheet(wanted, &window); }, {},
                         [&](const QDialog *sheet) {
                             asked = true;
                             return static_cast<const NoteSheet *>(sheet)->note == wanted;
                         });

    notes.sync(true);
    QPointer<NoteSheet> first = notes.sheet<NoteSheet>();
    ASSERT_TRUE(first);
    notes.sync(true);
    EXPECT_EQ(notes.dialog(), first.data());

    wanted = 2;
    notes.sync(true);
    NoteSheet *second = notes.sheet<NoteSheet>();
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first.data());
    EXPECT_EQ(second->note, 2);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), second);
    EXPECT_EQ(window.findChildren<NoteSheet *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 5000));

    // Not shown: the predicate is not asked.
    asked = false;
    notes.sync(false);
    EXPECT_EQ(notes.dialog(), nullptr);
    EXPECT_FALSE(asked);
}

TEST(SheetPresenter, ASheetThatFinishesByItselfGoesAndClearsTheFlag)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    bool shown = true;
    SheetPresenter notes([&] { return new NoteSheet(1, &window); }, [&] { shown = false; });
    notes.sync(shown);
    QPointer<QDialog> sheet = notes.dialog();
    ASSERT_TRUE(sheet);

    // Escape rejects the dialog: it goes, and the window's flag is cleared.
    QTest::keyClick(sheet, Qt::Key_Escape);
    EXPECT_FALSE(shown);
    EXPECT_EQ(notes.dialog(), nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return sheet.isNull(); }, 5000));

    // A presenter that goes first leaves its sheet without a call back.
    auto presenter = std::make_unique<SheetPresenter>([&] { return new NoteSheet(2, &window); }, [&] { ADD_FAILURE() << "called back"; });
    presenter->sync(true);
    QPointer<QDialog> orphan = presenter->dialog();
    presenter.reset();
    ASSERT_TRUE(orphan);
    orphan->reject();
    delete orphan;
}

#include "SheetPresenterTest.moc"
