#pragma once

#include <QWidget>

class ClipStore;
class QComboBox;
class SegmentedControl;

// The sidebar's "Sort & Group" section: the sort order as segments ("Name",
// "Duration", "Rating") and the grouping as a pop-up menu ("No Grouping",
// "By Rating", "By Tag"), both bound to the store.
class SortGroupSectionView : public QWidget
{
    Q_OBJECT
public:
    explicit SortGroupSectionView(ClipStore &store, QWidget *parent = nullptr);

    SegmentedControl *sortPicker() const { return m_sort; }
    QComboBox *groupPicker() const { return m_group; }

private:
    void showStoreValues();

    ClipStore &m_store;
    SegmentedControl *m_sort = nullptr;
    QComboBox *m_group = nullptr;
};
