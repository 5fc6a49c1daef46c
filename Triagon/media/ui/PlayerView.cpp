#include "media/ui/PlayerView.h"

#include "app/TagColor.h"
#include "grid/HoverScrub.h"
#include "grid/RenameTextField.h"
#include "grid/Reveal.h"
#include "grid/TagPickerView.h"
#include "media/ShuttleController.h"
#include "media/VideoPlayer.h"
#include "media/ui/PlayerIcons.h"
#include "media/ui/PlayerTimeline.h"
#include "media/ui/ScrubPlayerView.h"
#include "media/ui/TrackpadScrubOverlay.h"

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

namespace {

QFont pixelFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont f = base;
    f.setPixelSize(pixels);
    f.setWeight(weight);
    return f;
}

QFont monoFont(const QFont &base, int pixels, QFont::Weight weight = QFont::Normal)
{
    QFont f = pixelFont(base, pixels, weight);
    f.setFamilies({QStringLiteral("DejaVu Sans Mono"), QStringLiteral("Monospace")});
    f.setStyleHint(QFont::Monospace);
    return f;
}

QString rgba(const QColor &c)
{
    return QStringLiteral("rgba(%1, %2, %3, %4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha());
}

QColor withAlpha(QColor c, qreal alpha)
{
    c.setAlphaF(static_cast<float>(alpha));
    return c;
}

// Text painted without an accessible name of its own: the key hint is
// decoration, and the controls it names carry their keys as tooltips.
class HintText : public QWidget
{
public:
    HintText(const QString &text, QWidget *parent) : QWidget(parent), m_text(text)
    {
        setFont(pixelFont(font(), 10));
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }
    QSize sizeHint() const override { return {fontMetrics().horizontalAdvance(m_text) + 2, fontMetrics().height()}; }
    QSize minimumSizeHint() const override { return {0, fontMetrics().height()}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setPen(withAlpha(palette().color(QPalette::WindowText), 0.4));
        p.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, fontMetrics().elidedText(m_text, Qt::ElideLeft, width()));
    }

private:
    QString m_text;
};

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

    refreshHeader();
    refreshStars();
    refreshTags();
    refreshShuttleState();
    refreshTime();
}

PlayerView::~PlayerView()
{
    if (m_popup) {
        m_popup->removeEventFilter(this);
        delete m_popup;
        m_popup = nullptr;
    }
    closeClip();
}

// ---- building --------------------------------------------------------------

QFrame *PlayerView::divider(Qt::Orientation orientation)
{
    auto *line = new QFrame(this);
    line->setFrameShape(orientation == Qt::Horizontal ? QFrame::HLine : QFrame::VLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    if (orientation == Qt::Vertical)
        line->setFixedHeight(18);
    return line;
}

QToolButton *PlayerView::iconButton(const QIcon &icon, const QString &label, int iconSize)
{
    auto *button = new QToolButton(this);
    button->setIcon(icon);
    button->setIconSize(QSize(iconSize, iconSize));
    button->setAutoRaise(true);
    // The panel keeps the keyboard focus; buttons are for the pointer.
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(label);
    button->setAccessibleName(label);
    return button;
}

QWidget *PlayerView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 14, 20, 14);
    row->setSpacing(12);

    m_titleColumn = new QVBoxLayout;
    m_titleColumn->setSpacing(3);
    m_title = new QLabel(header);
    m_title->setFont(pixelFont(font(), 15, QFont::Bold));
    m_title->setTextFormat(Qt::PlainText);
    m_title->setMinimumWidth(40);
    m_title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_title->setToolTip(QStringLiteral("Double-click to rename"));
    m_title->installEventFilter(this);
    m_titleColumn->addWidget(m_title);
    auto *facts = new QWidget(header);
    m_factsLayout = new QHBoxLayout(facts);
    m_factsLayout->setContentsMargins(0, 0, 0, 0);
    m_factsLayout->setSpacing(14);
    m_titleColumn->addWidget(facts);
    row->addLayout(m_titleColumn, 1);

    const QString circle = QStringLiteral("QToolButton { border: none; border-radius: 16px; background: rgba(128, 128, 128, 26); }"
                                          "QToolButton:hover { background: rgba(128, 128, 128, 60); }");
    QToolButton *reveal = iconButton(PlayerIcons::folder(), QStringLiteral("Show in File Manager"), 14);
    reveal->setFixedSize(32, 32);
    reveal->setStyleSheet(circle);
    connect(reveal, &QToolButton::clicked, this, [this] { revealInFileManager(m_clip.url); });
    row->addWidget(reveal);
    QToolButton *close = iconButton(PlayerIcons::close(), QStringLiteral("Close (Esc)"), 12);
    close->setAccessibleName(QStringLiteral("Close"));
    close->setFixedSize(32, 32);
    close->setStyleSheet(circle);
    connect(close, &QToolButton::clicked, this, [this] {
        if (m_actions.onClose)
            m_actions.onClose();
    });
    row->addWidget(close);
    return header;
}

