#include "grid/ClipThumbnailView.h"

#include "app/AppSettings.h"
#include "app/TagColor.h"
#include "app/ThemeColor.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/CardMedia.h"
#include "grid/CardSymbols.h"
#include "grid/ClipSection.h"
#include "grid/HoverScrub.h"
#include "grid/RenameTextField.h"
#include "grid/Reveal.h"
#include "grid/TagPickerView.h"
#include "library/model/FileName.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/AudioPeakMarkers.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QFrame>
#include <QHelpEvent>
#include <QMenu>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal infoPaddingX = 12;
constexpr qreal infoPaddingY = 10;
constexpr qreal rowGap = 6;
constexpr qreal nameRowHeight = 22;
constexpr qreal techRowHeight = 14;
constexpr qreal ratingRowHeight = 24;
constexpr qreal starPitch = 18;
constexpr qreal starWidth = 16;
constexpr qreal tagIconWidth = 16;

using WidgetStyle::sizedFont;

QFont monoFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont f = sizedFont(base, pixels, weight);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    return f;
}

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

// Spaces and tabs (every Unicode space separator), not line breaks: the
// rename field is one line, and a pasted line break stays visible to the store.
QString trimSpacesAndTabs(const QString &text)
{
    auto isBlank = [](QChar c) { return c == QLatin1Char('\t') || c.category() == QChar::Separator_Space; };
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && isBlank(text.at(start)))
        ++start;
    while (end > start && isBlank(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

void fillRounded(QPainter &p, const QRectF &r, qreal radius, const QColor &color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawRoundedRect(r, radius, radius);
}

QRectF fitted(const QSizeF &image, const QRectF &area)
{
    if (image.isEmpty())
        return area;
    QSizeF s = image.scaled(area.size(), Qt::KeepAspectRatio);
    // A picture within a point of filling the area fills it, rather than
    // leaving a hairline of black along one edge.
    if (area.width() - s.width() < 1.5 && area.height() - s.height() < 1.5)
        return area;
    return QRectF(area.center().x() - s.width() / 2, area.center().y() - s.height() / 2, s.width(), s.height());
}

} // namespace

ClipThumbnailView::ClipThumbnailView(std::shared_ptr<CardMedia> media, AppSettings *settings, QWidget *parent)
    : QWidget(parent), m_media(std::move(media)), m_settings(settings)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_Hover, false);
    // Opaque: the card paints its margins in the grid's background colour
    // itself, so the grid never paints beneath it.
    setAttribute(Qt::WA_OpaquePaintEvent, true);
    setFocusPolicy(Qt::NoFocus);
    setContextMenuPolicy(Qt::DefaultContextMenu);
}

ClipThumbnailView::~ClipThumbnailView()
{
    // The popup is a window of its own; closing it here would call back into
    // a half-destroyed card, so its signals are cut first.
    if (m_popup) {
        m_popup->removeEventFilter(this);
        delete m_popup;
    }
    if (m_isHovering && m_media)
        m_media->stopSnippets();
}

// ---- inputs and geometry ---------------------------------------------------

int ClipThumbnailView::bodyHeightForWidth(qreal width, double tileAspectRatio)
{
    const double a = tileAspectRatio > 0 && std::isfinite(tileAspectRatio) ? tileAspectRatio : 16.0 / 9.0;
    const double w = std::max<qreal>(width, 0);
    return static_cast<int>(std::ceil(w / a)) + infoHeight;
}

int ClipThumbnailView::heightForWidth(int width) const
{
    return bodyHeightForWidth(width - 2 * margin, m_in.tileAspectRatio) + 2 * margin;
}

QSize ClipThumbnailView::sizeHint() const
{
    const int w = 320 + 2 * margin;
    return QSize(w, heightForWidth(w));
}

QString ClipThumbnailView::loadingIdentity() const
{
    return m_in.clip.path() + QLatin1Char('|') + (m_in.clip.isMissing ? QStringLiteral("true") : QStringLiteral("false"));
}

namespace {
bool sameClipForDisplay(const Clip &a, const Clip &b)
{
    return a == b && a.url == b.url && a.duration == b.duration && a.width == b.width && a.height == b.height
        && a.codec == b.codec && a.frameRate == b.frameRate && a.fileSize == b.fileSize && a.isMissing == b.isMissing;
}
bool sameForDisplay(const ClipThumbnailView::Inputs &a, const ClipThumbnailView::Inputs &b)
{
    return sameClipForDisplay(a.clip, b.clip) && a.tileAspectRatio == b.tileAspectRatio && a.availableTags == b.availableTags
        && a.audioEnabled == b.audioEnabled && a.isSelected == b.isSelected && a.selectedTagsForPicker == b.selectedTagsForPicker
        && a.mixedTagsForPicker == b.mixedTagsForPicker && a.keyboardPlayer == b.keyboardPlayer && a.keyboardShuttle == b.keyboardShuttle
        && a.canSetMarkerFlag == b.canSetMarkerFlag && a.canReviewNumberingReset == b.canReviewNumberingReset
        && a.showTagPickerRequested == b.showTagPickerRequested && a.scrubSize == b.scrubSize && a.cardRadius == b.cardRadius;
}
} // namespace

void ClipThumbnailView::invalidate()
{
    m_cacheDirty = true;
    update();
}

