// The card's pointer handling: hover scrubbing, clicks, tooltips and the
// context menu.
#include "grid/ClipThumbnailView.h"

#include "app/AppSettings.h"
#include "app/HoverScrub.h"
#include "app/widgets/Reveal.h"
#include "grid/CardMedia.h"

#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QHelpEvent>
#include <QMenu>
#include <QTimer>
#include <QToolTip>

#include <algorithm>

// ---- hover scrubbing -------------------------------------------------------

void ClipThumbnailView::hoverScrub(const QPointF &pos, Qt::KeyboardModifiers modifiers)
{
    if (m_in.clip.isMissing)
        return;
    const bool wasHovering = m_isHovering;
    m_isHovering = true;
    const QRectF poster = posterRect();
    const QList<ScrubModifier> scrubModifiers = m_settings ? m_settings->decodedScrubModifiers() : AppSettings::defaultScrubModifiers();
    const HoverScrub at = HoverScrub::at(pos.x() - poster.left(), poster.width(), m_in.clip.duration, scrubModifiers, modifiers,
                                         m_fineAnchorTime);
    m_activeScrubModifier = at.activeModifier;
    m_fineAnchorTime = at.anchor;
    m_hoverProgress = at.progress;
    m_currentTime = at.time;

    if (wasHovering) {
        if (m_scrubPlayer && m_media)
            m_media->seek(m_scrubPlayer, m_currentTime);
    } else {
        // An anchor taken at the very first event is taken again at the next one.
        m_fineAnchorTime.reset();
        if (m_media) {
            m_scrubPlayer = m_media->scrubPlayer(m_in.clip.url);
            watchPlayer(m_scrubPlayer);
            updateTargetSize();
            if (m_scrubPlayer)
                m_media->seek(m_scrubPlayer, m_currentTime);
            if (m_in.audioEnabled)
                m_media->preloadAudio(m_in.clip.url);
        }
    }
    if (m_in.audioEnabled && m_media)
        m_media->playSnippet(m_in.clip.url, m_currentTime);
    invalidate();
}

void ClipThumbnailView::endHoverScrub()
{
    if (!m_isHovering)
        return;
    m_isHovering = false;
    m_scrubPlayer.reset();
    watchPlayer(nullptr);
    m_hoverProgress = 0;
    m_fineAnchorTime.reset();
    m_activeScrubModifier.reset();
    if (m_media)
        m_media->stopSnippets();
    updateTargetSize();
    invalidate();
}

void ClipThumbnailView::setCardHovered(bool hovered)
{
    if (hovered == m_isCardHovered)
        return;
    m_isCardHovered = hovered;
    invalidate();
    Q_EMIT hoverChanged(hovered);
}

void ClipThumbnailView::setHoveredStar(int star)
{
    if (star == m_hoveredStar)
        return;
    m_hoveredStar = star;
    invalidate();
}

void ClipThumbnailView::enterEvent(QEnterEvent *event)
{
    QWidget::enterEvent(event);
    if (bodyRect().contains(event->position()))
        setCardHovered(true);
}

void ClipThumbnailView::leaveEvent(QEvent *event)
{
    QWidget::leaveEvent(event);
    endHoverScrub();
    setHoveredStar(0);
    setCardHovered(false);
}

void ClipThumbnailView::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF pos = event->position();
    setCardHovered(bodyRect().contains(pos));
    if (posterRect().contains(pos))
        hoverScrub(pos, event->modifiers());
    else
        endHoverScrub();
    const QRectF stars = starRowRect();
    if (stars.contains(pos)) {
        const int star = std::clamp(static_cast<int>((pos.x() - stars.left()) / starPitch) + 1, 1, 5);
        setHoveredStar(star);
    } else {
        setHoveredStar(0);
    }
    QWidget::mouseMoveEvent(event);
}

// ---- clicks ----------------------------------------------------------------

void ClipThumbnailView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressedHit = hitTest(event->position(), &m_pressedStar);
    event->accept();
}

