#pragma once

#include "grid/CardMedia.h"
#include "grid/GridEngines.h"

// The cards' media over the session's real engines.
class EngineCardMedia : public CardMedia
{
public:
    explicit EngineCardMedia(const GridEngines &engines) : m_engines(engines) {}

    const GridEngines &engines() const { return m_engines; }

    QImage cachedPoster(const QUrl &url, double seconds, const QSize &size) const override;
    PosterTicket requestPoster(const QUrl &url, double seconds, const QSize &size, QObject *receiver,
                               std::function<void(const QImage &)> done) override;
    bool withdrawPoster(PosterTicket ticket) override;
    void requestPeaks(const QUrl &url, QObject *receiver, std::function<void(const QList<AudioPeak> &)> done) override;
    std::shared_ptr<VideoPlayer> scrubPlayer(const QUrl &url) override;
    void seek(const std::shared_ptr<VideoPlayer> &player, double seconds) override;
    void preloadAudio(const QUrl &url) override;
    void playSnippet(const QUrl &url, double seconds) override;
    void stopSnippets() override;

private:
    GridEngines m_engines;
};
