#pragma once

#include "library/model/Clip.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <memory>

class ElidedLabel;
class QLabel;
class QToolButton;
class ScrubPlayerView;
class ThumbnailGenerator;
class VideoPlayer;

// One side of a numbering reset in the review sheet: a heading, the clip's
// first frame with a play button that turns into a muted inline player, the
// file name and the recording date. The player exists only from a press of
// play until the preview is hidden.
class NumberingResetClipPreview : public QWidget
{
    Q_OBJECT
public:
    NumberingResetClipPreview(const Clip &clip, const QString &label, ThumbnailGenerator *generator, QWidget *parent = nullptr);
    ~NumberingResetClipPreview() override;

    const Clip &clip() const { return m_clip; }
    // Follows a changed record of the same clip (name, date); another file
    // loads its poster again.
    void setClip(const Clip &clip);

    void startPlayback();
    void stopPlayback();

    QImage poster() const { return m_poster; }
    bool isPlaying() const { return m_playing; }
    VideoPlayer *player() const { return m_player.get(); }
    QToolButton *playButton() const { return m_playButton; }
    QLabel *headingLabel() const { return m_heading; }
    ElidedLabel *nameLabel() const { return m_name; }
    QLabel *dateLabel() const { return m_date; }
    ScrubPlayerView *mediaView() const { return m_media; }

    // The recording date as the preview shows it.
    static QString dateText(const QDateTime &date);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void loadPoster();
    void showClip();
    void layoutMedia();

    Clip m_clip;
    QPointer<ThumbnailGenerator> m_generator;
    QImage m_poster;
    std::shared_ptr<VideoPlayer> m_player;
    bool m_playing = false;
    QString m_posterPath; // the file whose poster was asked for

    QLabel *m_heading = nullptr;
    QWidget *m_mediaArea = nullptr;
    ScrubPlayerView *m_media = nullptr;
    QToolButton *m_playButton = nullptr;
    ElidedLabel *m_name = nullptr;
    QLabel *m_date = nullptr;
};