QWidget *PlayerView::buildTimeline()
{
    auto *block = new QWidget(this);
    auto *column = new QVBoxLayout(block);
    column->setContentsMargins(20, 0, 20, 2);
    column->setSpacing(4);
    m_timeline = new PlayerTimeline(block);
    m_timeline->setAccent(m_accent);
    connect(m_timeline, &PlayerTimeline::dragged, this, &PlayerView::dragTimeline);
    column->addWidget(m_timeline);

    auto *row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    const QFont mono = monoFont(font(), 11);
    m_timeLabel = new QLabel(block);
    m_timeLabel->setFont(mono);
    m_timeLabel->setAccessibleName(QStringLiteral("Current time"));
    m_stateLabel = new QLabel(block);
    m_stateLabel->setAlignment(Qt::AlignCenter);
    m_durationLabel = new QLabel(block);
    m_durationLabel->setFont(mono);
    m_durationLabel->setAccessibleName(QStringLiteral("Duration"));
    const QString secondary = QStringLiteral("color: %1;").arg(rgba(withAlpha(palette().color(QPalette::WindowText), 0.55)));
    m_timeLabel->setStyleSheet(secondary);
    m_durationLabel->setStyleSheet(secondary);
    row->addWidget(m_timeLabel);
    row->addStretch(1);
    row->addWidget(m_stateLabel);
    row->addStretch(1);
    row->addWidget(m_durationLabel);
    column->addLayout(row);
    return block;
}

