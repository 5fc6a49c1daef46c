#pragma once

#include <QWidget>

class ClipStore;
class SummaryItem;

// The toolbar's session summary: the number of clips, how many are rated and
// tagged, and the length of the footage, or, once something is shortlisted,
// the shortlisted length with the total beside it. Follows the store's clips.
class SessionSummaryView : public QWidget
{
    Q_OBJECT
public:
    explicit SessionSummaryView(ClipStore &store, QWidget *parent = nullptr);

    SummaryItem *clipsItem() const { return m_clips; }
    SummaryItem *ratedItem() const { return m_rated; }
    SummaryItem *taggedItem() const { return m_tagged; }
    // "footage", or the shortlist item.
    SummaryItem *durationItem() const { return m_duration; }
    // The items as read aloud, in order ("12 clips", "5 rated", ...).
    QStringList texts() const;

    void refresh();

private:
    ClipStore &m_store;
    SummaryItem *m_clips = nullptr;
    SummaryItem *m_rated = nullptr;
    SummaryItem *m_tagged = nullptr;
    SummaryItem *m_duration = nullptr;
};
