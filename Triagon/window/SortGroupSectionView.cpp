#include "window/SortGroupSectionView.h"

#include "app/widgets/SegmentedControl.h"
#include "library/ClipStore.h"
#include "window/SidebarSection.h"

#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QVBoxLayout>

SortGroupSectionView::SortGroupSectionView(ClipStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("sortGroupSection"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *sortBlock = new QVBoxLayout;
    sortBlock->setSpacing(6);
    sortBlock->addWidget(SidebarSection::caption(QStringLiteral("Sort by"), this));
    m_sort = new SegmentedControl(SegmentedControl::Look::track, this);
    m_sort->setObjectName(QStringLiteral("sortPicker"));
    m_sort->setAccessibleName(QStringLiteral("Sort by"));
    for (SortOrder order : allSortOrders())
        m_sort->addTextSegment(rawValue(order));
    m_sort->setTextPixels(11);
    connect(m_sort, &SegmentedControl::activated, this, [this](int index) { m_store.setSortOrder(allSortOrders().value(index)); });
    sortBlock->addWidget(m_sort);
    column->addLayout(sortBlock);

    auto *groupBlock = new QVBoxLayout;
    groupBlock->setSpacing(6);
    QLabel *groupCaption = SidebarSection::caption(QStringLiteral("Group by"), this);
    groupBlock->addWidget(groupCaption);
    m_group = new QComboBox(this);
    // On Linux a combo box reads its current item as its name; the caption
    // labels it.
    groupCaption->setBuddy(m_group);
    m_group->setObjectName(QStringLiteral("groupPicker"));
    m_group->setAccessibleName(QStringLiteral("Group by"));
    m_group->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    // Reached with Tab; a click or the wheel leaves the keyboard with the grid.
    m_group->setFocusPolicy(Qt::TabFocus);
    for (GroupMode mode : allGroupModes())
        m_group->addItem(rawValue(mode));
    connect(m_group, &QComboBox::activated, this, [this](int index) { m_store.setGroupMode(allGroupModes().value(index)); });
    groupBlock->addWidget(m_group);
    column->addLayout(groupBlock);

    connect(&m_store, &ClipStore::viewOptionsChanged, this, &SortGroupSectionView::showStoreValues);
    showStoreValues();
}

void SortGroupSectionView::showStoreValues()
{
    m_sort->setCurrentIndex(int(allSortOrders().indexOf(m_store.sortOrder())));
    const QSignalBlocker blocker(m_group);
    m_group->setCurrentIndex(int(allGroupModes().indexOf(m_store.groupMode())));
}
