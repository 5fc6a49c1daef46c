#include "media/ui/PlayerView.h"

#include "app/HoverScrub.h"
#include "app/SymbolCatalog.h"
#include "app/TagColor.h"
#include "app/widgets/GridPainting.h"
#include "app/widgets/RenameTextField.h"
#include "app/widgets/Reveal.h"
#include "app/widgets/TagPickerPopup.h"
#include "app/widgets/TagPickerView.h"
#include "app/widgets/WidgetStyle.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/PlayerTimeline.h"
#include "media/ui/ScrubPlayerView.h"
#include "media/ui/TrackpadScrubOverlay.h"

#include <QEvent>
#include <QFile>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

using namespace GridPainting;
using WidgetStyle::sizedFont;

namespace {

// The icon and text of one header fact.
QWidget *fact(const QIcon &icon, QLabel *text, QWidget *parent)
{
    auto *box = new QWidget(parent);
    auto *row = new QHBoxLayout(box);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(3);
    auto *picture = new QLabel(box);
    picture->setPixmap(icon.pixmap(QSize(10, 10)));
    row->addWidget(picture);
    row->addWidget(text);
    return box;
}

} // namespace

QString PlayerView::cssColor(const QColor &c)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

PlayerView::PlayerView(const Clip &clip, const QStringList &availableTags, Actions actions, const QColor &accent, QWidget *parent)
    : QWidget(parent), m_clip(clip), m_availableTags(availableTags), m_actions(std::move(actions)), m_accent(accent)
{
    setObjectName(QStringLiteral("playerView"));
    setAccessibleName(QStringLiteral("Player"));
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_MacShowFocusRect, false);
    m_shuttle = new ShuttleController(this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(divider(Qt::Horizontal));
    m_video = new ScrubPlayerView(this);
    m_video->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    m_video->setAccessibleName(QStringLiteral("Video"));
    m_trackpad = new TrackpadScrubOverlay(m_video, [this](qreal delta) { scrubTrackpad(delta); });
    column->addWidget(m_video, 1);
    column->addWidget(buildTimeline());
    column->addWidget(divider(Qt::Horizontal));
    column->addWidget(buildControls());

    connect(m_shuttle, &ShuttleController::currentTimeChanged, this, &PlayerView::refreshTime);
    connect(m_shuttle, &ShuttleController::isPlayingChanged, this, &PlayerView::refreshShuttleState);
    connect(m_shuttle, &ShuttleController::playbackDirectionChanged, this, &PlayerView::refreshShuttleState);
    connect(m_shuttle, &ShuttleController::speedIndexChanged, this, &PlayerView::refreshShuttleState);

    applyPaletteColors();
    refreshStars();
    refreshTags();
    refreshTime();
}

PlayerView::~PlayerView()
{
    if (m_popup) {
        m_popup->disconnect(this);
        delete m_popup;
        m_popup = nullptr;
    }
    closeClip();
}

// ---- inputs ----------------------------------------------------------------

void PlayerView::setClip(const Clip &clip)
{
    m_clip = clip;
    refreshHeader();
    refreshStars();
    refreshTags();
    refreshTime();
    if (m_picker)
        m_picker->setTags(m_availableTags, m_clip.tags, {});
}

void PlayerView::setAvailableTags(const QStringList &tags)
{
    if (tags == m_availableTags)
        return;
    m_availableTags = tags;
    if (m_picker)
        m_picker->setTags(m_availableTags, m_clip.tags, {});
}

void PlayerView::setAccent(const QColor &accent)
{
    m_accent = accent;
    m_timeline->setAccent(accent);
    refreshStars();
    refreshShuttleState();
}

QStringList PlayerView::facts() const
{
    QStringList out;
    out << m_clip.durationText();
    if (m_clip.width > 0 && m_clip.height > 0)
        out << QString::number(m_clip.width) + QStringLiteral("×") + QString::number(m_clip.height);
    if (!m_clip.codec.isEmpty())
        out << m_clip.codec;
    if (const QString rate = m_clip.frameRateText(); !rate.isEmpty())
        out << rate + QStringLiteral("fps");
    if (const QString size = m_clip.fileSizeText(); !size.isEmpty())
        out << size;
    return out;
}

