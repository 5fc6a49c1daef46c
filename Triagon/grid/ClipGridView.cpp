#include "grid/ClipGridView.h"

#include "app/AppSettings.h"
#include "app/widgets/GridPainting.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/BackToTopButton.h"
#include "grid/ClipGridViewport.h"
#include "grid/ClipThumbnailView.h"
#include "grid/EngineCardMedia.h"
#include "library/ClipStore.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/PlayerView.h"

#include <QLabel>
#include <QPropertyAnimation>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

using WidgetStyle::sizedFont;

ClipGridView::ClipGridView(ClipStore *store, AppSettings *settings, const GridEngines &engines, bool audioEnabled, QWidget *parent)
    : QAbstractScrollArea(parent), m_store(store), m_settings(settings), m_audioEnabled(audioEnabled),
      m_media(std::make_shared<EngineCardMedia>(engines))
{
    // Before the viewport exists: its accessibility interface is made once.
    ClipThumbnailView::installAccessibility();
    setViewport(new ClipGridViewport(this));
    setAccessibleName(QStringLiteral("Clip grid"));
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
    m_retired = new QWidget(this);
    m_retired->hide();

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

    m_posterDwellTimer = new QTimer(this);
    m_posterDwellTimer->setSingleShot(true);
    connect(m_posterDwellTimer, &QTimer::timeout, this, &ClipGridView::updatePosterWants);
    setPosterClock({});

    if (m_settings) {
        // The cards follow the settings they draw themselves.
        connect(m_settings, &AppSettings::themeColorRawChanged, this, [this] {
            m_backToTop->setAccent(m_settings->accentColor());
            if (PlayerView *player = playerView())
                player->setAccent(m_settings->accentColor());
        });
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
    connect(m_store, &ClipStore::availableTagsChanged, this, [this] {
        refreshCards();
        refreshExpandedClip();
    });
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
    if (m_store->groupMode() == GroupMode::none)
        return ::clipSections(m_store->sortedAndFilteredClips(), GroupMode::none);
    const QList<Clip> &clips = m_store->clips();
    return ::clipSections(clips, clipSectionPositions(clips, m_store->sortedAndFilteredPositions(), m_store->groupMode()));
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
    refreshExpandedClip();
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
                               || m_store->filterHandMarkers() != m_lastFilterHandMarkers
                               || m_store->hideUntouched() != m_lastHideUntouched;
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

    // Another part of the window asks to open a clip in the player. The
    // request ends whether or not the clip is still there: a request left
    // standing would swallow the next one for the same clip (the store
    // notifies only when the requested clip changes).
    if (const std::optional<Clip> request = m_store->clipToOpen()) {
        m_store->setClipToOpen(std::nullopt);
        if (std::optional<Clip> clip = currentClip(request->id); clip && !clip->isMissing)
            expandClip(*clip);
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
    const QList<qsizetype> &displayed = m_store->sortedAndFilteredPositions();
    if (!m_store->selectedClipIDs().isEmpty() || displayed.isEmpty())
        return;
    const Clip first = m_store->clips().at(displayed.first());
    setSelection(QSet<QUuid>{first.id});
    m_store->setHoveredClipID(first.id);
    m_selectionAnchorID = first.id;
    updateGridScrub(first, false);
}
