// The grid's geometry: the layout of the cells, the live cards near the
// viewport, scrolling, the overlays, pinch zoom, events and the section headers.
#include "grid/ClipGridView.h"

#include "grid/BackToTopButton.h"
#include "grid/ClipThumbnailView.h"
#include "grid/ExpandedClipOverlay.h"
#include "grid/SectionHeaderView.h"
#include "library/ClipStore.h"

#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace {

// The height of a section header (SectionHeaderView).
constexpr qreal headerHeight = 26;

} // namespace

// ---- layout ----------------------------------------------------------------

void ClipGridView::rebuildLayout()
{
    // The layout needs the sections' titles and their clips' identifiers
    // only: a whole session's clips are never copied here.
    const QList<Clip> &clips = m_store->clips();
    const QList<ClipSectionPositions> parts = clipSectionPositions(clips, m_store->sortedAndFilteredPositions(), m_store->groupMode());
    QList<GridLayoutModel::Section> sections;
    sections.reserve(parts.size());
    for (const ClipSectionPositions &part : parts) {
        QList<QUuid> ids;
        ids.reserve(part.positions.size());
        for (const qsizetype i : part.positions)
            ids.append(clips.at(i).id);
        sections.append(GridLayoutModel::Section{part.title, std::move(ids)});
    }
    m_aspect = tileAspectRatio();
    m_columns = static_cast<int>(std::clamp<qint64>(m_store->gridColumns(), 1, 1000));
    m_model.setSections(std::move(sections), m_store->groupMode() != GroupMode::none);
    m_model.setGeometry(viewport()->width(), m_columns, m_aspect, headerHeight);
    m_model.relayout();
    ++m_layoutCount;
    updateScrollRange();
    updateLiveCells();
    refreshCards();
    updateOverlays();
    viewport()->update();
}

void ClipGridView::updateScrollRange()
{
    const int h = viewport()->height();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(std::max(h, 1));
    // Room below the last row for the back-to-top button (16 points from
    // the corner) and a little air, so that at the end the button lies
    // under the grid's padding rather than over the last cards' tag buttons.
    const int buttonRoom = m_backToTop ? m_backToTop->sizeHint().height() + 16 + 4 : 0;
    const int bottomRoom = std::max(0, buttonRoom - static_cast<int>(GridLayoutModel::padding));
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(m_model.contentHeight())) + bottomRoom - h));
}

int ClipGridView::scrollPosition() const
{
    return verticalScrollBar()->value();
}

void ClipGridView::relayoutKeepingAnchor()
{
    // Keep the first visible card where it is on screen while heights above
    // it change from their estimate to their measured value.
    const qreal top = scrollPosition();
    const auto [first, last] = m_model.cellsInBand(top, top + viewport()->height());
    std::optional<GridLayoutModel::CellKey> anchor;
    qreal offset = 0;
    for (int i = first; i < last; ++i) {
        if (m_model.cells().at(i).rect.bottom() > top) {
            anchor = m_model.keyOf(i);
            offset = m_model.cells().at(i).rect.top() - top;
            break;
        }
    }
    // A grid shown to its end stays at its end: cards measured there (taller
    // than their estimate) would otherwise leave the last row below the
    // visible part, with the scroll bar's handle already at the bottom.
    QScrollBar *bar = verticalScrollBar();
    const bool atEnd = bar->maximum() > 0 && bar->value() >= bar->maximum();
    m_model.relayout();
    ++m_layoutCount;
    // The moves below keep the cards where they are on screen: not a scroll
    // the user sees.
    m_keepingAnchor = true;
    updateScrollRange();
    if (atEnd) {
        bar->setValue(bar->maximum());
    } else if (anchor && !bar->isSliderDown() && top > 0) {
        const int index = m_model.firstCellOf(anchor->clipID);
        for (int i = std::max(index, 0); i >= 0 && i < m_model.cells().size(); ++i) {
            if (m_model.keyOf(i) == *anchor) {
                bar->setValue(static_cast<int>(std::lround(m_model.cells().at(i).rect.top() - offset)));
                break;
            }
        }
    }
    m_keepingAnchor = false;
    viewport()->update();
}