void PlayerView::refreshHeader()
{
    m_title->setText(m_clip.filename);
    // The facts are few and change only with a relink: rebuilt each time.
    while (QLayoutItem *item = m_factsLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    m_factTexts.clear();
    const QStringList texts = facts();
    QList<QIcon> icons{SymbolCatalog::icon(QStringLiteral("clock"))};
    if (m_clip.width > 0 && m_clip.height > 0)
        icons << SymbolCatalog::icon(QStringLiteral("rectangle"));
    if (!m_clip.codec.isEmpty())
        icons << SymbolCatalog::icon(QStringLiteral("film"));
    if (!m_clip.frameRateText().isEmpty())
        icons << SymbolCatalog::icon(QStringLiteral("speedometer"));
    if (!m_clip.fileSizeText().isEmpty())
        icons << SymbolCatalog::icon(QStringLiteral("doc"));
    const QFont factFont = sizedFont(font(), 11);
    const QString secondary = secondaryStyle();
    QWidget *host = m_factsLayout->parentWidget();
    for (qsizetype i = 0; i < texts.size(); ++i) {
        auto *text = new QLabel(texts.at(i), host);
        text->setFont(factFont);
        text->setStyleSheet(secondary);
        m_factsLayout->addWidget(fact(icons.value(i), text, host));
        m_factTexts.append(text);
    }
    m_factsLayout->addStretch(1);
}

QString PlayerView::secondaryStyle() const
{
    return QStringLiteral("color: %1;").arg(cssColor(withAlpha(palette().color(QPalette::WindowText), 0.55)));
}

void PlayerView::applyPaletteColors()
{
    // The secondary texts carry colours of the palette in style sheets: set
    // again whenever the palette changes (a switch of the appearance).
    m_timeLabel->setStyleSheet(secondaryStyle());
    m_durationLabel->setStyleSheet(secondaryStyle());
    refreshHeader();
    refreshShuttleState();
}

void PlayerView::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        applyPaletteColors();
}

QColor PlayerView::starColor(int star) const
{
    const QColor gray = withAlpha(QColor(142, 142, 147), 0.25);
    if (m_hoveredStar > 0)
        return star <= m_hoveredStar ? m_accent : gray;
    return m_clip.rating > 0 && star <= m_clip.rating ? QColor(255, 204, 0) : gray;
}

void PlayerView::refreshStars()
{
    for (int n = 1; n <= m_stars.size(); ++n) {
        QToolButton *star = m_stars.at(n - 1);
        // The star under the pointer grows a little.
        const int size = n == m_hoveredStar ? 16 : 14;
        star->setStyleSheet(
            QStringLiteral("QToolButton { border: none; background: transparent; color: %1; font-size: %2px; font-weight: 500; }")
                .arg(cssColor(starColor(n)))
                .arg(size));
    }
    m_ratingRow->setAccessibleDescription(m_clip.rating > 0 ? QString::number(m_clip.rating) + QStringLiteral(" of 5 stars")
                                                            : QStringLiteral("unrated"));
}

void PlayerView::refreshTags()
{
    for (QLabel *chip : std::as_const(m_chips)) {
        m_tagsLayout->removeWidget(chip);
        delete chip;
    }
    m_chips.clear();
    QStringList tags = m_clip.tags;
    std::sort(tags.begin(), tags.end());
    const QFont chipFont = sizedFont(font(), 10, QFont::Medium);
    for (const QString &tag : std::as_const(tags)) {
        auto *chip = new QLabel(tag, m_tagsRow);
        chip->setTextFormat(Qt::PlainText);
        chip->setFont(chipFont);
        chip->setStyleSheet(
            QStringLiteral("QLabel { color: white; background: %1; border-radius: 8px; padding: 3px 8px; }").arg(tagColor(tag).name()));
        m_tagsLayout->insertWidget(m_tagsLayout->count() - 1, chip);
        m_chips.append(chip);
    }
    const bool none = m_clip.tags.isEmpty();
    m_tagButton->setText(none ? QStringLiteral("Tag") : QString());
    m_tagButton->setToolButtonStyle(none ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    m_tagButton->setAccessibleName(none ? QStringLiteral("Add tag") : QStringLiteral("Edit tags"));
    m_tagButton->setToolTip(m_tagButton->accessibleName() + QStringLiteral(" (T)"));
}

QStringList PlayerView::tagChipTexts() const
{
    QStringList out;
    for (const QLabel *chip : m_chips)
        out << chip->text();
    return out;
}

QToolButton *PlayerView::starButton(int star) const
{
    return star >= 1 && star <= m_stars.size() ? m_stars.at(star - 1) : nullptr;
}

void PlayerView::setHoveredStar(int star)
{
    if (star == m_hoveredStar)
        return;
    m_hoveredStar = star;
    refreshStars();
}

QString PlayerView::shuttleStateText() const
{
    const int direction = m_shuttle->playbackDirection();
    if (direction == 0)
        return QStringLiteral("Paused");
    const QString speed = QString::number(static_cast<int>(m_shuttle->currentSpeed())) + QStringLiteral("x");
    return (direction < 0 ? QStringLiteral("◀ ") : QStringLiteral("▶ ")) + speed;
}

void PlayerView::refreshShuttleState()
{
    const bool playing = m_shuttle->isPlaying();
    m_playButton->setIcon(playing ? SymbolCatalog::icon(QStringLiteral("pause.fill"), QStringLiteral("media-playback-pause"))
                                  : SymbolCatalog::icon(QStringLiteral("play.fill"), QStringLiteral("media-playback-start")));
    m_playButton->setAccessibleName(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_stateLabel->setText(shuttleStateText());
    if (m_shuttle->playbackDirection() == 0) {
        // "Paused" in the secondary colour: any fainter is unreadable on the
        // light panel.
        m_stateLabel->setFont(sizedFont(font(), 11));
        m_stateLabel->setStyleSheet(secondaryStyle());
    } else {
        m_stateLabel->setFont(monoFont(font(), 11, QFont::Medium));
        m_stateLabel->setStyleSheet(QStringLiteral("color: %1;").arg(cssColor(m_accent)));
    }
}

QString PlayerView::currentTimeText() const
{
    return formatScrubTime(m_shuttle->currentTime());
}

QString PlayerView::durationTimeText() const
{
    return formatScrubTime(m_clip.duration);
}

void PlayerView::refreshTime()
{
    const double duration = finiteDuration(m_clip.duration);
    const double t = m_shuttle->currentTime();
    m_timeline->setFraction(duration > 0 && std::isfinite(t) ? t / duration : 0.0);
    m_timeLabel->setText(currentTimeText());
    m_durationLabel->setText(durationTimeText());
    m_timeline->setValueText(currentTimeText() + QStringLiteral(" of ") + durationTimeText());
}

// ---- the clip's file and playback ----------------------------------------

void PlayerView::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!m_opened)
        openClip();
}

