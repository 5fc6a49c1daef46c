#include "window/FilterSectionView.h"

#include "app/AppSettings.h"
#include "app/TagColor.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "window/FilterRow.h"
#include "app/SymbolCatalog.h"
#include "window/SidebarSection.h"
#include "window/SwitchRow.h"

#include <QLabel>
#include <QPushButton>
#include <algorithm>
#include <QVBoxLayout>

namespace {

QVBoxLayout *block(QWidget *owner, const QString &caption, QVBoxLayout **rows)
{
    auto *column = new QVBoxLayout;
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(SidebarSection::caption(caption, owner));
    *rows = new QVBoxLayout;
    (*rows)->setContentsMargins(0, 0, 0, 0);
    (*rows)->setSpacing(2);
    column->addLayout(*rows);
    return column;
}

} // namespace

QString FilterSectionView::ratingTitle(int rating)
{
    return QString::number(rating) + QLatin1Char(' ') + QString(rating, QChar(0x2605));
}

QString FilterSectionView::ratingAccessibleName(int rating)
{
    return QString::number(rating) + (rating == 1 ? QStringLiteral(" star") : QStringLiteral(" stars"));
}

FilterSectionView::FilterSectionView(ClipStore &store, AppSettings &settings, QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings)
{
    setObjectName(QStringLiteral("filterSection"));
    const FilterRow::ColorSource accent = [this] { return m_settings.accentColor(); };
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    m_showAll = new QPushButton(QStringLiteral("Show All Clips"), this);
    m_showAll->setObjectName(QStringLiteral("showAllClipsButton"));
    m_showAll->setFocusPolicy(Qt::TabFocus); // a click leaves the keyboard with the grid
    m_showAll->setFont(WidgetStyle::sizedFont(m_showAll, 11));
    connect(m_showAll, &QPushButton::clicked, this, [this] { m_store.clearFilters(); });
    column->addWidget(m_showAll, 0, Qt::AlignLeft);

    QVBoxLayout *ratingList = nullptr;
    column->addLayout(block(this, QStringLiteral("Rating"), &ratingList));
    auto *allRatings = new FilterRow(QStringLiteral("All"), std::nullopt, accent, this);
    connect(allRatings, &FilterRow::activated, this, [this] { m_store.setFilterRating(0); });
    ratingList->addWidget(allRatings);
    m_ratingRows.append(allRatings);
    for (int rating = 5; rating >= 1; --rating) {
        auto *row = new FilterRow(ratingTitle(rating), std::nullopt, accent, this);
        row->setAccessibleName(ratingAccessibleName(rating));
        // Clicking the active rating again shows every rating.
        connect(row, &FilterRow::activated, this,
                [this, rating] { m_store.setFilterRating(m_store.filterRating() == rating ? 0 : rating); });
        ratingList->addWidget(row);
        m_ratingRows.append(row);
    }

    m_hideUntouched = new SwitchRow(QStringLiteral("Hide untouched"), SymbolCatalog::drawer(QStringLiteral("eye")),
                                    SymbolCatalog::drawer(QStringLiteral("eye.slash")), this);
    m_hideUntouched->setObjectName(QStringLiteral("hideUntouchedRow"));
    connect(m_hideUntouched, &SwitchRow::toggled, this, [this](bool on) { m_store.setHideUntouched(on); });
    column->addWidget(m_hideUntouched);

    m_tagBlock = new QWidget(this);
    m_tagBlock->setObjectName(QStringLiteral("tagFilters"));
    auto *tagColumn = block(m_tagBlock, QStringLiteral("Tags"), &m_tagList);
    m_tagBlock->setLayout(tagColumn);
    auto *allTags = new FilterRow(QStringLiteral("All"), std::nullopt, accent, m_tagBlock);
    connect(allTags, &FilterRow::activated, this, [this] { m_store.setFilterTag(std::nullopt); });
    m_tagList->addWidget(allTags);
    m_tagRows.append(allTags);
    column->addWidget(m_tagBlock);

    m_handMarkers = new FilterRow(QStringLiteral("Hand Markers"), QColor(142, 142, 147), accent, this);
    m_handMarkers->setObjectName(QStringLiteral("handMarkerFilter"));
    connect(m_handMarkers, &FilterRow::activated, this, [this] { m_store.setFilterHandMarkers(!m_store.filterHandMarkers()); });
    column->addWidget(m_handMarkers);

    connect(&m_store, &ClipStore::viewOptionsChanged, this, &FilterSectionView::refreshFilters);
    connect(&m_store, &ClipStore::clipsChanged, this, [this] {
        scanForMarkers();
        refreshTags();
    });
    connect(&m_store, &ClipStore::availableTagsChanged, this, &FilterSectionView::refreshTags);
    scanForMarkers();
    refreshTags();
}

void FilterSectionView::refreshFilters()
{
    m_showAll->setVisible(m_store.hasActiveFilters());
    const qint64 rating = m_store.filterRating();
    m_ratingRows[0]->setActive(rating == 0);
    for (int i = 1; i < m_ratingRows.size(); ++i)
        m_ratingRows[i]->setActive(rating == 6 - i);
    m_hideUntouched->setOn(m_store.hideUntouched());

    const std::optional<QString> &tag = m_store.filterTag();
    m_tagBlock->setVisible(!m_shownTags.isEmpty() || tag.has_value());
    m_tagRows[0]->setActive(!tag.has_value());
    for (int i = 1; i < m_tagRows.size(); ++i)
        m_tagRows[i]->setActive(tag == m_tagRows[i]->title());
    m_handMarkers->setVisible(m_anyMarker || m_store.filterHandMarkers());
    m_handMarkers->setActive(m_store.filterHandMarkers());
}

void FilterSectionView::refreshTags()
{
    const QStringList &tags = m_store.usedTags();
    if (tags != m_shownTags) {
        m_shownTags = tags;
        while (m_tagRows.size() > 1) {
            FilterRow *row = m_tagRows.takeLast();
            m_tagList->removeWidget(row);
            row->hide();
            row->deleteLater();
        }
        const FilterRow::ColorSource accent = [this] { return m_settings.accentColor(); };
        for (const QString &tag : tags) {
            auto *row = new FilterRow(tag, tagColor(tag), accent, m_tagBlock);
            connect(row, &FilterRow::activated, this,
                    [this, tag] { m_store.setFilterTag(m_store.filterTag() == tag ? std::nullopt : std::optional<QString>(tag)); });
            m_tagList->addWidget(row);
            row->show();
            m_tagRows.append(row);
        }
    }
    refreshFilters();
}

void FilterSectionView::scanForMarkers()
{
    // Only the marker flag counts; clips with stacked hands ("special") do not.
    m_anyMarker = std::any_of(m_store.clips().cbegin(), m_store.clips().cend(),
                              [](const Clip &clip) { return clip.markerFlag && clip.markerFlag->isMarker(); });
}