void ClipGridView::updateLiveCells()
{
    if (m_updatingCells)
        return;
    m_updatingCells = true;
    for (int pass = 0; pass < 3; ++pass) {
        const qreal top = scrollPosition();
        const qreal h = viewport()->height();
        const qreal margin = std::max<qreal>(400, h);
        const qreal bandTop = top - margin;
        const qreal bandBottom = top + h + margin;
        const auto [first, last] = m_model.cellsInBand(bandTop, bandBottom);

        QHash<CardKey, int> wanted;
        wanted.reserve(last - first);
        for (int i = first; i < last; ++i) {
            const QRectF &r = m_model.cells().at(i).rect;
            if (r.bottom() > bandTop && r.top() < bandBottom) {
                const GridLayoutModel::CellKey key = m_model.keyOf(i);
                wanted.insert(CardKey(key.section, key.clipID), i);
            }
        }
        for (auto it = m_cards.begin(); it != m_cards.end();) {
            if (!wanted.contains(it.key())) {
                discardCard(it.value());
                it = m_cards.erase(it);
            } else {
                ++it;
            }
        }
        bool measuredChange = false;
        for (auto it = wanted.constBegin(); it != wanted.constEnd(); ++it) {
            const GridLayoutModel::Cell &cell = m_model.cells().at(it.value());
            ClipThumbnailView *card = m_cards.value(it.key());
            if (!card) {
                const std::optional<Clip> clip = currentClip(cell.clipID);
                if (!clip)
                    continue;
                card = createCard(*clip);
                m_cards.insert(it.key(), card);
            }
            const int w = static_cast<int>(std::lround(cell.rect.width()));
            const int bodyHeight = ClipThumbnailView::bodyHeightForWidth(w, m_aspect);
            const QRect geometry(static_cast<int>(std::lround(cell.rect.left())) - ClipThumbnailView::margin,
                                 static_cast<int>(std::lround(cell.rect.top() - top)) - ClipThumbnailView::margin,
                                 w + 2 * ClipThumbnailView::margin, bodyHeight + 2 * ClipThumbnailView::margin);
            if (card->geometry() != geometry)
                card->setGeometry(geometry);
            if (!card->isVisible())
                card->show();
            if (m_model.recordMeasuredHeight(GridLayoutModel::CellKey{it.key().first, it.key().second}, bodyHeight))
                measuredChange = true;
        }
        if (!measuredChange)
            break;
        relayoutKeepingAnchor();
    }
    updateLiveHeaders();
    updatePosterWants();
    m_updatingCells = false;
}

void ClipGridView::updateLiveHeaders()
{
    const qreal top = scrollPosition();
    const qreal h = viewport()->height();
    const qreal margin = std::max<qreal>(400, h);
    const qreal bandTop = top - margin;
    const qreal bandBottom = top + h + margin;
    const bool rating = m_store->groupMode() == GroupMode::rating;
    QSet<QString> wanted;
    const auto [first, last] = m_model.headersInBand(bandTop, bandBottom);
    for (int i = first; i < last; ++i) {
        const GridLayoutModel::Header &header = m_model.headers().at(i);
        wanted.insert(header.title);
        SectionHeaderView *view = m_headers.value(header.title);
        if (!view) {
            view = new SectionHeaderView(viewport());
            m_headers.insert(header.title, view);
        }
        view->setSection(header.title, header.count, rating);
        const QRect geometry = header.rect.translated(0, -top).toAlignedRect();
        if (view->geometry() != geometry)
            view->setGeometry(geometry);
        if (!view->isVisible())
            view->show();
    }
    for (auto it = m_headers.begin(); it != m_headers.end();) {
        if (!wanted.contains(it.key())) {
            retire(it.value());
            it = m_headers.erase(it);
        } else {
            ++it;
        }
    }
}

void ClipGridView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
    if (!m_keepingAnchor)
        noteScroll(dy);
    updateLiveCells();
    updateOverlays(); // the button stays in its corner
}

void ClipGridView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    const qreal width = viewport()->width();
    m_model.setGeometry(width, m_columns, m_aspect, headerHeight);
    m_model.relayout();
    ++m_layoutCount;
    updateScrollRange();
    updateLiveCells();
    updateOverlays();
    viewport()->update();
}

void ClipGridView::scrollToTop(bool animated)
{
    if (animated) {
        animateScrollToTop(300);
        return;
    }
    m_scrollAnimation->stop();
    verticalScrollBar()->setValue(0);
}