void ClipThumbnailView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    int star = 0;
    const Hit hit = hitTest(event->position(), &star);
    const Hit pressed = m_pressedHit;
    m_pressedHit = Hit::none;
    if (hit != pressed || (hit == Hit::star && star != m_pressedStar))
        return;
    switch (hit) {
    case Hit::poster:
    case Hit::info:
    case Hit::name:
        Q_EMIT selectRequested(event->modifiers());
        break;
    case Hit::star:
        Q_EMIT rateRequested(star);
        break;
    case Hit::tagIcon:
        if (m_showTagPicker)
            closeTagPicker();
        else
            openTagPicker(false);
        break;
    case Hit::expand:
        Q_EMIT openRequested();
        break;
    case Hit::remove:
        Q_EMIT removeRequested();
        break;
    case Hit::numberingReset:
        Q_EMIT reviewNumberingResetRequested();
        break;
    case Hit::none:
        break;
    }
}

void ClipThumbnailView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && hitTest(event->position()) == Hit::name) {
        startRename();
        event->accept();
        return;
    }
    // Anything else counts as a second single click.
    mousePressEvent(event);
}

bool ClipThumbnailView::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        QString text;
        switch (hitTest(help->pos())) {
        case Hit::expand:
            text = QStringLiteral("Expand (Enter)");
            break;
        case Hit::remove:
            text = QStringLiteral("Remove from triage (Del)");
            break;
        case Hit::numberingReset:
            text = QStringLiteral("Possible numbering reset — review the previous clip");
            break;
        case Hit::tagIcon:
            text = QStringLiteral("Edit tags");
            break;
        default:
            break;
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    // The card keeps its picture between paints; a new palette (a switch of
    // the appearance) draws it again, or it would keep the old colours.
    if (event->type() == QEvent::PaletteChange) {
        m_cacheDirty = true;
        update();
    }
    return QWidget::event(event);
}

// ---- context menu ----------------------------------------------------------

QMenu *ClipThumbnailView::makeContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
    menu->setAccessibleName(m_in.clip.filename); // what a screen reader calls the open menu
    QPointer<ClipThumbnailView> self(this);

    QMenu *rate = menu->addMenu(QStringLiteral("Rate"));
    for (int n = 1; n <= 5; ++n) {
        rate->addAction(QString(n, QChar(0x2605)) + QString(5 - n, QChar(0x2606)), this, [self, n] {
            if (self)
                Q_EMIT self->rateRequested(n);
        });
    }
    rate->addSeparator();
    QAction *clear = rate->addAction(QStringLiteral("Clear Rating"), this, [self] {
        if (self)
            Q_EMIT self->rateRequested(0);
    });
    clear->setEnabled(m_in.clip.rating != 0);

    QMenu *tag = menu->addMenu(QStringLiteral("Tag"));
    for (const QString &name : std::as_const(m_in.availableTags)) {
        QAction *action = tag->addAction(name, this, [self, name] {
            if (self)
                Q_EMIT self->toggleTagRequested(name);
        });
        action->setCheckable(true);
        action->setChecked(m_in.clip.tags.contains(name));
    }
    if (!m_in.availableTags.isEmpty())
        tag->addSeparator();
    tag->addAction(QStringLiteral("New Tag..."), this, [self] {
        // After the menu has gone: the picker is a popup of its own.
        QTimer::singleShot(0, self, [self] {
            if (self)
                self->openTagPicker(true);
        });
    });

    if (m_in.canSetMarkerFlag) {
        const bool isMarker = m_in.clip.markerFlag && m_in.clip.markerFlag->isMarker();
        QAction *marker = menu->addAction(QStringLiteral("Hand Marker"), this, [self, isMarker] {
            if (self)
                Q_EMIT self->markerFlagRequested(isMarker ? std::nullopt : std::optional<MarkerFlag>(MarkerFlag::marker()));
        });
        marker->setCheckable(true);
        marker->setChecked(isMarker);
    }
    menu->addSeparator();
    menu->addAction(QStringLiteral("Expand"), this, [self] {
        if (self)
            Q_EMIT self->openRequested();
    });
    const QString path = m_in.clip.path();
    menu->addAction(QStringLiteral("Show in File Manager"), this, [self, path] { revealInFileManager(QUrl::fromLocalFile(path), self); });
    menu->addAction(QStringLiteral("Rename..."), this, [self] {
        QTimer::singleShot(0, self, [self] {
            if (self)
                self->startRename();
        });
    });
    menu->addSeparator();
    menu->addAction(QStringLiteral("Remove from Triage"), this, [self] {
        if (self)
            Q_EMIT self->removeRequested();
    });
    return menu;
}

void ClipThumbnailView::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = makeContextMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos());
    event->accept();
}
