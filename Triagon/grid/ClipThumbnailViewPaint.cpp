// The card's drawing: it paints itself into an image of its own, which it
// keeps until something it shows changes.
#include "grid/ClipThumbnailView.h"

#include "app/AppSettings.h"
#include "app/HoverScrub.h"
#include "app/SymbolCatalog.h"
#include "app/TagColor.h"
#include "app/widgets/GridPainting.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/ClipSection.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/AudioPeakMarkers.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace GridPainting;
using WidgetStyle::sizedFont;

// ---- painting --------------------------------------------------------------

void ClipThumbnailView::paintEvent(QPaintEvent *)
{
    const qreal dpr = devicePixelRatioF();
    const QSize pixels = (QSizeF(size()) * dpr).toSize();
    if (m_cacheDirty || m_cache.size() != pixels || m_cache.devicePixelRatio() != dpr) {
        if (m_cache.size() != pixels) {
            returnCardImage(std::exchange(m_cache, QImage()));
            m_cache = takeCardImage(pixels);
        }
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
    QImage background;                    // opaque, the whole widget
    QImage topLeftCorner, topRightCorner; // transparent inside the rounded body
    QImage ring;                          // transparent but for the ring
    QRect topLeftRect, topRightRect;      // in widget coordinates
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
    const ChromeKey key{size(),
                        m_in.cardRadius,
                        poster.height(),
                        palette().color(QPalette::Window).rgb(),
                        palette().color(QPalette::Base).rgb(),
                        accent().rgb(),
                        dpr};
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
        // On a dark capsule of its own: the cached poster behind it may be
        // as bright as the text.
        const QColor ink = QColor(255, 255, 255, 235);
        const QFont f = sizedFont(font(), 12);
        const QString text = QStringLiteral("File offline");
        const QFontMetricsF fm(f);
        const qreal w = fm.horizontalAdvance(text) + 22;
        const QPointF origin(area.center().x() - w / 2, area.center().y() - 8);
        fillRounded(p, QRectF(origin.x() - 10, origin.y() - 5, w + 20, 26), 13, QColor(0, 0, 0, 166));
        SymbolCatalog::draw(p, QRectF(origin.x(), origin.y(), 16, 16), u"externaldrive.badge.exclamationmark/card", ink);
        p.setFont(f);
        p.setPen(ink);
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
        const qreal w = QFontMetricsF(number).horizontalAdvance(digits) + 2 + QFontMetricsF(star).horizontalAdvance(QStringLiteral("★"))
                        + 16;
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
        SymbolCatalog::draw(p, QRectF(badge.left() + 8, badge.center().y() - 5, 9, 10), u"hand.raised.fill/card", fg);
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
    SymbolCatalog::draw(p, expand, u"arrow.up.left.and.arrow.down.right", QColor(255, 255, 255, 204));
    const QRectF remove = removeButtonRect().adjusted(6, 6, -6, -6);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawEllipse(remove.adjusted(-1, -0.5, 1, 1.5));
    SymbolCatalog::draw(p, remove, u"xmark.circle.fill/card", QColor(255, 255, 255, 204));
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
            const QString speed = QString::number(static_cast<int>(ShuttleController::speedLevels[static_cast<size_t>(index)]))
                                  + QStringLiteral("x");
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
    p.drawText(rows.nameRow, Qt::AlignRight | Qt::AlignVCenter, c.durationText());
    const QRectF name = nameRect();
    if (!m_isRenaming) {
        p.setFont(nameFont);
        p.setPen(primary);
        const QString elided = QFontMetricsF(nameFont).elidedText(c.filename, Qt::ElideMiddle, name.width() + 1);
        p.drawText(QRectF(name.left(), name.top(), name.width() + 2, name.height()), Qt::AlignLeft | Qt::AlignVCenter, elided);
    }
    if (m_in.canReviewNumberingReset)
        SymbolCatalog::draw(p, numberingResetButtonRect(), u"arrow.uturn.down/card", withAlpha(accent(), 0.85));

    // Technical line.
    const QString tech = technicalLine(c);
    if (!tech.isEmpty()) {
        const QFont techFont = sizedFont(font(), 10);
        p.setFont(techFont);
        // The secondary colour: any fainter falls below a readable contrast
        // on the light card.
        p.setPen(secondary);
        p.drawText(rows.techRow, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(techFont).elidedText(tech, Qt::ElideRight, rows.techRow.width()));
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
    SymbolCatalog::draw(p, icon, u"tag", secondary);
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