void ClipGridView::animateScrollToTop(int milliseconds)
{
    m_scrollAnimation->stop();
    m_scrollAnimation->setDuration(milliseconds);
    m_scrollAnimation->setStartValue(verticalScrollBar()->value());
    m_scrollAnimation->setEndValue(0);
    m_scrollAnimation->start();
}

void ClipGridView::scrollToClip(const QUuid &clipID)
{
    const int index = m_model.firstCellOf(clipID);
    if (index < 0)
        return;
    const QRectF r = m_model.cells().at(index).rect;
    const int top = scrollPosition();
    const int h = viewport()->height();
    if (r.top() < top)
        verticalScrollBar()->setValue(static_cast<int>(std::floor(r.top())) - ClipThumbnailView::margin);
    else if (r.bottom() > top + h)
        verticalScrollBar()->setValue(static_cast<int>(std::ceil(r.bottom() - h)) + ClipThumbnailView::margin);
}

void ClipGridView::updateOverlays()
{
    const QRect area = viewport()->geometry();
    const QSize buttonSize = m_backToTop->sizeHint();
    const QRect button(area.width() - 16 - buttonSize.width(), area.height() - 16 - buttonSize.height(), buttonSize.width(),
                       buttonSize.height());
    if (m_backToTop->geometry() != button)
        m_backToTop->setGeometry(button);
    m_backToTop->raise();

    const bool showEmpty = !m_store->clips().isEmpty() && m_store->sortedAndFilteredPositions().isEmpty() && m_store->hasActiveFilters();
    if (showEmpty) {
        m_emptyCount->setText(QStringLiteral("Your ") + QString::number(m_store->clips().size())
                              + QStringLiteral(" imported clips are still in this session."));
        m_emptyMessage->adjustSize();
        const QSize s = m_emptyMessage->sizeHint();
        m_emptyMessage->setGeometry(area.center().x() - s.width() / 2, area.center().y() - s.height() / 2, s.width(), s.height());
        m_emptyMessage->raise();
    }
    m_emptyMessage->setVisible(showEmpty);
    if (m_expandedOverlay) {
        m_expandedOverlay->setGeometry(rect());
        m_expandedOverlay->raise();
    }
}

// ---- zoom, events, painting ------------------------------------------------

void ClipGridView::handleMagnifyEnded(double magnification)
{
    const qint64 n = m_store->gridColumns();
    if (magnification > 1.2)
        m_store->setGridColumns(std::max<qint64>(n - 1, 1));
    else if (magnification < 0.8)
        m_store->setGridColumns(std::min<qint64>(n + 1, 5));
}

void ClipGridView::showEvent(QShowEvent *event)
{
    QAbstractScrollArea::showEvent(event);
    if (m_shownOnce)
        return;
    m_shownOnce = true;
    setFocus(Qt::OtherFocusReason);
    selectFirstClipIfNeeded();
}

bool ClipGridView::event(QEvent *event)
{
    const bool handled = QAbstractScrollArea::event(event);
    // Laying out its children puts the scroll bars on top; the dimmed layer
    // of the player goes back over them.
    switch (event->type()) {
    case QEvent::LayoutRequest:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::StyleChange:
        if (m_expandedOverlay)
            m_expandedOverlay->raise();
        break;
    default:
        break;
    }
    return handled;
}

bool ClipGridView::viewportEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::Paint:
        paintViewport(static_cast<QPaintEvent *>(event));
        return true;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton) {
            // A click on empty space between or around the cards.
            setFocus(Qt::MouseFocusReason);
            setSelection({});
            m_store->setHoveredClipID(std::nullopt);
            return true;
        }
        break;
    }
    case QEvent::MouseButtonRelease:
        event->accept();
        return true;
    case QEvent::NativeGesture: {
        auto *gesture = static_cast<QNativeGestureEvent *>(event);
        switch (gesture->gestureType()) {
        case Qt::BeginNativeGesture:
            m_magnification = 1;
            return true;
        case Qt::ZoomNativeGesture:
            m_magnification *= 1 + gesture->value();
            return true;
        case Qt::EndNativeGesture:
            if (std::abs(m_magnification - 1) >= 0.01)
                handleMagnifyEnded(m_magnification);
            m_magnification = 1;
            return true;
        default:
            break;
        }
        break;
    }
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void ClipGridView::paintViewport(QPaintEvent *event)
{
    // The section headers are widgets of their own (SectionHeaderView).
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().color(QPalette::Window));
}