void ClipThumbnailView::setInputs(const Inputs &inputs)
{
    if (m_hasInputs && sameForDisplay(inputs, m_in))
        return;
    const Inputs old = m_in;
    const bool first = !m_hasInputs;
    m_in = inputs;
    m_hasInputs = true;

    if (first || loadingIdentity() != m_loadedIdentity)
        m_loadPending = true;
    if (m_loadPending && width() > 0)
        startLoading();

    if (first || old.keyboardPlayer != m_in.keyboardPlayer) {
        if (m_keyboardPlayerConnection)
            disconnect(m_keyboardPlayerConnection);
        if (m_in.keyboardPlayer)
            m_keyboardPlayerConnection = connect(m_in.keyboardPlayer.get(), &VideoPlayer::frameReady, this, [this] {
                if (!m_scrubPlayer)
                    invalidate();
            });
        updateTargetSize();
    }
    if (first || old.keyboardShuttle != m_in.keyboardShuttle)
        watchShuttle(m_in.keyboardShuttle);

    // The grid's request opens the picker when it turns on (also for a card
    // made while the request stands, so that it is never left without a picker).
    if (m_in.showTagPickerRequested && (first || !old.showTagPickerRequested) && !m_showTagPicker) {
        QPointer<ClipThumbnailView> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self && self->m_in.showTagPickerRequested && !self->m_showTagPicker)
                self->openTagPicker(false);
        });
    }
    if (m_picker)
        refreshTagPicker();
    invalidate();
}

QRectF ClipThumbnailView::bodyRect() const
{
    return QRectF(rect()).adjusted(margin, margin, -margin, -margin);
}

QRectF ClipThumbnailView::posterRect() const
{
    const QRectF body = bodyRect();
    const double a = m_in.tileAspectRatio > 0 ? m_in.tileAspectRatio : 16.0 / 9.0;
    return QRectF(body.left(), body.top(), body.width(), std::ceil(body.width() / a));
}

namespace {
struct InfoRows
{
    QRectF content;
    QRectF nameRow;
    QRectF techRow;
    QRectF ratingRow;
};
InfoRows infoRows(const QRectF &poster)
{
    InfoRows rows;
    rows.content = QRectF(poster.left() + infoPaddingX, poster.bottom() + infoPaddingY, poster.width() - 2 * infoPaddingX,
                          ClipThumbnailView::infoHeight - 2 * infoPaddingY);
    rows.nameRow = QRectF(rows.content.left(), rows.content.top(), rows.content.width(), nameRowHeight);
    rows.techRow = QRectF(rows.content.left(), rows.nameRow.bottom() + rowGap, rows.content.width(), techRowHeight);
    rows.ratingRow = QRectF(rows.content.left(), rows.techRow.bottom() + rowGap, rows.content.width(), ratingRowHeight);
    return rows;
}
} // namespace

QRectF ClipThumbnailView::starRowRect() const
{
    const QRectF row = infoRows(posterRect()).ratingRow;
    return QRectF(row.left(), row.top(), 5 * starPitch - (starPitch - starWidth), row.height());
}

QRectF ClipThumbnailView::starRect(int star) const
{
    const QRectF row = starRowRect();
    return QRectF(row.left() + (star - 1) * starPitch, row.top() + 2, starWidth, row.height() - 4);
}

QRectF ClipThumbnailView::tagIconRect() const
{
    const QRectF row = infoRows(posterRect()).ratingRow;
    return QRectF(row.right() - tagIconWidth, row.center().y() - 8, tagIconWidth, 16);
}

QRectF ClipThumbnailView::expandButtonRect() const
{
    const QRectF poster = posterRect();
    return QRectF(poster.right() - 30 - 8 - 26, poster.top() + 2, 26, 26);
}

QRectF ClipThumbnailView::removeButtonRect() const
{
    const QRectF poster = posterRect();
    return QRectF(poster.right() - 30, poster.top(), 30, 30);
}

namespace {
QString durationLabel(const Clip &clip)
{
    return clip.durationText();
}
} // namespace

QRectF ClipThumbnailView::nameRect() const
{
    const QRectF row = infoRows(posterRect()).nameRow;
    const QFontMetricsF dm(monoFont(font(), 11, QFont::Medium));
    qreal right = row.right() - dm.horizontalAdvance(durationLabel(m_in.clip)) - 8;
    if (m_in.canReviewNumberingReset)
        right -= 18 + 8;
    const QFontMetricsF nm(sizedFont(font(), 13, QFont::DemiBold));
    const qreal natural = nm.horizontalAdvance(m_in.clip.filename) + 1;
    const qreal width = std::max<qreal>(0, right - row.left());
    return QRectF(row.left(), row.top(), m_isRenaming ? width : std::min(width, natural), row.height());
}

QRectF ClipThumbnailView::numberingResetButtonRect() const
{
    if (!m_in.canReviewNumberingReset)
        return QRectF();
    const QRectF name = nameRect();
    return QRectF(name.right() + 8, name.center().y() - 10, 18, 20);
}

ClipThumbnailView::Hit ClipThumbnailView::hitTest(const QPointF &pos, int *star) const
{
    if (!bodyRect().contains(pos))
        return Hit::none;
    if (m_isCardHovered) {
        if (expandButtonRect().contains(pos))
            return Hit::expand;
        if (removeButtonRect().contains(pos))
            return Hit::remove;
    }
    const QRectF poster = posterRect();
    if (poster.contains(pos))
        return Hit::poster;
    if (m_in.canReviewNumberingReset && numberingResetButtonRect().contains(pos))
        return Hit::numberingReset;
    if (!m_isRenaming && nameRect().contains(pos))
        return Hit::name;
    for (int n = 1; n <= 5; ++n) {
        if (starRect(n).adjusted(-1, -2, 1, 2).contains(pos)) {
            if (star)
                *star = n;
            return Hit::star;
        }
    }
    if (tagIconRect().adjusted(-3, -4, 3, 4).contains(pos))
        return Hit::tagIcon;
    return Hit::info;
}

// ---- texts -----------------------------------------------------------------

QString ClipThumbnailView::technicalLine(const Clip &clip)
{
    QStringList parts;
    parts << clip.codec << clip.resolutionLabel();
    const QString rate = clip.frameRateText();
    if (!rate.isEmpty())
        parts << rate + QStringLiteral("fps");
    parts.removeAll(QString());
    return parts.join(QStringLiteral(" · "));
}