QWidget *PlayerView::buildControls()
{
    auto *controls = new QWidget(this);
    auto *row = new QHBoxLayout(controls);
    row->setContentsMargins(20, 12, 20, 12);
    row->setSpacing(14);

    m_playButton = iconButton(PlayerIcons::play(), QStringLiteral("Play"), 14);
    m_playButton->setToolTip(QStringLiteral("Space"));
    m_playButton->setFixedSize(28, 28);
    connect(m_playButton, &QToolButton::clicked, this, &PlayerView::togglePlay);
    row->addWidget(m_playButton);
    QToolButton *back = iconButton(PlayerIcons::stepBackward(), QStringLiteral("Step back one frame"), 12);
    back->setToolTip(QStringLiteral(", key"));
    connect(back, &QToolButton::clicked, this, [this] { stepFrames(-1); });
    row->addWidget(back);
    QToolButton *forward = iconButton(PlayerIcons::stepForward(), QStringLiteral("Step forward one frame"), 12);
    forward->setToolTip(QStringLiteral(". key"));
    connect(forward, &QToolButton::clicked, this, [this] { stepFrames(1); });
    row->addWidget(forward);
    row->addWidget(divider(Qt::Vertical));

    m_ratingRow = new QWidget(controls);
    m_ratingRow->setAccessibleName(QStringLiteral("Rating"));
    auto *stars = new QHBoxLayout(m_ratingRow);
    stars->setContentsMargins(0, 0, 0, 0);
    stars->setSpacing(2);
    for (int n = 1; n <= 5; ++n) {
        auto *star = new QToolButton(m_ratingRow);
        star->setText(QStringLiteral("★"));
        star->setAutoRaise(true);
        star->setFocusPolicy(Qt::NoFocus);
        star->setFixedSize(20, 24);
        star->setAccessibleName(QStringLiteral("Rate ") + QString::number(n) + (n == 1 ? QStringLiteral(" star") : QStringLiteral(" stars")));
        star->installEventFilter(this);
        connect(star, &QToolButton::clicked, this, [this, n] {
            if (m_actions.onRate)
                m_actions.onRate(n);
        });
        stars->addWidget(star);
        m_stars.append(star);
    }
    row->addWidget(m_ratingRow);
    row->addWidget(divider(Qt::Vertical));

    m_tagsRow = new QWidget(controls);
    m_tagsLayout = new QHBoxLayout(m_tagsRow);
    m_tagsLayout->setContentsMargins(0, 0, 0, 0);
    m_tagsLayout->setSpacing(4);
    m_tagButton = new QToolButton(m_tagsRow);
    m_tagButton->setIcon(PlayerIcons::tag());
    m_tagButton->setIconSize(QSize(12, 12));
    m_tagButton->setFocusPolicy(Qt::NoFocus);
    m_tagButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_tagButton->setFont(pixelFont(font(), 11));
    m_tagButton->setStyleSheet(QStringLiteral("QToolButton { border: none; border-radius: 10px; padding: 4px 8px;"
                                              " background: rgba(128, 128, 128, 26); }"
                                              "QToolButton:hover { background: rgba(128, 128, 128, 60); }"));
    connect(m_tagButton, &QToolButton::clicked, this, [this] { setTagPickerShown(!m_showTagPicker); });
    m_tagsLayout->addWidget(m_tagButton);
    row->addWidget(m_tagsRow);
    row->addStretch(1);
    row->addWidget(new HintText(QStringLiteral("J K L  scrub  ·  , .  frame  ·  [ ]  ±5s  ·  ← →  clip"), controls), 0);
    return controls;
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
    QList<QIcon> icons{PlayerIcons::clock()};
    if (m_clip.width > 0 && m_clip.height > 0)
        icons << PlayerIcons::rectangle();
    if (!m_clip.codec.isEmpty())
        icons << PlayerIcons::film();
    if (!m_clip.frameRateText().isEmpty())
        icons << PlayerIcons::speedometer();
    if (!m_clip.fileSizeText().isEmpty())
        icons << PlayerIcons::document();
    const QFont factFont = pixelFont(font(), 11);
    const QString secondary = QStringLiteral("color: %1;").arg(rgba(withAlpha(palette().color(QPalette::WindowText), 0.55)));
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
        star->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; color: %1; font-size: %2px; font-weight: 500; }")
                                .arg(rgba(starColor(n)))
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
    const QFont chipFont = pixelFont(font(), 10, QFont::Medium);
    for (const QString &tag : std::as_const(tags)) {
        auto *chip = new QLabel(tag, m_tagsRow);
        chip->setTextFormat(Qt::PlainText);
        chip->setFont(chipFont);
        chip->setStyleSheet(QStringLiteral("QLabel { color: white; background: %1; border-radius: 8px; padding: 3px 8px; }")
                                .arg(tagColor(tag).name()));
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
    m_playButton->setIcon(playing ? PlayerIcons::pause() : PlayerIcons::play());
    m_playButton->setAccessibleName(playing ? QStringLiteral("Pause") : QStringLiteral("Play"));
    m_stateLabel->setText(shuttleStateText());
    if (m_shuttle->playbackDirection() == 0) {
        m_stateLabel->setFont(pixelFont(font(), 11));
        m_stateLabel->setStyleSheet(QStringLiteral("color: %1;").arg(rgba(withAlpha(palette().color(QPalette::WindowText), 0.55 * 0.6))));
    } else {
        m_stateLabel->setFont(monoFont(font(), 11, QFont::Medium));
        m_stateLabel->setStyleSheet(QStringLiteral("color: %1;").arg(rgba(m_accent)));
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
        // Offline, moved or deleted since: back to the grid, silently. Later,
        // so that the grid never deletes the view from within its own show.
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
