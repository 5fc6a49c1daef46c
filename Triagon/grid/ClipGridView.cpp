#include "grid/ClipGridView.h"

#include "app/AppSettings.h"
#include "app/ThemeColor.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/BackToTopButton.h"
#include "grid/ClipThumbnailView.h"
#include "grid/EngineCardMedia.h"
#include "grid/HoverScrub.h"
#include "library/ClipStore.h"
#include "media/ScrubPlayerPool.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"

#include <QLabel>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace {

using WidgetStyle::sizedFont;

// A section header: the title, then the count badge 10 points after it.
constexpr qreal headerInset = 20;
constexpr qreal headerHeight = 26;

} // namespace

ClipGridView::ClipGridView(ClipStore *store, AppSettings *settings, const GridEngines &engines, bool audioEnabled, QWidget *parent)
    : QAbstractScrollArea(parent), m_store(store), m_settings(settings), m_audioEnabled(audioEnabled),
      m_media(std::make_shared<EngineCardMedia>(engines))
{
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    // A scroll bar that comes and goes would change the width, and with it
    // every card's height, at the very point where the content just fits.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    verticalScrollBar()->setSingleStep(40);
    viewport()->setAutoFillBackground(true);
    viewport()->setMouseTracking(true);

    m_gridShuttle = new ShuttleController(this);

    // Inside the viewport: a widget lying over it from outside would stop
    // the viewport from scrolling by copying what it already shows.
    m_backToTop = new BackToTopButton(viewport());
    if (m_settings)
        m_backToTop->setAccent(m_settings->accentColor());
    connect(m_backToTop, &QAbstractButton::clicked, this, [this] { scrollToTop(true); });

    m_emptyMessage = new QWidget(this);
    auto *emptyLayout = new QVBoxLayout(m_emptyMessage);
    emptyLayout->setSpacing(12);
    auto *headline = new QLabel(QStringLiteral("No clips match your filters"), m_emptyMessage);
    headline->setFont(sizedFont(font(), 15, QFont::DemiBold));
    headline->setAlignment(Qt::AlignCenter);
    m_emptyCount = new QLabel(m_emptyMessage);
    m_emptyCount->setAlignment(Qt::AlignCenter);
    m_emptyCount->setForegroundRole(QPalette::PlaceholderText);
    auto *showAll = new QPushButton(QStringLiteral("Show All Clips"), m_emptyMessage);
    showAll->setDefault(true);
    connect(showAll, &QPushButton::clicked, this, [this] { m_store->clearFilters(); });
    emptyLayout->addWidget(headline);
    emptyLayout->addWidget(m_emptyCount);
    emptyLayout->addWidget(showAll, 0, Qt::AlignCenter);
    m_emptyMessage->hide();

    m_scrollAnimation = new QPropertyAnimation(verticalScrollBar(), "value", this);
    m_scrollAnimation->setEasingCurve(QEasingCurve::InOutQuad);

    if (m_settings) {
        connect(m_settings, &AppSettings::themeColorRawChanged, this, [this] {
            m_backToTop->setAccent(m_settings->accentColor());
            refreshCards();
        });
        connect(m_settings, &AppSettings::showAudioPeaksChanged, this, [this] { refreshCards(); });
        connect(m_settings, &AppSettings::scrubModifiersChanged, this, [this] { refreshCards(); });
    }

    m_lastGroupMode = m_store->groupMode();
    m_lastFilterRating = m_store->filterRating();
    m_lastFilterTag = m_store->filterTag();
    m_lastFilterHandMarkers = m_store->filterHandMarkers();
    m_lastHideUntouched = m_store->hideUntouched();
    m_lastTagPickerID = m_store->showTagPickerForClipID();
    m_lastLoading = m_store->isLoading();
    connectStore();
    rebuildLayout();
}

ClipGridView::~ClipGridView()
{
    m_gridShuttle->detach();
    // The cards go with the viewport; their signals must not reach a grid
    // that is half destroyed.
    for (ClipThumbnailView *card : std::as_const(m_cards))
        card->disconnect(this);
}

void ClipGridView::connectStore()
{
    connect(m_store, &ClipStore::clipsChanged, this, &ClipGridView::onClipsChanged);
    connect(m_store, &ClipStore::viewOptionsChanged, this, &ClipGridView::onViewOptionsChanged);
    connect(m_store, &ClipStore::availableTagsChanged, this, &ClipGridView::refreshCards);
    connect(m_store, &ClipStore::selectionChanged, this, &ClipGridView::onSelectionOrViewStateChanged);
    connect(m_store, &ClipStore::viewStateChanged, this, &ClipGridView::onSelectionOrViewStateChanged);
    connect(m_store, &ClipStore::loadingChanged, this, &ClipGridView::onLoadingChanged);
}