QString ClipThumbnailView::accessibilitySummary() const
{
    const Clip &c = m_in.clip;
    QStringList parts{c.filename, c.durationText()};
    if (!c.resolutionLabel().isEmpty())
        parts << c.resolutionLabel();
    parts << (c.rating < 1 ? QStringLiteral("unrated") : QString::number(c.rating) + QStringLiteral(" of 5 stars"));
    if (!c.tags.isEmpty()) {
        QStringList tags = c.tags;
        std::sort(tags.begin(), tags.end());
        parts << QStringLiteral("tagged ") + tags.join(QStringLiteral(", "));
    }
    if (c.markerFlag && c.markerFlag->isMarker())
        parts << QStringLiteral("hand marker");
    return parts.join(QStringLiteral(", "));
}

QString ClipThumbnailView::timeChipText() const
{
    return formatScrubTime(m_currentTime);
}

QColor ClipThumbnailView::accent() const
{
    return m_settings ? themeColorValue(m_settings->themeColorRaw()) : brandAccentColor();
}

// ---- loading ---------------------------------------------------------------

double ClipThumbnailView::posterTime() const
{
    return finiteDuration(m_in.clip.duration) * 0.25;
}

QSize ClipThumbnailView::posterRequestSize() const
{
    // At least the size the store's prewarm asks for, and otherwise what the
    // card shows in device pixels, rounded up so that small resizes reuse
    // the poster already made.
    const qreal dpr = devicePixelRatioF();
    const QSizeF shown = posterRect().size() * dpr;
    auto roundUp = [](qreal v) { return static_cast<int>(std::ceil(v / 80.0) * 80); };
    const int w = std::max(static_cast<int>(std::lround(m_in.scrubSize.width())), shown.width() > m_in.scrubSize.width() ? roundUp(shown.width()) : 0);
    const int h = std::max(static_cast<int>(std::lround(m_in.scrubSize.height())), shown.height() > m_in.scrubSize.height() ? roundUp(shown.height()) : 0);
    return QSize(w, h);
}

void ClipThumbnailView::startLoading()
{
    m_loadPending = false;
    m_loadedIdentity = loadingIdentity();
    ++m_loadGeneration;
    // An offline clip keeps what it had and loads nothing.
    if (m_in.clip.isMissing || !m_media)
        return;
    m_posterImage = QImage();
    m_posterPixmap = QPixmap();
    m_posterPixmapKey = -1;
    m_audioPeaks.reset();
    requestPoster(false);
}

void ClipThumbnailView::requestPoster(bool keepCurrent)
{
    if (!m_media || m_in.clip.isMissing)
        return;
    const QSize size = posterRequestSize();
    m_posterRequestedSize = size;
    const quint64 generation = m_loadGeneration;
    const QString identity = m_loadedIdentity;
    const QUrl url = m_in.clip.url;
    const double time = posterTime();
    const QString key = CardMedia::posterCacheKey(url, time, size.width());
    QPointer<ClipThumbnailView> self(this);
    m_media->requestPoster(url, time, size, key, this, [self, generation, identity, size, keepCurrent](const QImage &image) {
        // An answer for an earlier clip, file or size of this card is dropped.
        if (!self || self->m_loadGeneration != generation || self->m_loadedIdentity != identity)
            return;
        if (size != self->m_posterRequestedSize)
            return;
        if (!image.isNull() || !keepCurrent) {
            if (!image.isNull() || self->m_posterImage.isNull()) {
                self->m_posterImage = image;
                self->m_posterPixmapKey = -1;
                self->invalidate();
            }
        }
        if (!keepCurrent && !self->m_audioPeaks.has_value() && self->m_media) {
            const QUrl peaksURL = self->m_in.clip.url;
            self->m_media->requestPeaks(peaksURL, self, [self, generation, identity](const QList<AudioPeak> &peaks) {
                if (!self || self->m_loadGeneration != generation || self->m_loadedIdentity != identity)
                    return;
                self->m_audioPeaks = peaks;
                self->invalidate();
            });
        }
    });
}

QImage ClipThumbnailView::shownPoster() const
{
    if (!m_posterImage.isNull())
        return m_posterImage;
    if (!m_media)
        return QImage();
    const double time = posterTime();
    QImage cached = m_media->cachedPoster(CardMedia::posterCacheKey(m_in.clip.url, time, posterRequestSize().width()));
    if (cached.isNull())
        cached = m_media->cachedPoster(CardMedia::posterCacheKey(m_in.clip.url, time, static_cast<int>(std::lround(m_in.scrubSize.width()))));
    return cached;
}

void ClipThumbnailView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_hasInputs)
        return;
    if (m_loadPending) {
        startLoading();
    } else if (!m_in.clip.isMissing && posterRequestSize().width() > m_posterRequestedSize.width()) {
        requestPoster(true);
    }
    updateTargetSize();
    if (m_renameField)
        placeRenameField();
}

void ClipThumbnailView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_hasInputs && m_loadPending && width() > 0)
        startLoading();
}

// ---- players ---------------------------------------------------------------

VideoPlayer *ClipThumbnailView::shownPlayer() const
{
    if (m_scrubPlayer)
        return m_scrubPlayer.get();
    return m_in.keyboardPlayer.get();
}

void ClipThumbnailView::updateTargetSize()
{
    const QSize size = (posterRect().size() * devicePixelRatioF()).toSize();
    if (size.isEmpty())
        return;
    if (VideoPlayer *player = shownPlayer())
        player->setTargetSize(size);
}

void ClipThumbnailView::watchPlayer(const std::shared_ptr<VideoPlayer> &player)
{
    if (m_playerConnection)
        disconnect(m_playerConnection);
    if (player)
        m_playerConnection = connect(player.get(), &VideoPlayer::frameReady, this, [this] { invalidate(); });
}

