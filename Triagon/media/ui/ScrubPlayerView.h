#pragma once

#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QWidget>

#include <memory>

class VideoPlayer;

// Shows a player's picture on black, with the card's poster above it until
// the player's first frame is ready; taking the player away shows the poster
// again (black when there is none). Tells the player the size it is shown at,
// so that frames arrive already scaled.
class ScrubPlayerView : public QWidget
{
    Q_OBJECT

public:
    explicit ScrubPlayerView(QWidget *parent = nullptr);
    ~ScrubPlayerView() override;

    void setPlayer(std::shared_ptr<VideoPlayer> player);
    std::shared_ptr<VideoPlayer> player() const { return m_player; }

    // The same image (by its cache key) again changes nothing; a null image
    // after a poster clears it.
    void setPosterImage(const QImage &poster);
    QImage posterImage() const { return m_posterSource; }

    bool isPosterVisible() const { return m_posterVisible; }
    // Number of times the poster was converted for painting (for tests).
    int posterConversions() const { return m_posterConversions; }

    QSize sizeHint() const override { return {320, 180}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateTargetSize();
    void setPosterVisible(bool visible);

    std::shared_ptr<VideoPlayer> m_player;
    QMetaObject::Connection m_frameConnection;
    QMetaObject::Connection m_readyConnection;
    QImage m_posterSource;
    qint64 m_posterKey = 0;
    QPixmap m_poster;
    bool m_posterVisible = true;
    int m_posterConversions = 0;
};
