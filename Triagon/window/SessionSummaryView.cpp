#include "window/SessionSummaryView.h"

#include "library/ClipStore.h"
#include "library/model/ClipDisplayTexts.h"
#include "window/SummaryItem.h"

#include <QHBoxLayout>

SessionSummaryView::SessionSummaryView(ClipStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("sessionSummary"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(14);
    for (SummaryItem **item : {&m_clips, &m_rated, &m_tagged, &m_duration}) {
        *item = new SummaryItem(this);
        row->addWidget(*item, 0, Qt::AlignVCenter);
    }
    connect(&m_store, &ClipStore::clipsChanged, this, &SessionSummaryView::refresh);
    refresh();
}

void SessionSummaryView::refresh()
{
    const ClipStore::ClipStats &stats = m_store.clipStats();
    // Fixed words: one clip still reads "1 clips".
    m_clips->setTexts(QString::number(m_store.clips().size()), QStringLiteral("clips"));
    m_rated->setTexts(QString::number(stats.ratedCount), QStringLiteral("rated"));
    m_tagged->setTexts(QString::number(stats.taggedCount), QStringLiteral("tagged"));
    if (stats.hasShortlisted)
        m_duration->setTexts(formatTotalDuration(stats.shortlistedDuration), QStringLiteral("shortlisted"),
                             QStringLiteral("(") + formatTotalDuration(stats.totalDuration) + QStringLiteral(" total)"));
    else
        m_duration->setTexts(formatTotalDuration(stats.totalDuration), QStringLiteral("footage"));
}

QStringList SessionSummaryView::texts() const
{
    return {m_clips->text(), m_rated->text(), m_tagged->text(), m_duration->text()};
}