void ClipThumbnailView::watchShuttle(ShuttleController *shuttle)
{
    for (const QMetaObject::Connection &c : std::as_const(m_shuttleConnections))
        disconnect(c);
    m_shuttleConnections.clear();
    if (!shuttle)
        return;
    auto repaint = [this] {
        if (!m_isHovering)
            invalidate();
    };
    m_shuttleConnections << connect(shuttle, &ShuttleController::currentTimeChanged, this, repaint)
                         << connect(shuttle, &ShuttleController::playbackDirectionChanged, this, repaint)
                         << connect(shuttle, &ShuttleController::speedIndexChanged, this, repaint);
}

// ---- hover scrubbing -------------------------------------------------------

void ClipThumbnailView::hoverScrub(const QPointF &pos, Qt::KeyboardModifiers modifiers)
{
    if (m_in.clip.isMissing)
        return;
    const bool wasHovering = m_isHovering;
    m_isHovering = true;
    const QRectF poster = posterRect();
    const QList<ScrubModifier> scrubModifiers = m_settings ? m_settings->decodedScrubModifiers() : AppSettings::defaultScrubModifiers();
    const HoverScrub at = HoverScrub::at(pos.x() - poster.left(), poster.width(), m_in.clip.duration, scrubModifiers, modifiers, m_fineAnchorTime);
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
        case Hit::expand: text = QStringLiteral("Expand (Enter)"); break;
        case Hit::remove: text = QStringLiteral("Remove from triage (Del)"); break;
        case Hit::numberingReset: text = QStringLiteral("Possible numbering reset — review the previous clip"); break;
        case Hit::tagIcon: text = QStringLiteral("Edit tags"); break;
        default: break;
        }
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}

// ---- context menu ----------------------------------------------------------

QMenu *ClipThumbnailView::makeContextMenu(QWidget *parent)
{
    auto *menu = new QMenu(parent);
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
    menu->addAction(QStringLiteral("Show in File Manager"), this, [path] { revealInFileManager(QUrl::fromLocalFile(path)); });
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

// ---- rename ----------------------------------------------------------------

void ClipThumbnailView::startRename()
{
    if (m_isRenaming)
        return;
    m_renameText = FileName::withoutExtension(m_in.clip.filename);
    m_isRenaming = true;
    m_renameField = new RenameTextField(m_renameText, sizedFont(font(), 13, QFont::DemiBold), this);
    m_renameField->setAccessibleName(QStringLiteral("Clip name"));
    connect(m_renameField, &QLineEdit::textChanged, this, [this](const QString &text) { m_renameText = text; });
    connect(m_renameField, &RenameTextField::committed, this, &ClipThumbnailView::commitRename);
    connect(m_renameField, &RenameTextField::cancelled, this, &ClipThumbnailView::cancelRename);
    placeRenameField();
    m_renameField->show();
    invalidate();
    Q_EMIT renameStateChanged(true);
}

void ClipThumbnailView::placeRenameField()
{
    if (!m_renameField)
        return;
    const QRectF name = nameRect();
    m_renameField->setGeometry(QRectF(name.left() - 2, name.top(), name.width() + 2, nameRowHeight).toAlignedRect());
}

void ClipThumbnailView::commitRename()
{
    if (!m_isRenaming)
        return;
    const QString trimmed = trimSpacesAndTabs(m_renameText);
    endRename();
    if (!trimmed.isEmpty())
        Q_EMIT renameRequested(trimmed);
    Q_EMIT renameStateChanged(false);
}

void ClipThumbnailView::cancelRename()
{
    if (!m_isRenaming)
        return;
    endRename();
    Q_EMIT renameStateChanged(false);
}

void ClipThumbnailView::endRename()
{
    m_isRenaming = false;
    if (m_renameField) {
        RenameTextField *field = m_renameField;
        m_renameField = nullptr;
        field->disconnect(this);
        field->hide();
        field->deleteLater();
    }
    invalidate();
}

// ---- tag picker ------------------------------------------------------------

void ClipThumbnailView::openTagPicker(bool addMode)
{
    if (addMode)
        m_showTagPickerInAddMode = true;
    if (m_showTagPicker && m_popup)
        return;
    m_showTagPicker = true;
    m_popup = new QFrame(this, Qt::Popup);
    m_popup->setFrameShape(QFrame::NoFrame);
    m_popup->setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(m_popup);
    layout->setContentsMargins(0, 0, 0, 0);
    const auto selected = m_in.selectedTagsForPicker.value_or(m_in.clip.tags);
    m_picker = new TagPickerView(m_in.availableTags, selected, m_in.mixedTagsForPicker, m_showTagPickerInAddMode, accent(), m_popup);
    layout->addWidget(m_picker);
    connect(m_picker, &TagPickerView::tagToggled, this, &ClipThumbnailView::toggleTagRequested);
    connect(m_picker, &TagPickerView::tagAdded, this, &ClipThumbnailView::addTagRequested);
    connect(m_picker, &TagPickerView::dismissed, this, &ClipThumbnailView::closeTagPicker);
    m_popup->installEventFilter(this);
    placeTagPicker();
    m_popup->show();
    m_picker->setFocus(Qt::PopupFocusReason);
}

void ClipThumbnailView::refreshTagPicker()
{
    if (!m_picker)
        return;
    m_picker->setTags(m_in.availableTags, m_in.selectedTagsForPicker.value_or(m_in.clip.tags), m_in.mixedTagsForPicker);
    if (m_popup) {
        m_popup->adjustSize();
        placeTagPicker();
    }
}

void ClipThumbnailView::placeTagPicker()
{
    if (!m_popup)
        return;
    m_popup->adjustSize();
    const QRectF row = infoRows(posterRect()).ratingRow;
    const QPoint anchor = mapToGlobal(QPointF(tagIconRect().center().x(), row.bottom() + 4).toPoint());
    QPoint topLeft(anchor.x() - m_popup->width() / 2, anchor.y());
    if (QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - m_popup->width())));
        if (topLeft.y() + m_popup->height() > area.bottom()) {
            const QPoint above = mapToGlobal(QPointF(0, row.top() - 4).toPoint());
            topLeft.setY(above.y() - m_popup->height());
        }
    }
    m_popup->move(topLeft);
}