void PlayerView::openClip()
{
    if (m_opened)
        return;
    m_opened = true;
    const QString path = m_clip.url.toLocalFile();
    if (path.isEmpty() || !QFile::exists(path)) {
        // Offline, moved or deleted since: back to the grid, silently. A speed
        // carried to this clip goes with it, so that it never starts another.
        // Later, so that the grid never deletes the view from within its own show.
        ShuttleController::carriedSpeedIndex.reset();
        QTimer::singleShot(0, this, [this] {
            if (m_actions.onClose)
                m_actions.onClose();
        });
        return;
    }
    m_player = std::make_shared<VideoPlayer>(path, VideoPlayer::Options::fullPlayer());
    m_player->pause();
    m_video->setPlayer(m_player);
    m_shuttle->attach(m_player, m_clip.duration, m_clip.frameRate);
    m_shuttle->resumeCarriedSpeed();
    setFocus(Qt::OtherFocusReason);
}

void PlayerView::closeClip()
{
    m_shuttle->detach();
    if (m_player) {
        m_player->pause();
        m_video->setPlayer(nullptr);
        m_player->close();
        m_player.reset();
    }
}

void PlayerView::togglePlay()
{
    if (m_shuttle->isPlaying())
        m_shuttle->shuttleStop();
    else
        m_shuttle->shuttleForward();
}

void PlayerView::stepFrames(int count)
{
    VideoPlayer *player = m_shuttle->player();
    if (!player)
        return;
    m_shuttle->shuttleStop();
    player->stepByFrames(count);
}

void PlayerView::seekExactly(double seconds)
{
    VideoPlayer *player = m_shuttle->player();
    if (!player)
        return;
    const double t = clampedTime(seconds, m_shuttle->duration());
    m_shuttle->setCurrentTime(t);
    player->seek(t, {}, 0, 0);
}

void PlayerView::jump(double seconds)
{
    VideoPlayer *player = m_shuttle->player();
    if (!player)
        return;
    seekExactly(player->currentTime() + seconds);
}

void PlayerView::dragTimeline(double fraction)
{
    m_shuttle->shuttleStop();
    if (!m_shuttle->player())
        return;
    const double f = std::isfinite(fraction) ? std::clamp(fraction, 0.0, 1.0) : 0.0;
    seekExactly(f * finiteDuration(m_clip.duration));
}

void PlayerView::scrubTrackpad(qreal delta)
{
    m_shuttle->shuttleStop();
    VideoPlayer *player = m_shuttle->player();
    if (!player || !std::isfinite(delta))
        return;
    seekExactly(player->currentTime() + delta / 200.0);
}

// ---- size and look ---------------------------------------------------------

int PlayerView::heightForWidth(int width) const
{
    // Everything but the video keeps its height; the video is 16:9.
    const int rows = layout()->sizeHint().height() - m_video->sizeHint().height();
    return rows + static_cast<int>(std::lround(std::max(width, 0) * 9.0 / 16.0));
}

QSize PlayerView::sizeHint() const
{
    return QSize(1000, heightForWidth(1000));
}

void PlayerView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(rect()), 12, 12);
    p.fillPath(panel, palette().color(QPalette::Window));
}