void ClipGridView::setAudioEnabled(bool enabled)
{
    if (enabled == m_audioEnabled)
        return;
    m_audioEnabled = enabled;
    if (m_gridScrubPlayer)
        m_gridScrubPlayer->setMuted(!enabled);
    refreshCards();
}

void ClipGridView::setNumberingResetHandler(NumberingResetHandler handler)
{
    m_numberingResetHandler = std::move(handler);
    refreshCards();
}

void ClipGridView::setMarkerFlagHandler(MarkerFlagHandler handler)
{
    m_markerFlagHandler = std::move(handler);
    refreshCards();
}

void ClipGridView::setCardMedia(std::shared_ptr<CardMedia> media)
{
    // Cards hold the media by pointer: the old ones go, new ones come.
    const auto cards = m_cards;
    m_cards.clear();
    for (ClipThumbnailView *card : cards)
        discardCard(card);
    m_media = std::move(media);
    updateLiveCells();
}

// ---- sections and order ----------------------------------------------------

QList<ClipSection> ClipGridView::clipSections() const
{
    return ::clipSections(m_store->sortedAndFilteredClips(), m_store->groupMode());
}

QList<Clip> ClipGridView::orderedVisibleClips() const
{
    if (m_store->groupMode() == GroupMode::none)
        return m_store->sortedAndFilteredClips();
    QList<Clip> all;
    for (const ClipSection &section : clipSections())
        all += section.clips;
    return all;
}

double ClipGridView::tileAspectRatio() const
{
    const ClipStore::ClipStats &stats = m_store->clipStats();
    return stats.totalCount > 0 && stats.portraitCount > stats.totalCount / 2 ? 0.5625 : 16.0 / 9.0;
}

std::optional<Clip> ClipGridView::currentClip(const QUuid &id) const
{
    const std::optional<qsizetype> index = m_store->indexOfClip(id);
    if (!index)
        return std::nullopt;
    return m_store->clips().at(*index);
}

// ---- store changes ---------------------------------------------------------

void ClipGridView::pruneStaleViewState()
{
    // View state naming a clip that left the session would keep the grid's
    // keys switched off (a rename or a picker that no card can end).
    auto gone = [this](const std::optional<QUuid> &id) { return id.has_value() && !m_store->indexOfClip(*id).has_value(); };
    if (gone(m_store->renamingClipID()))
        m_store->setRenamingClipID(std::nullopt);
    if (gone(m_store->showTagPickerForClipID()))
        m_store->setShowTagPickerForClipID(std::nullopt);
    if (gone(m_store->hoveredClipID()))
        m_store->setHoveredClipID(std::nullopt);
    if (gone(m_gridScrubClipID))
        stopGridScrub();
    if (m_expandedClip) {
        if (std::optional<Clip> current = currentClip(m_expandedClip->id))
            m_expandedClip = *current;
        else
            closeExpandedClip();
    }
}

void ClipGridView::onClipsChanged()
{
    pruneStaleViewState();
    rebuildLayout();
}

void ClipGridView::onViewOptionsChanged()
{
    const bool groupChanged = m_store->groupMode() != m_lastGroupMode;
    const bool filterChanged = m_store->filterRating() != m_lastFilterRating || m_store->filterTag() != m_lastFilterTag
        || m_store->filterHandMarkers() != m_lastFilterHandMarkers || m_store->hideUntouched() != m_lastHideUntouched;
    m_lastGroupMode = m_store->groupMode();
    m_lastFilterRating = m_store->filterRating();
    m_lastFilterTag = m_store->filterTag();
    m_lastFilterHandMarkers = m_store->filterHandMarkers();
    m_lastHideUntouched = m_store->hideUntouched();
    rebuildLayout();
    if (groupChanged)
        animateScrollToTop(200);
    else if (filterChanged)
        scrollToTop(false);
}