void ClipThumbnailView::closeTagPicker()
{
    if (m_popup && m_popup->isVisible())
        m_popup->hide(); // the hide event finishes the close
    else
        onTagPickerHidden();
}

void ClipThumbnailView::onTagPickerHidden()
{
    if (!m_showTagPicker && !m_popup)
        return;
    m_showTagPicker = false;
    // However the popup closed (its own dismiss, a click outside it, Escape
    // handled by the window system), the next opening starts in the normal mode.
    m_showTagPickerInAddMode = false;
    if (m_popup) {
        QFrame *popup = m_popup;
        m_popup = nullptr;
        m_picker = nullptr;
        popup->removeEventFilter(this);
        popup->deleteLater();
    }
    Q_EMIT tagPickerClosed();
}

bool ClipThumbnailView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_popup && event->type() == QEvent::Hide)
        onTagPickerHidden(); // the popup itself is deleted later
    return QWidget::eventFilter(watched, event);
}

// ---- painting --------------------------------------------------------------

void ClipThumbnailView::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_cacheDirty || m_cache.size() != pixels || m_cache.devicePixelRatio() != dpr) {
        if (m_cache.size() != pixels)
            m_cache = QImage(pixels, QImage::Format_RGB32);
        m_cache.setDevicePixelRatio(dpr);
        QPainter cachePainter(&m_cache);
        render(cachePainter);
        m_cacheDirty = false;
    }
    QPainter p(this);
    p.drawImage(QPointF(0, 0), m_cache);
}

namespace {

// What every card of one size looks like before its content: the grid's
// background, the shadow, the body and the black poster area, drawn once
// and copied into each card, plus the two top corners that are drawn again
// over a poster (which is rectangular), and the selection ring. Large
// antialiased shapes are slow to fill; copying finished images is not.
struct CardChrome
{
    QImage background;                // opaque, the whole widget
    QImage topLeftCorner, topRightCorner; // transparent inside the rounded body
    QImage ring;                      // transparent but for the ring
    QRect topLeftRect, topRightRect;  // in widget coordinates
};

struct ChromeKey
{
    QSize size;
    qreal radius;
    qreal posterHeight;
    QRgb window;
    QRgb base;
    QRgb accent;
    qreal dpr;
    friend bool operator==(const ChromeKey &, const ChromeKey &) = default;
};

const CardChrome &cardChrome(const ChromeKey &key, const QRectF &body, const QRectF &poster)
{
    static QList<std::pair<ChromeKey, CardChrome>> cache; // a few sizes at most
    for (const auto &entry : cache) {
        if (entry.first == key)
            return entry.second;
    }
    CardChrome chrome;
    const QSize pixels = (QSizeF(key.size) * key.dpr).toSize();
    auto image = [&](QImage::Format format) {
        QImage i(pixels, format);
        i.setDevicePixelRatio(key.dpr);
        i.fill(format == QImage::Format_RGB32 ? QColor::fromRgb(key.window) : QColor(Qt::transparent));
        return i;
    };
    QPainterPath bodyPath;
    bodyPath.addRoundedRect(body, key.radius, key.radius);
    // Background: shadow, body, black poster area with rounded top corners.
    chrome.background = image(QImage::Format_RGB32);
    {
        QPainter p(&chrome.background);
        p.setRenderHint(QPainter::Antialiasing);
        for (int i = 3; i >= 1; --i)
            fillRounded(p, body.translated(0, 1.5).adjusted(-i * 0.7, -i * 0.4, i * 0.7, i * 1.0), key.radius + i, QColor(0, 0, 0, 6));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor::fromRgb(key.base));
        p.drawPath(bodyPath);
        p.setClipPath(bodyPath);
        p.fillRect(poster, Qt::black);
    }
    // Corners: everything of the background outside the rounded body, in
    // squares of the radius (and the margin) at the top.
    const int r = static_cast<int>(std::ceil(key.radius)) + ClipThumbnailView::margin + 1;
    chrome.topLeftRect = QRect(0, 0, r, r);
    chrome.topRightRect = QRect(key.size.width() - r, 0, r, r);
    QImage outside = image(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&outside);
        p.drawImage(QPointF(0, 0), chrome.background);
        p.setRenderHint(QPainter::Antialiasing);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawPath(bodyPath);
    }
    auto piece = [&](const QRect &rect) {
        QImage i = outside.copy(QRectF(QPointF(rect.topLeft()) * key.dpr, QSizeF(rect.size()) * key.dpr).toRect());
        i.setDevicePixelRatio(key.dpr);
        return i;
    };
    chrome.topLeftCorner = piece(chrome.topLeftRect);
    chrome.topRightCorner = piece(chrome.topRightRect);
    // The selection ring, 1 to 3 points outside the body's edge.
    chrome.ring = image(QImage::Format_ARGB32_Premultiplied);
    {
        QPainter p(&chrome.ring);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(QColor::fromRgb(key.accent), 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(body.adjusted(-2, -2, 2, 2), key.radius + 2, key.radius + 2);
    }
    if (cache.size() >= 6)
        cache.removeFirst();
    cache.append({key, std::move(chrome)});
    return cache.constLast().second;
}

} // namespace

