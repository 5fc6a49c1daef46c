// The clip grid: which cards may ask for their posters, and when.
#include "grid/ClipGridView.h"

#include "grid/ClipThumbnailView.h"

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <cstdlib>

void ClipGridView::setPosterClock(std::function<qint64()> clock)
{
    if (!clock) {
        auto timer = std::make_shared<QElapsedTimer>();
        timer->start();
        clock = [timer] { return timer->elapsed(); };
    }
    m_posterClock = std::move(clock);
}

void ClipGridView::noteScroll(int dy)
{
    const qint64 now = m_posterClock();
    forgetOldScrolls(now);
    if (dy != 0)
        m_recentScrolls.emplace_back(now, std::abs(dy));
}

void ClipGridView::forgetOldScrolls(qint64 now)
{
    while (!m_recentScrolls.empty() && m_recentScrolls.front().first <= now - flingWindowMs)
        m_recentScrolls.pop_front();
}

bool ClipGridView::isFlung() const
{
    const qint64 now = m_posterClock();
    qint64 scrolled = 0;
    for (const auto &[time, pixels] : m_recentScrolls) {
        if (time > now - flingWindowMs)
            scrolled += pixels;
    }
    return scrolled > qint64(flingScreens) * std::max(1, viewport()->height());
}

void ClipGridView::updatePosterWants()
{
    const qint64 now = m_posterClock();
    forgetOldScrolls(now);
    const bool flung = isFlung();
    const QRect screen = viewport()->rect();
    const QMargins margins(ClipThumbnailView::margin, ClipThumbnailView::margin, ClipThumbnailView::margin, ClipThumbnailView::margin);
    m_onScreenSince.removeIf([this](const auto &entry) { return !m_cards.contains(entry.key()); });
    m_seenOnScreen.removeIf([this](const CardKey &key) { return !m_cards.contains(key); });

    // The cards on screen first, so that their requests go ahead of those
    // made ahead of time for the band around it.
    QList<std::pair<CardKey, ClipThumbnailView *>> offScreen;
    std::optional<qint64> nextDue;
    for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it) {
        ClipThumbnailView *card = it.value();
        if (!card->isVisible() || !screen.intersects(card->geometry().marginsRemoved(margins))) {
            offScreen.append({it.key(), card});
            continue;
        }
        m_seenOnScreen.insert(it.key());
        auto since = m_onScreenSince.find(it.key());
        if (since == m_onScreenSince.end())
            since = m_onScreenSince.insert(it.key(), flung ? now : now - posterDwellMs);
        const qint64 due = since.value() + posterDwellMs;
        const bool wanted = !flung || due <= now;
        card->setPosterWanted(wanted);
        if (!wanted)
            nextDue = std::min(nextDue.value_or(due), due);
    }
    // Off screen: a card not seen yet asks ahead of being scrolled to unless
    // the grid is flung; one that left the screen has no use for a poster
    // now (it withdraws a request not started, and asks again when back).
    for (const auto &[key, card] : offScreen) {
        m_onScreenSince.remove(key);
        card->setPosterWanted(!flung && !m_seenOnScreen.contains(key));
    }
    // A fling ends once its scrolls are older than the window: look again then.
    if (flung && !m_recentScrolls.empty()) {
        const qint64 due = m_recentScrolls.front().first + flingWindowMs;
        nextDue = std::min(nextDue.value_or(due), due);
    }
    if (nextDue)
        m_posterDwellTimer->start(static_cast<int>(std::clamp<qint64>(*nextDue - now, 1, flingWindowMs)));
    else
        m_posterDwellTimer->stop();
}
