#include "window/GridAreaView.h"

#include "app/widgets/WidgetStyle.h"
#include "grid/ClipGridView.h"
#include "grid/GridEngines.h"
#include "library/ClipStore.h"
#include "window/OfflineStatusBar.h"
#include "window/SelectionBar.h"

#include <QFrame>
#include <QProgressBar>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

GridAreaView::GridAreaView(ClipStore &store, AppSettings &settings, EmptyStateView::ColorSource accent, const QColor &surface,
                           QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings)
{
    setObjectName(QStringLiteral("gridArea"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    m_statusBar = new OfflineStatusBar(this);
    connect(m_statusBar, &OfflineStatusBar::locateFiles, this, &GridAreaView::locateFiles);
    column->addWidget(m_statusBar);
    m_statusDivider = WidgetStyle::hairline(this);
    column->addWidget(m_statusDivider);

    m_selectionBar = new SelectionBar(this);
    connect(m_selectionBar, &SelectionBar::clearSelection, this, [this] { m_store.setSelectedClipIDs({}); });
    column->addWidget(m_selectionBar);

    m_contentLayout = new QVBoxLayout;
    m_contentLayout->setContentsMargins(0, 0, 0, 0);
    m_contentLayout->setSpacing(0);
    m_emptyState = new EmptyStateView(std::move(accent), surface, this);
    connect(m_emptyState, &EmptyStateView::chooseFootage, this, &GridAreaView::chooseFootage);
    m_contentLayout->addWidget(m_emptyState);
    column->addLayout(m_contentLayout, 1);

    m_progressRow = new QWidget(this);
    auto *progressLayout = new QVBoxLayout(m_progressRow);
    progressLayout->setContentsMargins(20, 0, 20, 4);
    m_progress = new QProgressBar(m_progressRow);
    m_progress->setRange(0, 1000);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(6);
    m_progress->setAccessibleName(QStringLiteral("Loading clips"));
    progressLayout->addWidget(m_progress);
    column->addWidget(m_progressRow);

    connect(&m_store, &ClipStore::clipsChanged, this, &GridAreaView::refresh);
    connect(&m_store, &ClipStore::loadingChanged, this, &GridAreaView::refresh);
    connect(&m_store, &ClipStore::selectionChanged, this, &GridAreaView::refresh);
    connect(&m_store, &ClipStore::viewOptionsChanged, this, &GridAreaView::refresh);
    refresh();
}

void GridAreaView::setAudioEnabled(bool enabled)
{
    m_audioEnabled = enabled;
    if (m_grid)
        m_grid->setAudioEnabled(enabled);
}

void GridAreaView::setNumberingResetHandler(NumberingResetHandler handler)
{
    m_resetHandler = std::move(handler);
    if (m_grid)
        m_grid->setNumberingResetHandler(m_resetHandler);
}

ClipGridView *GridAreaView::makeGrid()
{
    const GridEngines engines{m_store.thumbnailGenerator(), m_store.scrubPlayerPool(), m_store.audioScrubEngine(), m_store.waveformCache()};
    auto *grid = new ClipGridView(&m_store, &m_settings, engines, m_audioEnabled, this);
    if (m_resetHandler)
        grid->setNumberingResetHandler(m_resetHandler);
    // The cards' "Hand Marker" item flags or unflags its clip, one undo step each.
    grid->setMarkerFlagHandler([this](const QUuid &clipID, const std::optional<MarkerFlag> &flag) { m_store.setMarkerFlag(flag, clipID); });
    return grid;
}

void GridAreaView::refresh()
{
    const QList<Clip> &clips = m_store.clips();
    qsizetype offline = 0;
    for (const Clip &clip : clips) {
        if (clip.isMissing)
            ++offline;
    }
    m_statusBar->setOfflineCount(offline);
    m_statusBar->setVisible(offline > 0);
    m_statusDivider->setVisible(offline > 0);

    const qsizetype selected = m_store.selectedClipIDs().size();
    const qsizetype hidden = selected - m_store.visibleSelectionCount();
    m_selectionBar->setCounts(selected, hidden);
    m_selectionBar->setVisible(selected > 0);

    const bool showClips = !clips.isEmpty() || m_store.isLoading();
    if (showClips && !m_grid) {
        m_grid = makeGrid();
        m_contentLayout->addWidget(m_grid);
    } else if (!showClips && m_grid) {
        // The next appearance of clips gets a fresh grid.
        m_contentLayout->removeWidget(m_grid);
        m_grid->hide();
        m_grid->deleteLater();
        m_grid = nullptr;
    }
    m_emptyState->setVisible(!showClips);

    const double progress = m_store.loadingProgress();
    m_progress->setValue(std::isfinite(progress) ? static_cast<int>(std::lround(std::clamp(progress, 0.0, 1.0) * 1000)) : 0);
    m_progressRow->setVisible(m_store.isLoading());
}
