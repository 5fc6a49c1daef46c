#include "grid/ClipThumbnailView.h"

#include "app/AppSettings.h"
#include "app/HoverScrub.h"
#include "app/ThemeColor.h"
#include "app/widgets/GridPainting.h"
#include "app/widgets/RenameTextField.h"
#include "app/widgets/TagPickerPopup.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/CardMedia.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"

#include <QFrame>
#include <QTimer>

#include <algorithm>
#include <cmath>

using namespace GridPainting;
using WidgetStyle::sizedFont;

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
    installAccessibility();
    // The kept drawing also shows settings that are no input: the accent
    // colour (ring, hovered stars, buttons), the audio peaks and the scrub
    // modifiers' hints. When one of them changes, the drawing is made anew.
    if (m_settings) {
        connect(m_settings, &AppSettings::themeColorRawChanged, this, &ClipThumbnailView::invalidate);
        connect(m_settings, &AppSettings::showAudioPeaksChanged, this, &ClipThumbnailView::invalidate);
        connect(m_settings, &AppSettings::scrubModifiersChanged, this, &ClipThumbnailView::invalidate);
    }
}

ClipThumbnailView::~ClipThumbnailView()
{
    // The popup is a window of its own; closing it here would call back into
    // a half-destroyed card, so its signals are cut first.
    if (m_popup) {
        m_popup->disconnect(this);
        delete m_popup;
    }
    if (m_isHovering && m_media)
        m_media->stopSnippets();
    // Nobody will see the poster: a decode not yet started is not made.
    if (m_posterTicket && m_media)
        m_media->withdrawPoster(m_posterTicket);
    returnCardImage(std::move(m_cache));
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
    return a == b && a.url == b.url && a.duration == b.duration && a.width == b.width && a.height == b.height && a.codec == b.codec
           && a.frameRate == b.frameRate && a.fileSize == b.fileSize && a.isMissing == b.isMissing;
}
bool sameForDisplay(const ClipThumbnailView::Inputs &a, const ClipThumbnailView::Inputs &b)
{
    return sameClipForDisplay(a.clip, b.clip) && a.tileAspectRatio == b.tileAspectRatio && a.availableTags == b.availableTags
           && a.audioEnabled == b.audioEnabled && a.isSelected == b.isSelected && a.isKeyboardCurrent == b.isKeyboardCurrent
           && a.selectedTagsForPicker == b.selectedTagsForPicker && a.mixedTagsForPicker == b.mixedTagsForPicker
           && a.keyboardPlayer == b.keyboardPlayer && a.keyboardShuttle == b.keyboardShuttle && a.canSetMarkerFlag == b.canSetMarkerFlag
           && a.canReviewNumberingReset == b.canReviewNumberingReset && a.showTagPickerRequested == b.showTagPickerRequested
           && a.scrubSize == b.scrubSize && a.cardRadius == b.cardRadius;
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
    announceAccessibilityChanges(old, first);
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

ClipThumbnailView::InfoRows ClipThumbnailView::infoRows(const QRectF &poster)
{
    InfoRows rows;
    rows.content = QRectF(poster.left() + infoPaddingX, poster.bottom() + infoPaddingY, poster.width() - 2 * infoPaddingX,
                          ClipThumbnailView::infoHeight - 2 * infoPaddingY);
    rows.nameRow = QRectF(rows.content.left(), rows.content.top(), rows.content.width(), nameRowHeight);
    rows.techRow = QRectF(rows.content.left(), rows.nameRow.bottom() + rowGap, rows.content.width(), techRowHeight);
    rows.ratingRow = QRectF(rows.content.left(), rows.techRow.bottom() + rowGap, rows.content.width(), ratingRowHeight);
    return rows;
}

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

QRectF ClipThumbnailView::nameRect() const
{
    const QRectF row = infoRows(posterRect()).nameRow;
    const QFontMetricsF dm(monoFont(font(), 11, QFont::Medium));
    qreal right = row.right() - dm.horizontalAdvance(m_in.clip.durationText()) - 8;
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
    const int w = std::max(static_cast<int>(std::lround(m_in.scrubSize.width())),
                           shown.width() > m_in.scrubSize.width() ? roundUp(shown.width()) : 0);
    const int h = std::max(static_cast<int>(std::lround(m_in.scrubSize.height())),
                           shown.height() > m_in.scrubSize.height() ? roundUp(shown.height()) : 0);
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

void ClipThumbnailView::setPosterWanted(bool wanted)
{
    if (wanted == m_posterWanted)
        return;
    m_posterWanted = wanted;
    if (!wanted) {
        withdrawPoster();
        return;
    }
    if (m_posterDeferred && m_hasInputs && width() > 0) {
        m_posterDeferred = false;
        // With a poster shown already, the request only brings a larger one.
        requestPoster(!m_posterImage.isNull());
    }
}

void ClipThumbnailView::withdrawPoster()
{
    if (!m_posterTicket || !m_media || !m_media->withdrawPoster(m_posterTicket))
        return;
    m_posterTicket = 0;
    m_posterDeferred = true;
    m_posterRequestedSize = QSize();
}

void ClipThumbnailView::requestPoster(bool keepCurrent)
{
    if (!m_media || m_in.clip.isMissing)
        return;
    // A request still waiting would only be answered to be dropped.
    if (m_posterTicket && m_media->withdrawPoster(m_posterTicket))
        m_posterTicket = 0;
    if (!m_posterWanted) {
        m_posterDeferred = true;
        m_posterRequestedSize = QSize();
        return;
    }
    m_posterDeferred = false;
    const QSize size = posterRequestSize();
    m_posterRequestedSize = size;
    const quint64 generation = m_loadGeneration;
    const QString identity = m_loadedIdentity;
    const QUrl url = m_in.clip.url;
    const double time = posterTime();
    const quint64 serial = ++m_posterSerial;
    QPointer<ClipThumbnailView> self(this);
    m_posterTicket = m_media->requestPoster(
        url, time, size, this, [self, generation, identity, size, keepCurrent, serial](const QImage &image) {
            if (self && self->m_posterSerial == serial)
                self->m_posterTicket = 0;
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
    // The poster at the size asked for, else the one made ahead of time (at the scrub size).
    QImage cached = m_media->cachedPoster(m_in.clip.url, time, posterRequestSize());
    if (cached.isNull())
        cached = m_media->cachedPoster(m_in.clip.url, time, m_in.scrubSize.toSize());
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

RenameTextField *ClipThumbnailView::renameField() const
{
    return m_renameField.data();
}
