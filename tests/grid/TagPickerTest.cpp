#include "GridTestSupport.h"

#include "app/widgets/FlowLayout.h"
#include "app/widgets/TagPickerView.h"

#include <QAccessible>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct Picker
{
    TagPickerView view;
    QSignalSpy toggled{&view, &TagPickerView::tagToggled};
    QSignalSpy added{&view, &TagPickerView::tagAdded};
    QSignalSpy dismissed{&view, &TagPickerView::dismissed};

    Picker(const QStringList &available, const QStringList &selected, const QSet<QString> &mixed = {}, bool addMode = false)
        : view(available, selected, mixed, addMode, QColor(249, 115, 22))
    {
        view.show();
        QCoreApplication::processEvents();
    }
    void key(Qt::Key k) { QTest::keyClick(&view, k); }
};

} // namespace

TEST(TagPicker, ArrowsMoveWithoutWrappingSpaceTogglesAndReturnDismisses)
{
    Picker p({QStringLiteral("Action"), QStringLiteral("Dunk")}, {QStringLiteral("Dunk")});
    EXPECT_EQ(p.view.focusedIndex(), 0);
    p.key(Qt::Key_Left);
    EXPECT_EQ(p.view.focusedIndex(), 0); // stays on the first tag
    p.key(Qt::Key_Space);
    ASSERT_EQ(p.toggled.count(), 1);
    EXPECT_EQ(p.toggled.at(0).at(0).toString(), QStringLiteral("Action"));
    p.key(Qt::Key_Down);
    p.key(Qt::Key_Right);
    EXPECT_EQ(p.view.focusedIndex(), 2); // the "New tag" row
    p.key(Qt::Key_Right);
    EXPECT_EQ(p.view.focusedIndex(), 2);
    p.key(Qt::Key_Space); // nothing to toggle on the "New tag" row
    EXPECT_EQ(p.toggled.count(), 1);
    p.key(Qt::Key_Up);
    EXPECT_EQ(p.view.focusedIndex(), 1);
    p.key(Qt::Key_Return);
    EXPECT_EQ(p.dismissed.count(), 1);
    p.key(Qt::Key_Escape);
    EXPECT_EQ(p.dismissed.count(), 2);
}

TEST(TagPicker, WithNoTagsOnlyTheNewTagRowIsThere)
{
    Picker p({}, {});
    ASSERT_EQ(p.view.rows().size(), 1);
    EXPECT_EQ(p.view.rows().first()->accessibleName(), QStringLiteral("New tag"));
    p.key(Qt::Key_Space);
    EXPECT_EQ(p.toggled.count(), 0);
    p.key(Qt::Key_Return);
    EXPECT_EQ(p.dismissed.count(), 1);
}