void ClipGridView::onSelectionOrViewStateChanged()
{
    const std::optional<QUuid> picker = m_store->showTagPickerForClipID();
    if (m_lastTagPickerID.has_value() && !picker.has_value())
        raiseFlag(m_tagPickerDismissedRecently);
    m_lastTagPickerID = picker;

    // Another part of the window asks to open a clip in the player.
    if (const std::optional<Clip> &request = m_store->clipToOpen()) {
        if (std::optional<Clip> clip = currentClip(request->id)) {
            if (!clip->isMissing)
                expandClip(*clip);
            m_store->setClipToOpen(std::nullopt);
        }
    }
    refreshCards();
}

void ClipGridView::onLoadingChanged()
{
    const bool loading = m_store->isLoading();
    if (m_lastLoading && !loading)
        selectFirstClipIfNeeded();
    m_lastLoading = loading;
}

void ClipGridView::raiseFlag(bool &flag)
{
    flag = true;
    QTimer::singleShot(100, this, [&flag] { flag = false; });
}

// ---- layout ----------------------------------------------------------------

void ClipGridView::rebuildLayout()
{
    m_sections = clipSections();
    m_aspect = tileAspectRatio();
    m_columns = static_cast<int>(std::clamp<qint64>(m_store->gridColumns(), 1, 1000));
    m_model.setSections(m_sections, m_store->groupMode() != GroupMode::none);
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
    bar->setRange(0, std::max(0, static_cast<int>(std::ceil(m_model.contentHeight())) - h));
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
    m_model.relayout();
    ++m_layoutCount;
    updateScrollRange();
    if (anchor && !verticalScrollBar()->isSliderDown() && top > 0) {
        const int index = m_model.firstCellOf(anchor->clipID);
        for (int i = std::max(index, 0); i >= 0 && i < m_model.cells().size(); ++i) {
            if (m_model.keyOf(i) == *anchor) {
                verticalScrollBar()->setValue(static_cast<int>(std::lround(m_model.cells().at(i).rect.top() - offset)));
                break;
            }
        }
    }
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
    m_updatingCells = false;
}