void ClipThumbnailView::render(QPainter &p)
{
    const QRectF body = bodyRect();
    const QRectF poster = posterRect();
    const qreal dpr = devicePixelRatioF();
    const ChromeKey key{size(), m_in.cardRadius, poster.height(), palette().color(QPalette::Window).rgb(),
                        palette().color(QPalette::Base).rgb(), accent().rgb(), dpr};
    const CardChrome &chrome = cardChrome(key, body, poster);
    p.drawImage(QPointF(0, 0), chrome.background);
    if (paintPoster(p, poster)) {
        // A picture is a rectangle: the rounded top corners go back on top.
        p.drawImage(chrome.topLeftRect.topLeft(), chrome.topLeftCorner);
        p.drawImage(chrome.topRightRect.topLeft(), chrome.topRightCorner);
    }
    p.setRenderHint(QPainter::Antialiasing);
    paintBadges(p, poster);
    paintHoverButtons(p, poster);
    paintScrubOverlay(p, poster);
    paintProgress(p, poster);
    paintInfo(p);
    // The ring is always laid out; only its colour changes (clear when not selected).
    if (m_in.isSelected)
        p.drawImage(QPointF(0, 0), chrome.ring);
}

bool ClipThumbnailView::paintPoster(QPainter &p, const QRectF &area)
{
    const qreal dpr = devicePixelRatioF();
    VideoPlayer *player = shownPlayer();
    if (player && player->isReadyForDisplay()) {
        const QImage frame = player->currentFrame();
        if (!frame.isNull()) {
            const QRectF target = fitted(QSizeF(frame.size()) / dpr, area);
            // Frames come scaled to the size shown; then they are only copied.
            if (dpr == 1 && frame.size() == target.size().toSize())
                p.drawImage(target.topLeft(), frame);
            else
                p.drawImage(target, frame);
            return true;
        }
    }
    const QImage poster = shownPoster();
    if (poster.isNull())
        return false;
    const QRectF target = fitted(poster.size(), area);
    const QSize pixels = (target.size() * devicePixelRatioF()).toSize();
    if (m_posterPixmapKey != poster.cacheKey() || m_posterPixmapSize != target.size()) {
        m_posterPixmap = QPixmap::fromImage(poster.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        m_posterPixmap.setDevicePixelRatio(devicePixelRatioF());
        m_posterPixmapKey = poster.cacheKey();
        m_posterPixmapSize = target.size();
    }
    p.drawPixmap(target.topLeft(), m_posterPixmap);
    return true;
}

void ClipThumbnailView::paintBadges(QPainter &p, const QRectF &area)
{
    const Clip &c = m_in.clip;
    if (c.isMissing) {
        const QColor secondary = QColor(255, 255, 255, 170);
        const QFont f = sizedFont(font(), 12);
        const QString text = QStringLiteral("File offline");
        const QFontMetricsF fm(f);
        const qreal w = fm.horizontalAdvance(text) + 22;
        const QPointF origin(area.center().x() - w / 2, area.center().y() - 8);
        CardSymbols::drawDrive(p, QRectF(origin.x(), origin.y(), 16, 16), secondary);
        p.setFont(f);
        p.setPen(secondary);
        p.drawText(QRectF(origin.x() + 22, origin.y() - 2, w, 20), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
    const bool isMarker = c.markerFlag && c.markerFlag->isMarker();
    if (c.rating <= 0 && !isMarker)
        return;
    qreal y = area.top() + 6;
    const qreal x = area.left() + 6;
    if (c.rating > 0) {
        const QFont number = sizedFont(font(), 14, QFont::Bold);
        const QFont star = sizedFont(font(), 10);
        const QString digits = QString::number(c.rating);
        const qreal w = QFontMetricsF(number).horizontalAdvance(digits) + 2 + QFontMetricsF(star).horizontalAdvance(QStringLiteral("★")) + 16;
        const QRectF badge(x, y, w, 25);
        fillRounded(p, badge.translated(0, 1), 7, QColor(0, 0, 0, 60));
        fillRounded(p, badge, 7, ratingColor(c.rating).value_or(QColor(142, 142, 147)));
        p.setPen(Qt::white);
        p.setFont(number);
        const qreal dw = QFontMetricsF(number).horizontalAdvance(digits);
        p.drawText(QRectF(badge.left() + 8, badge.top(), dw, badge.height()), Qt::AlignLeft | Qt::AlignVCenter, digits);
        p.setFont(star);
        p.drawText(QRectF(badge.left() + 8 + dw + 2, badge.top() + 1, 20, badge.height()), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("★"));
        y += badge.height() + 4;
    }
    if (isMarker) {
        const QFont label = sizedFont(font(), 10, QFont::Black);
        const QString text = QStringLiteral("MARKER");
        const qreal w = 9 + 3 + QFontMetricsF(label).horizontalAdvance(text) + 16;
        const QRectF badge(x, y, w, 21);
        fillRounded(p, badge.translated(0, 1), 7, QColor(0, 0, 0, 60));
        fillRounded(p, badge, 7, QColor(0, 0, 0, 166));
        const QColor fg(255, 255, 255, 217);
        CardSymbols::drawHand(p, QRectF(badge.left() + 8, badge.center().y() - 5, 9, 10), fg);
        p.setPen(fg);
        p.setFont(label);
        p.drawText(QRectF(badge.left() + 8 + 12, badge.top(), w, badge.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
    }
}

void ClipThumbnailView::paintHoverButtons(QPainter &p, const QRectF &)
{
    if (!m_isCardHovered)
        return;
    const QRectF expand = expandButtonRect();
    fillRounded(p, expand.translated(0, 0.5), 13, QColor(0, 0, 0, 60));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 102));
    p.drawEllipse(expand);
    CardSymbols::drawExpand(p, expand, QColor(255, 255, 255, 204));
    const QRectF remove = removeButtonRect().adjusted(6, 6, -6, -6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(remove.adjusted(-1, -0.5, 1, 1.5));
    CardSymbols::drawRemove(p, remove, QColor(255, 255, 255, 204));
}

void ClipThumbnailView::paintScrubOverlay(QPainter &p, const QRectF &area)
{
    const QFont timeFont = monoFont(font(), 11);
    auto timeChip = [&](const QString &text, qreal right, qreal bottom, const std::optional<ScrubModifier> &modifier) {
        const QFontMetricsF fm(timeFont);
        qreal w = fm.horizontalAdvance(text) + 12;
        QFont labelFont = sizedFont(font(), 9, QFont::DemiBold);
        qreal labelWidth = 0;
        if (modifier) {
            labelWidth = QFontMetricsF(labelFont).horizontalAdvance(modifier->label()) + 8;
            w += 4 + labelWidth;
        }
        const qreal h = fm.height() + 4;
        const QRectF chip(right - w, bottom - h, w, h);
        fillRounded(p, chip, 4, QColor(0, 0, 0, 179));
        p.setFont(timeFont);
        p.setPen(Qt::white);
        p.drawText(QRectF(chip.left() + 6, chip.top(), fm.horizontalAdvance(text) + 1, h), Qt::AlignLeft | Qt::AlignVCenter, text);
        if (modifier) {
            const QRectF label(chip.right() - 6 - labelWidth, chip.top() + (h - 13) / 2, labelWidth, 13);
            fillRounded(p, label, 3, QColor(0, 122, 255, 179));
            p.setFont(labelFont);
            p.setPen(QColor(255, 255, 255, 230));
            p.drawText(label, Qt::AlignCenter, modifier->label());
        }
    };

    if (m_isHovering) {
        // Modifier hints: the first two chips, then "+N" for the rest.
        const QList<ScrubModifier> modifiers = m_settings ? m_settings->decodedScrubModifiers() : AppSettings::defaultScrubModifiers();
        const int maxVisible = 2;
        const QFont chipFont = sizedFont(font(), 9, QFont::DemiBold);
        const QFontMetricsF cm(chipFont);
        qreal x = area.left() + 6;
        const qreal chipHeight = cm.height() + 3;
        const qreal bottom = area.bottom() - 6;
        for (int i = 0; i < modifiers.size() && i < maxVisible; ++i) {
            const ScrubModifier &m = modifiers.at(i);
            const bool active = m_activeScrubModifier && m_activeScrubModifier->key == m.key;
            const QString text = m.label();
            const QRectF chip(x, bottom - chipHeight, cm.horizontalAdvance(text) + 8, chipHeight);
            fillRounded(p, chip, 3, active ? QColor(0, 122, 255, 204) : QColor(255, 255, 255, 26));
            p.setFont(chipFont);
            p.setPen(QColor(255, 255, 255, active ? 242 : 128));
            p.drawText(chip, Qt::AlignCenter, text);
            x = chip.right() + 3;
        }
        const qsizetype hidden = modifiers.size() - maxVisible;
        if (hidden > 0) {
            const QFont plusFont = sizedFont(font(), 8, QFont::Medium);
            const QString text = QStringLiteral("+") + QString::number(hidden);
            const QFontMetricsF pm(plusFont);
            const QRectF chip(x, bottom - pm.height() - 3, pm.horizontalAdvance(text) + 6, pm.height() + 3);
            fillRounded(p, chip, 3, QColor(255, 255, 255, 20));
            p.setFont(plusFont);
            p.setPen(QColor(255, 255, 255, 102));
            p.drawText(chip, Qt::AlignCenter, text);
        }
        timeChip(timeChipText(), area.right() - 6, bottom, m_activeScrubModifier);
        return;
    }
    if (m_in.keyboardPlayer && m_in.keyboardShuttle) {
        ShuttleController *shuttle = m_in.keyboardShuttle;
        const qreal bottom = area.bottom() - 6;
        if (shuttle->playbackDirection() != 0) {
            const QFont speedFont = monoFont(font(), 10, QFont::Medium);
            const int index = std::clamp(shuttle->speedIndex(), 0, static_cast<int>(ShuttleController::speedLevels.size()) - 1);
            const QString speed = QString::number(static_cast<int>(ShuttleController::speedLevels[static_cast<size_t>(index)])) + QStringLiteral("x");
            const QFontMetricsF fm(speedFont);
            const qreal w = 12 + 3 + fm.horizontalAdvance(speed) + 12;
            const qreal h = fm.height() + 4;
            const QRectF badge(area.left() + 6, bottom - h, w, h);
            fillRounded(p, badge, 4, QColor(0, 0, 0, 179));
            const QColor fg(255, 255, 255, 230);
            // Two filled triangles pointing the way of play.
            const bool reverse = shuttle->playbackDirection() < 0;
            const qreal cy = badge.center().y();
            const qreal sx = badge.left() + 6;
            p.setPen(Qt::NoPen);
            p.setBrush(fg);
            for (int k = 0; k < 2; ++k) {
                const qreal ox = sx + k * 5;
                QPolygonF tri;
                if (reverse)
                    tri << QPointF(ox + 5, cy - 3.5) << QPointF(ox + 5, cy + 3.5) << QPointF(ox, cy);
                else
                    tri << QPointF(ox, cy - 3.5) << QPointF(ox, cy + 3.5) << QPointF(ox + 5, cy);
                p.drawPolygon(tri);
            }
            p.setFont(speedFont);
            p.setPen(fg);
            p.drawText(QRectF(sx + 15, badge.top(), fm.horizontalAdvance(speed) + 2, h), Qt::AlignLeft | Qt::AlignVCenter, speed);
        }
        timeChip(formatScrubTime(shuttle->currentTime()), area.right() - 6, bottom, std::nullopt);
    }
}

void ClipThumbnailView::paintProgress(QPainter &p, const QRectF &area)
{
    if (!m_isHovering && !m_in.keyboardPlayer)
        return;
    const qreal w = area.width();
    qreal bottom = area.bottom();
    const QColor blue(0, 122, 255);
    double fraction = -1;
    if (m_isHovering) {
        fraction = std::clamp(m_hoverProgress, 0.0, 1.0);
    } else if (m_in.keyboardShuttle) {
        const double d = finiteDuration(m_in.clip.duration);
        const double t = m_in.keyboardShuttle->currentTime();
        fraction = d > 0 && std::isfinite(t) ? std::clamp(t / d, 0.0, 1.0) : 0.0;
    }
    if (fraction >= 0) {
        p.fillRect(QRectF(area.left(), bottom - 3, w * fraction, 3), blue);
        bottom -= 3 + 1;
    }
    const bool showPeaks = !m_settings || m_settings->showAudioPeaks();
    if (showPeaks && m_audioPeaks && !m_audioPeaks->isEmpty()) {
        QColor orange(249, 115, 22);
        orange.setAlphaF(0.9f);
        for (const AudioPeak &peak : std::as_const(*m_audioPeaks)) {
            const QRectF bar = AudioPeakMarkers::barRect(peak, w, 4).translated(area.left(), bottom - 4);
            fillRounded(p, bar, 2, orange);
        }
    }
}

void ClipThumbnailView::paintInfo(QPainter &p)
{
    const QRectF poster = posterRect();
    const InfoRows rows = infoRows(poster);
    const QColor primary = palette().color(QPalette::Text);
    const QColor secondary = withAlpha(primary, 0.55);
    const Clip &c = m_in.clip;

    // Name row: the name (or the rename field over it), the numbering-reset
    // button, then the duration at the trailing edge.
    const QFont nameFont = sizedFont(font(), 13, QFont::DemiBold);
    const QFont durationFont = monoFont(font(), 11, QFont::Medium);
    p.setFont(durationFont);
    p.setPen(secondary);
    p.drawText(rows.nameRow, Qt::AlignRight | Qt::AlignVCenter, durationLabel(c));
    const QRectF name = nameRect();
    if (!m_isRenaming) {
        p.setFont(nameFont);
        p.setPen(primary);
        const QString elided = QFontMetricsF(nameFont).elidedText(c.filename, Qt::ElideMiddle, name.width() + 1);
        p.drawText(QRectF(name.left(), name.top(), name.width() + 2, name.height()), Qt::AlignLeft | Qt::AlignVCenter, elided);
    }
    if (m_in.canReviewNumberingReset)
        CardSymbols::drawUTurn(p, numberingResetButtonRect(), withAlpha(accent(), 0.85));

    // Technical line.
    const QString tech = technicalLine(c);
    if (!tech.isEmpty()) {
        const QFont techFont = sizedFont(font(), 10);
        p.setFont(techFont);
        p.setPen(withAlpha(primary, 0.55 * 0.7));
        p.drawText(rows.techRow, Qt::AlignLeft | Qt::AlignVCenter, QFontMetricsF(techFont).elidedText(tech, Qt::ElideRight, rows.techRow.width()));
    }

    // Stars.
    const QFont starFont = sizedFont(font(), 16, QFont::Medium);
    const QColor gray = withAlpha(QColor(142, 142, 147), 0.25);
    const QColor yellow(255, 204, 0);
    for (int n = 1; n <= 5; ++n) {
        QColor color = gray;
        if (m_hoveredStar > 0)
            color = n <= m_hoveredStar ? accent() : gray;
        else if (c.rating > 0 && n <= c.rating)
            color = yellow;
        const QRectF r = starRect(n);
        p.save();
        if (n == m_hoveredStar) {
            p.translate(r.center());
            p.scale(1.2, 1.2);
            p.translate(-r.center());
        }
        p.setFont(starFont);
        p.setPen(color);
        p.drawText(r.adjusted(-2, -2, 2, 2), Qt::AlignCenter, QStringLiteral("★"));
        p.restore();
    }

    // Tag chips (sorted) right-aligned before the tag icon; chips that do not
    // fit beside the stars give way to a "+N" chip.
    const QRectF icon = tagIconRect();
    CardSymbols::drawTag(p, icon, secondary);
    QStringList tags = c.tags;
    std::sort(tags.begin(), tags.end());
    if (tags.isEmpty())
        return;
    const QFont chipFont = sizedFont(font(), 11, QFont::DemiBold);
    const QFontMetricsF fm(chipFont);
    const qreal left = starRowRect().right() + 6;
    const qreal chipHeight = fm.height() + 6;
    QList<qreal> widths;
    for (const QString &t : std::as_const(tags))
        widths << fm.horizontalAdvance(t) + 16;
    qreal available = icon.left() - 5 - left;
    int shown = static_cast<int>(tags.size());
    auto total = [&](int count, bool withMore) {
        qreal sum = 0;
        for (int i = 0; i < count; ++i)
            sum += widths.at(i) + 5;
        if (withMore)
            sum += fm.horizontalAdvance(QStringLiteral("+") + QString::number(tags.size() - count)) + 16 + 5;
        return sum - 5;
    };
    while (shown > 0 && total(shown, shown < tags.size()) > available)
        --shown;
    qreal x = icon.left() - 5 - total(shown, shown < tags.size());
    const qreal y = rows.ratingRow.center().y() - chipHeight / 2;
    p.setFont(chipFont);
    for (int i = 0; i < shown; ++i) {
        const QRectF chip(x, y, widths.at(i), chipHeight);
        fillRounded(p, chip, chipHeight / 2, tagColor(tags.at(i)));
        p.setPen(Qt::white);
        p.drawText(chip, Qt::AlignCenter, tags.at(i));
        x = chip.right() + 5;
    }
    if (shown < tags.size()) {
        const QString more = QStringLiteral("+") + QString::number(tags.size() - shown);
        const QRectF chip(x, y, fm.horizontalAdvance(more) + 16, chipHeight);
        fillRounded(p, chip, chipHeight / 2, withAlpha(primary, 0.3));
        p.setPen(Qt::white);
        p.drawText(chip, Qt::AlignCenter, more);
    }
}

RenameTextField *ClipThumbnailView::renameField() const
{
    return m_renameField.data();
}
