#include "markers/ui/NumberingResetClipPreview.h"

#include "app/SymbolCatalog.h"
#include "app/widgets/ElidedLabel.h"
#include "markers/MarkerDetector.h"
#include "markers/ui/MarkerUiStyle.h"
#include "media/ThumbnailGenerator.h"
#include "media/VideoPlayer.h"
#include "media/ui/ScrubPlayerView.h"

#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPainterPath>
#include <QResizeEvent>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The 16:9 picture area: black, clipped to rounded corners, holding the
// player view and the play button centred over it.
class MediaArea : public QWidget
{
public:
    using QWidget::QWidget;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override { return width * 9 / 16; }
    QSize sizeHint() const override { return {280, 158}; }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()), 8, 8);
        painter.fillPath(path, Qt::black);
    }
};

} // namespace

NumberingResetClipPreview::NumberingResetClipPreview(const Clip &clip, const QString &label, ThumbnailGenerator *generator, QWidget *parent)
    : QWidget(parent), m_clip(clip), m_generator(generator)
{
    using namespace MarkerUiStyle;
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(8);
    m_heading = MarkerUiStyle::secondaryLabel(label, sizedFont(this, 11, QFont::Medium), this);
    column->addWidget(m_heading);

    m_mediaArea = new MediaArea(this);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    m_mediaArea->setSizePolicy(policy);
    m_media = new ScrubPlayerView(m_mediaArea);
    m_playButton = new QToolButton(m_mediaArea);
    m_playButton->setAutoRaise(true);
    m_playButton->setIcon(SymbolCatalog::coloredIcon(QStringLiteral("play.fill/marker"), Qt::white, 16));
    m_playButton->setIconSize(QSize(16, 16));
    m_playButton->setFixedSize(40, 40);
    m_playButton->setStyleSheet(QStringLiteral("QToolButton { background: rgba(0, 0, 0, 115); border: none; border-radius: 20px; }"));
    m_playButton->setCursor(Qt::PointingHandCursor);
    connect(m_playButton, &QToolButton::clicked, this, &NumberingResetClipPreview::startPlayback);
    column->addWidget(m_mediaArea);

    m_name = new ElidedLabel(Qt::ElideMiddle, this);
    m_name->setFont(sizedFont(this, 12, QFont::Medium));
    column->addWidget(m_name);
    m_date = MarkerUiStyle::secondaryLabel(QString(), sizedFont(this, 10), this);
    column->addWidget(m_date);
    showClip();
}

NumberingResetClipPreview::~NumberingResetClipPreview()
{
    stopPlayback();
}

QString NumberingResetClipPreview::dateText(const QDateTime &date)
{
    const QLocale locale;
    const QDateTime local = date.toLocalTime();
    return locale.toString(local.date(), QStringLiteral("MMM d, yyyy")) + QStringLiteral(" at ")
           + locale.toString(local.time(), QLocale::ShortFormat);
}

void NumberingResetClipPreview::setClip(const Clip &clip)
{
    const bool otherFile = clip.url != m_clip.url;
    m_clip = clip;
    showClip();
    if (otherFile) {
        stopPlayback();
        m_poster = QImage();
        m_media->setPosterImage(QImage());
        m_posterPath.clear();
        if (isVisible())
            loadPoster();
    }
}

void NumberingResetClipPreview::showClip()
{
    m_name->setText(m_clip.filename);
    m_playButton->setAccessibleName(QStringLiteral("Play ") + m_clip.filename);
    m_playButton->setToolTip(QStringLiteral("Play ") + m_clip.filename);
    const bool dated = m_clip.recordedAt && m_clip.recordedAt->isValid();
    m_date->setVisible(dated);
    m_date->setText(dated ? dateText(*m_clip.recordedAt) : QString());
}

void NumberingResetClipPreview::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    loadPoster();
}

void NumberingResetClipPreview::hideEvent(QHideEvent *event)
{
    stopPlayback();
    QWidget::hideEvent(event);
}

void NumberingResetClipPreview::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutMedia();
}

void NumberingResetClipPreview::layoutMedia()
{
    const QRect area = m_mediaArea->rect();
    m_media->setGeometry(area);
    // The picture keeps the area's rounded corners.
    QPainterPath rounded;
    rounded.addRoundedRect(QRectF(area), 8, 8);
    m_media->setMask(QRegion(rounded.toFillPolygon().toPolygon()));
    m_playButton->move(area.center() - QPoint(m_playButton->width() / 2, m_playButton->height() / 2));
}

void NumberingResetClipPreview::loadPoster()
{
    const QString path = m_clip.path();
    if (!m_generator || path == m_posterPath)
        return;
    m_posterPath = path;
    // The frame the hand-marker scan measures, so usually from the cache.
    m_generator->thumbnail(path, 0.0, MarkerDetector::frameRequestSize, this, [this, path](const QImage &poster) {
        if (path != m_clip.path())
            return;
        m_poster = poster;
        m_media->setPosterImage(poster);
        layoutMedia();
    });
}

void NumberingResetClipPreview::startPlayback()
{
    VideoPlayer::Options options;
    options.muted = true;
    auto player = std::make_shared<VideoPlayer>(m_clip.path(), options);
    player->setMuted(true);
    m_player = player;
    m_playing = true;
    m_media->setPlayer(player);
    m_playButton->hide();
    player->play();
}

void NumberingResetClipPreview::stopPlayback()
{
    if (!m_player)
        return;
    m_player->pause();
    m_media->setPlayer(nullptr);
    // Released at once: the decoder and the file go with it.
    m_player->close();
    m_player.reset();
    // Pressing play again makes a fresh player.
    m_playButton->show();
}