void ClipGridView::scrollContentsBy(int dx, int dy)
{
    viewport()->scroll(dx, dy);
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

    const bool showEmpty = !m_store->clips().isEmpty() && m_store->sortedAndFilteredClips().isEmpty() && m_store->hasActiveFilters();
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

// ---- cards -----------------------------------------------------------------

QList<ClipThumbnailView *> ClipGridView::liveCards() const
{
    return m_cards.values();
}

ClipThumbnailView *ClipGridView::cardFor(const QUuid &clipID) const
{
    ClipThumbnailView *best = nullptr;
    int bestIndex = INT_MAX;
    for (auto it = m_cards.constBegin(); it != m_cards.constEnd(); ++it) {
        if (it.key().second != clipID)
            continue;
        // The card of the first section that shows the clip.
        int index = 0;
        for (const ClipSection &section : m_sections) {
            if (section.title == it.key().first)
                break;
            ++index;
        }
        if (index < bestIndex) {
            bestIndex = index;
            best = it.value();
        }
    }
    return best;
}

QSet<QUuid> ClipGridView::editTargets(const QUuid &clipID) const
{
    const QSet<QUuid> &selection = m_store->selectedClipIDs();
    if (selection.contains(clipID) && selection.size() >= 2)
        return selection;
    return QSet<QUuid>{clipID};
}

ClipThumbnailView *ClipGridView::createCard(const Clip &clip)
{
    auto *card = new ClipThumbnailView(m_media, m_settings, viewport());
    const QUuid id = clip.id;
    connect(card, &ClipThumbnailView::rateRequested, this, [this, id](int rating) { m_store->rateSelection(rating, editTargets(id)); });
    connect(card, &ClipThumbnailView::toggleTagRequested, this, [this, id](const QString &tag) { m_store->toggleTag(tag, editTargets(id)); });
    connect(card, &ClipThumbnailView::removeTagRequested, this, [this, id](const QString &tag) {
        m_store->removeTag(tag, editTargets(id), QStringLiteral("Remove '") + tag + QLatin1Char('\''));
    });
    connect(card, &ClipThumbnailView::addTagRequested, this, [this](const QString &tag) { m_store->addCatalogTag(tag); });
    connect(card, &ClipThumbnailView::hoverChanged, this, [this, id](bool hovering) {
        if (hovering) {
            m_store->setHoveredClipID(id);
            if (m_gridScrubClipID)
                m_gridShuttle->shuttleStop();
        } else if (m_store->hoveredClipID() == id) {
            // Only this card's own hover ends here: the pointer may already
            // have entered the next card, which named its clip first.
            m_store->setHoveredClipID(std::nullopt);
        }
    });
    connect(card, &ClipThumbnailView::removeRequested, this, [this, id] { m_store->removeClip(id); });
    connect(card, &ClipThumbnailView::openRequested, this, [this, id] {
        const std::optional<Clip> clip = currentClip(id);
        if (!clip || clip->isMissing)
            return;
        stopGridScrub();
        expandClip(*clip);
    });
    connect(card, &ClipThumbnailView::renameRequested, this, [this, id](const QString &name) { m_store->renameClip(id, name); });
    connect(card, &ClipThumbnailView::renameStateChanged, this, [this, id](bool renaming) {
        if (renaming) {
            m_store->setRenamingClipID(id);
            return;
        }
        if (m_store->renamingClipID() == id)
            m_store->setRenamingClipID(std::nullopt);
        raiseFlag(m_renameDismissedRecently);
        setFocus(Qt::OtherFocusReason);
    });
    connect(card, &ClipThumbnailView::selectRequested, this, [this, id](Qt::KeyboardModifiers modifiers) {
        setFocus(Qt::MouseFocusReason);
        selectByPointer(id, modifiers);
    });
    connect(card, &ClipThumbnailView::markerFlagRequested, this, [this, id](const std::optional<MarkerFlag> &flag) {
        if (m_markerFlagHandler)
            m_markerFlagHandler(id, flag);
    });
    connect(card, &ClipThumbnailView::reviewNumberingResetRequested, this, [this, id] {
        if (!m_numberingResetHandler)
            return;
        for (const MarkerDetector::NumberingReset &reset : m_store->numberingResets()) {
            if (reset.firstClipID == id) {
                m_numberingResetHandler(reset);
                return;
            }
        }
    });
    connect(card, &ClipThumbnailView::tagPickerClosed, this, [this, id] {
        if (m_store->showTagPickerForClipID() == id)
            m_store->setShowTagPickerForClipID(std::nullopt);
        if (isVisible())
            setFocus(Qt::OtherFocusReason);
    });
    applyInputs(card, clip, true);
    return card;
}

void ClipGridView::discardCard(ClipThumbnailView *card)
{
    // A card that goes (scrolled far away, or its clip left) ends what it
    // had open, so that no rename or picker state outlives it.
    if (card->isRenaming())
        card->cancelRename();
    if (card->isTagPickerShown()) {
        // A clip that only moved to another section (a tag toggled in its
        // own picker) keeps the request: its first card there opens the
        // picker again. Otherwise the request ends with the picker.
        const QUuid id = card->clip().id;
        if (m_store->showTagPickerForClipID() == id && m_model.firstCellOf(id) >= 0)
            card->disconnect(this);
        card->closeTagPicker();
    }
    if (card->isCardHovered() && m_store->hoveredClipID() == card->clip().id)
        m_store->setHoveredClipID(std::nullopt);
    card->disconnect(this);
    card->hide();
    card->deleteLater();
}

void ClipGridView::applyInputs(ClipThumbnailView *card, const Clip &clip, bool pickerOwner)
{
    ClipThumbnailView::Inputs in;
    in.clip = clip;
    in.tileAspectRatio = m_aspect;
    in.availableTags = m_store->allTags();
    in.audioEnabled = m_audioEnabled;
    in.isSelected = m_store->selectedClipIDs().contains(clip.id);
    in.showTagPickerRequested = pickerOwner && m_store->showTagPickerForClipID() == clip.id;
    if (in.showTagPickerRequested || card->isTagPickerShown()) {
        auto [selected, mixed] = m_store->tagPickerTags(clip.id);
        in.selectedTagsForPicker = selected;
        in.mixedTagsForPicker = mixed;
    }
    if (m_gridScrubClipID == clip.id) {
        in.keyboardPlayer = m_gridScrubPlayer;
        in.keyboardShuttle = m_gridShuttle;
    }
    in.canSetMarkerFlag = static_cast<bool>(m_markerFlagHandler);
    if (m_numberingResetHandler) {
        for (const MarkerDetector::NumberingReset &reset : m_store->numberingResets()) {
            if (reset.firstClipID == clip.id) {
                in.canReviewNumberingReset = true;
                break;
            }
        }
    }
    card->setInputs(in);
}

void ClipGridView::refreshCards()
{
    // A picker request that no card can show (its clip is filtered out or
    // far away) would leave the grid's keys off with nothing on screen.
    if (const std::optional<QUuid> request = m_store->showTagPickerForClipID()) {
        if (!cardFor(*request)) {
            m_store->setShowTagPickerForClipID(std::nullopt);
            return; // the change notification refreshes the cards
        }
    }
    // Each clip's tag picker belongs to its first card (a clip can have one
    // card per tag section).
    QSet<QUuid> ownerSeen;
    QList<std::pair<int, ClipThumbnailView *>> ordered;
    for (auto it = m_cards.constBegin(); it != m_cards.constEnd(); ++it) {
        int index = 0;
        for (const ClipSection &section : std::as_const(m_sections)) {
            if (section.title == it.key().first)
                break;
            ++index;
        }
        ordered.append({index, it.value()});
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    for (const auto &[index, card] : ordered) {
        const std::optional<Clip> clip = currentClip(card->clip().id);
        if (!clip)
            continue; // it goes with the next layout pass
        const bool owner = !ownerSeen.contains(clip->id);
        ownerSeen.insert(clip->id);
        applyInputs(card, *clip, owner);
    }
}

// ---- selection -------------------------------------------------------------

void ClipGridView::setSelection(const QSet<QUuid> &ids)
{
    // The store notifies only when the set differs.
    m_store->setSelectedClipIDs(ids);
}

void ClipGridView::selectByPointer(const QUuid &clipID, Qt::KeyboardModifiers modifiers)
{
    const QSet<QUuid> &selection = m_store->selectedClipIDs();
    if (modifiers.testFlag(Qt::ShiftModifier)) {
        std::optional<QUuid> anchor = m_selectionAnchorID;
        if (!anchor && !selection.isEmpty())
            anchor = *selection.constBegin();
        if (anchor) {
            const QList<Clip> order = orderedVisibleClips();
            qsizetype anchorIndex = -1;
            qsizetype clickedIndex = -1;
            for (qsizetype i = 0; i < order.size(); ++i) {
                if (anchorIndex < 0 && order.at(i).id == *anchor)
                    anchorIndex = i;
                if (clickedIndex < 0 && order.at(i).id == clipID)
                    clickedIndex = i;
            }
            if (anchorIndex >= 0 && clickedIndex >= 0) {
                QSet<QUuid> next = selection;
                for (qsizetype i = std::min(anchorIndex, clickedIndex); i <= std::max(anchorIndex, clickedIndex); ++i)
                    next.insert(order.at(i).id);
                setSelection(next);
                return;
            }
        }
    }
    if (modifiers.testFlag(Qt::ControlModifier)) {
        QSet<QUuid> next = selection;
        if (next.contains(clipID))
            next.remove(clipID);
        else
            next.insert(clipID);
        m_selectionAnchorID = clipID;
        setSelection(next);
        return;
    }
    m_selectionAnchorID = clipID;
    setSelection(QSet<QUuid>{clipID});
}

void ClipGridView::selectFirstClipIfNeeded()
{
    const QList<Clip> &displayed = m_store->sortedAndFilteredClips();
    if (!m_store->selectedClipIDs().isEmpty() || displayed.isEmpty())
        return;
    const Clip first = displayed.first();
    setSelection(QSet<QUuid>{first.id});
    m_store->setHoveredClipID(first.id);
    m_selectionAnchorID = first.id;
    updateGridScrub(first, false);
}

// ---- keyboard scrub --------------------------------------------------------

void ClipGridView::updateGridScrub(const Clip &clip, bool keepPlaying)
{
    if (clip.isMissing || m_gridScrubClipID == clip.id)
        return;
    const int oldDirection = m_gridShuttle->playbackDirection();
    const int oldSpeed = m_gridShuttle->speedIndex();
    m_gridShuttle->detach();
    m_gridScrubPlayer.reset();
    std::shared_ptr<VideoPlayer> player = m_media ? m_media->scrubPlayer(clip.url) : nullptr;
    if (!player) {
        m_gridScrubClipID.reset();
        refreshCards();
        return;
    }
    player->setMuted(!m_audioEnabled);
    m_gridScrubPlayer = player;
    m_gridScrubClipID = clip.id;
    m_media->seek(player, 0.01);
    m_gridShuttle->attach(player, finiteDuration(clip.duration), clip.frameRate);
    if (keepPlaying) {
        if (oldDirection == 1 && oldSpeed > 0) {
            ShuttleController::carriedSpeedIndex = oldSpeed;
            m_gridShuttle->resumeCarriedSpeed();
        } else {
            m_gridShuttle->shuttleForward();
        }
    }
    refreshCards();
}

void ClipGridView::stopGridScrub()
{
    const bool had = m_gridScrubClipID.has_value();
    m_gridShuttle->detach();
    if (m_gridScrubPlayer)
        m_gridScrubPlayer->setMuted(true); // back to the pool's muted scrubbing
    m_gridScrubPlayer.reset();
    m_gridScrubClipID.reset();
    if (had)
        refreshCards();
}

// ---- expanded clip ---------------------------------------------------------

void ClipGridView::expandClip(const Clip &clip)
{
    m_expandedClip = clip;
    if (m_panelFactory) {
        delete m_expandedOverlay;
        m_expandedOverlay = new QWidget(this);
        m_expandedOverlay->setAttribute(Qt::WA_StyledBackground, true);
        m_expandedOverlay->setStyleSheet(QStringLiteral("background-color: rgba(0, 0, 0, 128);"));
        m_expandedOverlay->installEventFilter(this);
        auto *layout = new QVBoxLayout(m_expandedOverlay);
        layout->setContentsMargins(48, 48, 48, 48);
        QWidget *panel = m_panelFactory(clip, m_expandedOverlay);
        if (panel) {
            panel->setMaximumSize(1000, 720);
            panel->setStyleSheet(QString());
            layout->addWidget(panel, 0, Qt::AlignCenter);
        }
        m_expandedOverlay->setGeometry(rect());
        m_expandedOverlay->show();
        m_expandedOverlay->raise();
    }
    Q_EMIT expandedClipChanged();
}

void ClipGridView::closeExpandedClip()
{
    if (!m_expandedClip)
        return;
    m_expandedClip.reset();
    if (m_expandedOverlay) {
        m_expandedOverlay->hide();
        m_expandedOverlay->deleteLater();
        m_expandedOverlay = nullptr;
    }
    Q_EMIT expandedClipChanged();
}

void ClipGridView::setExpandedPanelFactory(ExpandedPanelFactory factory)
{
    m_panelFactory = std::move(factory);
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

bool ClipGridView::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the dimmed area beside the player closes it; the keyboard
    // focus stays where it was.
    if (watched == m_expandedOverlay && event->type() == QEvent::MouseButtonPress) {
        closeExpandedClip();
        return true;
    }
    return QAbstractScrollArea::eventFilter(watched, event);
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
    QPainter p(viewport());
    p.fillRect(event->rect(), palette().color(QPalette::Window));
    if (!m_model.showsHeaders())
        return;
    p.setRenderHint(QPainter::Antialiasing);
    const qreal top = scrollPosition();
    const QRectF visible(0, top + event->rect().top(), viewport()->width(), event->rect().height());
    const auto [first, last] = m_model.headersInBand(visible.top(), visible.bottom());
    const bool rating = m_store->groupMode() == GroupMode::rating;
    const QColor text = palette().color(QPalette::Text);
    QColor secondary = text;
    secondary.setAlphaF(0.55f);
    const QFont badgeFont = sizedFont(font(), 12, QFont::DemiBold);
    const QFontMetricsF bm(badgeFont);
    for (int i = first; i < last; ++i) {
        const GridLayoutModel::Header &header = m_model.headers().at(i);
        const QRectF r = header.rect.translated(0, -top);
        QFont titleFont = sizedFont(font(), rating ? 18 : 17, QFont::Bold);
        QColor titleColor = text;
        if (rating) {
            const std::optional<QColor> c = ratingColor(starCount(header.title));
            titleColor = c.value_or(secondary);
        }
        const QFontMetricsF tm(titleFont);
        const qreal titleWidth = tm.horizontalAdvance(header.title);
        const QRectF titleRect(r.left() + headerInset, r.top(), titleWidth + 1, r.height());
        p.setFont(titleFont);
        p.setPen(titleColor);
        p.drawText(titleRect, Qt::AlignLeft | Qt::AlignVCenter, header.title);

        const QString count = QString::number(header.count);
        const QRectF badge(titleRect.right() + 10, r.center().y() - (bm.height() + 8) / 2, bm.horizontalAdvance(count) + 20, bm.height() + 8);
        QColor fill(128, 128, 128);
        fill.setAlphaF(0.1f);
        p.setPen(Qt::NoPen);
        p.setBrush(fill);
        p.drawRoundedRect(badge, badge.height() / 2, badge.height() / 2);
        p.setFont(badgeFont);
        p.setPen(secondary);
        p.drawText(badge, Qt::AlignCenter, count);
    }
}