TEST(TagPicker, AddModeTakesTypedNamesTrimmedAndEscapeLeavesItFirst)
{
    Picker p({QStringLiteral("Dunk")}, {QStringLiteral("Dunk")});
    click(p.view.rows().last(), p.view.rows().last()->rect().center());
    ASSERT_TRUE(p.view.isAddingNew());
    QLineEdit *field = p.view.newTagField();
    field->setFocus();
    QTest::keyClicks(field, QStringLiteral("  Fast Break  "));
    QTest::keyClick(field, Qt::Key_Return);
    ASSERT_EQ(p.added.count(), 1);
    EXPECT_EQ(p.added.at(0).at(0).toString(), QStringLiteral("Fast Break"));
    ASSERT_EQ(p.toggled.count(), 1); // applied to the clips at once
    EXPECT_EQ(p.toggled.at(0).at(0).toString(), QStringLiteral("Fast Break"));
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(p.view.isAddingNew()); // several names in a row
    EXPECT_EQ(p.dismissed.count(), 0); // Return in the field does not dismiss

    // A tag already applied is added to the catalogue but not toggled off.
    QTest::keyClicks(field, QStringLiteral("Dunk"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(p.added.count(), 2);
    EXPECT_EQ(p.toggled.count(), 1);
    // Nor one typed with a combining accent where the tag has a precomposed letter: the same tag, which comes out composed.
    Picker accented({QStringLiteral("Caf\u00e9")}, {QStringLiteral("Caf\u00e9")}, {}, true);
    accented.view.newTagField()->setText(QStringLiteral("Cafe\u0301"));
    QTest::keyClick(accented.view.newTagField(), Qt::Key_Return);
    ASSERT_EQ(accented.added.count(), 1);
    EXPECT_EQ(accented.added.at(0).at(0).toString(), QStringLiteral("Caf\u00e9"));
    EXPECT_EQ(accented.toggled.count(), 0);

    QTest::keyClick(field, Qt::Key_Escape);
    EXPECT_FALSE(p.view.isAddingNew());
    EXPECT_EQ(p.dismissed.count(), 0);
    p.key(Qt::Key_Escape);
    EXPECT_EQ(p.dismissed.count(), 1);
}

TEST(TagPicker, OnlyFolderSafeNamesCanBeAdded)
{
    for (const QString &bad :
         {QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("a\\b"), QStringLiteral("   "), QStringLiteral("."),
          QStringLiteral(".."), QStringLiteral("tab\tinside"), QStringLiteral("zero\u200Bwidth"), QStringLiteral("bell\u0007")})
        EXPECT_FALSE(TagPickerView::isValidTagName(bad)) << bad.toStdString();
    for (const QString &good :
         {QStringLiteral("Fast Break"), QStringLiteral(" b-roll\n"), QStringLiteral("Épique ✨"), QStringLiteral("...x")})
        EXPECT_TRUE(TagPickerView::isValidTagName(good)) << good.toStdString();

    Picker p({}, {}, {}, true);
    ASSERT_TRUE(p.view.isAddingNew());
    QLineEdit *field = p.view.newTagField();
    EXPECT_FALSE(p.view.nameNotice()->isVisibleTo(&p.view)); // empty field: no message
    EXPECT_FALSE(p.view.addButton()->isEnabled());
    field->setText(QStringLiteral("one/two"));
    EXPECT_TRUE(p.view.nameNotice()->isVisibleTo(&p.view));
    EXPECT_EQ(p.view.nameNotice()->text(), QStringLiteral("Use a folder-safe name without slashes, colons, or control characters."));
    EXPECT_FALSE(p.view.addButton()->isEnabled());
    p.view.addButton()->click();
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(p.added.count(), 0);
    EXPECT_EQ(field->text(), QStringLiteral("one/two")); // the text stays
    field->setText(QStringLiteral("   "));
    EXPECT_TRUE(p.view.nameNotice()->isVisibleTo(&p.view));
    field->setText(QStringLiteral("one-two"));
    EXPECT_FALSE(p.view.nameNotice()->isVisibleTo(&p.view));
    EXPECT_TRUE(p.view.addButton()->isEnabled());
    p.view.addButton()->click();
    EXPECT_EQ(p.added.count(), 1);
}

TEST(TagPicker, MixedTagsReadWithADashAndAreNotDrawnAsApplied)
{
    Picker p({QStringLiteral("Action"), QStringLiteral("Dunk")}, {QStringLiteral("Action")}, {QStringLiteral("Dunk")});
    EXPECT_TRUE(p.view.mixedNote()->isVisibleTo(&p.view));
    ASSERT_EQ(p.view.rows().size(), 3);
    EXPECT_EQ(p.view.rows().at(1)->accessibleName(), QStringLiteral("Dunk"));
    Picker plain({QStringLiteral("Action")}, {});
    EXPECT_FALSE(plain.view.mixedNote()->isVisibleTo(&plain.view));
}

TEST(FlowLayout, ItemsWrapWhenTheWidthRunsOut)
{
    const QList<QSizeF> three{QSizeF(100, 20), QSizeF(100, 30), QSizeF(100, 20)};
    auto a = FlowLayout::arrangeRows(three, 208, 8);
    EXPECT_EQ(a.positions.at(1), QPointF(108, 0)); // 100 + 8 + 100 = 208 still fits
    EXPECT_EQ(a.positions.at(2), QPointF(0, 38));  // below the taller first line
    EXPECT_EQ(a.size, QSizeF(208, 58));
    a = FlowLayout::arrangeRows(three, std::numeric_limits<qreal>::infinity(), 8);
    EXPECT_EQ(a.size, QSizeF(316, 30));
    a = FlowLayout::arrangeRows(three, 0, 8);
    EXPECT_EQ(a.positions.at(2), QPointF(0, 66));
    a = FlowLayout::arrangeRows({QSizeF(300, 10)}, 100, 8);
    EXPECT_EQ(a.positions.at(0), QPointF(0, 0));
    EXPECT_EQ(a.size, QSizeF(300, 10));
    EXPECT_EQ(FlowLayout::arrangeRows({}, 100, 8).size, QSizeF(0, 0));
}

namespace {

// What a screen reader finds for the chip of `tag`: the picker's child of
// that name.
QAccessibleInterface *chipFor(TagPickerView *picker, const QString &name)
{
    for (QWidget *row : picker->rows()) {
        QAccessibleInterface *chip = QAccessible::queryAccessibleInterface(row);
        if (chip && chip->text(QAccessible::Name) == name)
            return chip;
    }
    return nullptr;
}

void pressChip(QAccessibleInterface *chip)
{
    ASSERT_NE(chip, nullptr);
    ASSERT_NE(chip->actionInterface(), nullptr);
    ASSERT_TRUE(chip->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
    chip->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
}

} // namespace

TEST(TagPicker, ChipsAreButtonsNamedAfterTheirTagSelectedWhenOnAndPressedByTheirAction)
{
    Picker p({QStringLiteral("Action"), QStringLiteral("Dunk")}, {QStringLiteral("Dunk")}, {QStringLiteral("Action")});
    QAccessibleInterface *action = chipFor(&p.view, QStringLiteral("Action"));
    QAccessibleInterface *dunk = chipFor(&p.view, QStringLiteral("Dunk"));
    QAccessibleInterface *newTag = chipFor(&p.view, QStringLiteral("New tag"));
    ASSERT_NE(action, nullptr); // the mixed tag is named by its tag, without the dash
    ASSERT_NE(dunk, nullptr);
    ASSERT_NE(newTag, nullptr);
    for (QAccessibleInterface *chip : {action, dunk, newTag})
        EXPECT_EQ(chip->role(), QAccessible::Button);
    EXPECT_TRUE(dunk->state().selected);
    EXPECT_FALSE(action->state().selected);
    EXPECT_FALSE(newTag->state().selected);

    pressChip(action);
    ASSERT_EQ(p.toggled.count(), 1);
    EXPECT_EQ(p.toggled.at(0).at(0).toString(), QStringLiteral("Action"));
    // The owner hands the new state back; the chip follows it.
    p.view.setTags({QStringLiteral("Action"), QStringLiteral("Dunk")}, {QStringLiteral("Action"), QStringLiteral("Dunk")}, {});
    EXPECT_TRUE(chipFor(&p.view, QStringLiteral("Action"))->state().selected);

    pressChip(newTag);
    EXPECT_TRUE(p.view.isAddingNew());
}

// The rows never take the keyboard themselves: the panel does, and the row it
// highlights is the focus for a screen reader (each move is also announced to
// it as a focus change, which only a running screen reader receives). The
// "↵ done" hint is drawn but not read out.
TEST(TagPicker, TheHighlightedChipIsTheFocusForAScreenReaderAndTheDoneHintIsNotReadOut)
{
    Picker p({QStringLiteral("Action"), QStringLiteral("Dunk")}, {QStringLiteral("Dunk")});
    QStringList texts;
    std::function<void(QAccessibleInterface *)> collect = [&](QAccessibleInterface *node) {
        for (QAccessible::Text kind : {QAccessible::Name, QAccessible::Description, QAccessible::Value})
            texts << node->text(kind);
        for (int i = 0; i < node->childCount(); ++i) {
            if (QAccessibleInterface *child = node->child(i))
                collect(child);
        }
    };
    collect(QAccessible::queryAccessibleInterface(&p.view));
    EXPECT_TRUE(texts.contains(QStringLiteral("Tags")));
    EXPECT_FALSE(texts.contains(TagPickerView::hintText())) << texts.join(QLatin1Char('|')).toStdString();
    // Still drawn: ink at the header's end, inside the panel's padding, where
    // the space between the title and the hint has none.
    const QImage image = p.view.grab().toImage();
    const auto pixel = [&](int x, int y) { return image.pixelColor(QPointF(x, y).toPoint() * image.devicePixelRatio()); };
    const QColor blank = pixel(p.view.width() / 2, 20);
    int ink = 0;
    for (int x = p.view.width() - 14 - 30; x < p.view.width() - 14; ++x) {
        for (int y = 14; y < 30; ++y)
            ink += pixel(x, y) != blank ? 1 : 0;
    }
    EXPECT_GT(ink, 10);

    const auto focusedChips = [&p] {
        QStringList names;
        for (QWidget *row : p.view.rows()) {
            QAccessibleInterface *chip = QAccessible::queryAccessibleInterface(row);
            EXPECT_TRUE(chip->state().focusable);
            if (chip->state().focused)
                names.append(chip->text(QAccessible::Name));
        }
        return names;
    };
    p.view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&p.view));
    ASSERT_TRUE(p.view.hasFocus());
    EXPECT_EQ(focusedChips(), QStringList{QStringLiteral("Action")});
    p.key(Qt::Key_Right);
    EXPECT_EQ(focusedChips(), QStringList{QStringLiteral("Dunk")});
    p.key(Qt::Key_Down);
    EXPECT_EQ(focusedChips(), QStringList{QStringLiteral("New tag")});

    // In add mode the field has the keyboard and no chip is the focus; nor
    // while another window has it.
    pressChip(chipFor(&p.view, QStringLiteral("New tag")));
    EXPECT_TRUE(p.view.newTagField()->hasFocus());
    EXPECT_EQ(focusedChips(), QStringList());
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    QTest::keyClick(p.view.newTagField(), Qt::Key_Escape);
    EXPECT_EQ(focusedChips(), QStringList());
}
