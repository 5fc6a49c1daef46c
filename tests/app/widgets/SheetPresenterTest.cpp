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
    auto make = [&] {
        ++made;
        return new NoteSheet(made, &window);
    };

    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(nullptr), nullptr);
    EXPECT_EQ(SheetPresenter::present<NoteSheet>(&window, false, make), nullptr);
    EXPECT_EQ(made, 0);

    NoteSheet *sheet = SheetPresenter::present<NoteSheet>(&window, true, make);
    ASSERT_NE(sheet, nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), sheet);
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(sheet->windowModality(), Qt::WindowModal);
    EXPECT_EQ(sheet->parentWidget(), &window);
    // Presenting again keeps the sheet; a sheet of another type is apart.
    EXPECT_EQ(SheetPresenter::present<NoteSheet>(&window, true, make), sheet);
    EXPECT_EQ(made, 1);
    auto *other = SheetPresenter::present<OtherSheet>(&window, true, [&] { return new OtherSheet(&window); });
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), sheet);
    EXPECT_EQ(SheetPresenter::presented<OtherSheet>(&window), other);

    // Cleared: hidden, no longer the window's at once, deleted later.
    QPointer<NoteSheet> guard(sheet);
    EXPECT_EQ(SheetPresenter::present<NoteSheet>(&window, false, make), nullptr);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), nullptr);
    ASSERT_TRUE(guard);
    EXPECT_FALSE(guard->isVisible());
    EXPECT_EQ(guard->parentWidget(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return guard.isNull(); }, 5000));
    EXPECT_EQ(SheetPresenter::presented<OtherSheet>(&window), other);

    // Each presentation is a new sheet.
    NoteSheet *again = SheetPresenter::present<NoteSheet>(&window, true, make);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->note, 2);
}

TEST(SheetPresenter, ASheetThatIsNoLongerCurrentIsReplaced)
{
    QWidget window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int wanted = 1;
    auto make = [&] { return new NoteSheet(wanted, &window); };
    auto current = [&](const NoteSheet *sheet) { return sheet->note == wanted; };

    QPointer<NoteSheet> first = SheetPresenter::present<NoteSheet>(&window, true, make, current);
    ASSERT_TRUE(first);
    EXPECT_EQ(SheetPresenter::present<NoteSheet>(&window, true, make, current), first.data());

    wanted = 2;
    NoteSheet *second = SheetPresenter::present<NoteSheet>(&window, true, make, current);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first.data());
    EXPECT_EQ(second->note, 2);
    EXPECT_EQ(SheetPresenter::presented<NoteSheet>(&window), second);
    EXPECT_EQ(window.findChildren<NoteSheet *>(QString(), Qt::FindDirectChildrenOnly).size(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return first.isNull(); }, 5000));

    // Not shown: the predicate is not asked.
    EXPECT_EQ(SheetPresenter::present<NoteSheet>(&window, false, make, [](const NoteSheet *) -> bool {
                  ADD_FAILURE() << "asked";
                  return true;
              }),
              nullptr);
}

#include "SheetPresenterTest.moc"
