#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

#include <functional>

class AppSettings;
class ClipStore;
class FilterRow;
class QPushButton;
class QVBoxLayout;
class SwitchRow;

// The sidebar's "Filter" section: "Show All Clips" while any filter is on;
// the rating filters ("All", 5 down to 1 stars); the "Hide untouched" switch;
// the tag filters ("All" and one row per tag that clips carry) while clips
// carry tags; and "Hand Markers" while a clip is flagged as a marker. Every
// row sets the store's filter; the rows show the store's filters as they
// change, whoever changed them.
class FilterSectionView : public QWidget
{
    Q_OBJECT
public:
    FilterSectionView(ClipStore &store, AppSettings &settings, QWidget *parent = nullptr);

    // "All", then 5 down to 1 stars.
    QList<FilterRow *> ratingRows() const { return m_ratingRows; }
    // "All", then one row per used tag.
    QList<FilterRow *> tagRows() const { return m_tagRows; }

    // "3 ★★★".
    static QString ratingTitle(int rating);
    // "1 star", "3 stars".
    static QString ratingAccessibleName(int rating);

private:
    void refreshFilters();
    void refreshTags();
    void scanForMarkers();

    ClipStore &m_store;
    AppSettings &m_settings;
    QPushButton *m_showAll = nullptr;
    QList<FilterRow *> m_ratingRows;
    SwitchRow *m_hideUntouched = nullptr;
    QWidget *m_tagBlock = nullptr;
    QVBoxLayout *m_tagList = nullptr;
    QList<FilterRow *> m_tagRows;
    QStringList m_shownTags;
    FilterRow *m_handMarkers = nullptr;
    bool m_anyMarker = false;
};
