#pragma once

#include "media/AudioPeak.h"

#include <QImage>
#include <QList>
#include <QObject>
#include <QSize>
#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class VideoPlayer;

// What a clip card asks of the session's media engines: posters, audio
// peaks, the pooled scrub players and the audio snippets. The grid hands
// every card the one instance made over the store's engines; each engine may
// be missing (a card then simply lacks that picture or sound).
//
// Every asynchronous answer runs on the GUI thread, and never once the
// receiver is gone.
class CardMedia
{
public:
    virtual ~CardMedia() = default;

    // The cached poster of the file at `seconds` fitting `size` in device
    // pixels, or a null image; never waits.
    virtual QImage cachedPoster(const QUrl &url, double seconds, const QSize &size) const = 0;
    // A poster of the file at `seconds`, fitting `size` in device pixels
    // (the media caches it). `done` gets a null image when no frame could be
    // made. Returns the request's ticket (0: nothing to withdraw).
    using PosterTicket = quint64;
    virtual PosterTicket requestPoster(const QUrl &url, double seconds, const QSize &size, QObject *receiver,
                                       std::function<void(const QImage &)> done) = 0;
    // Withdraws a poster request whose decode has not started (its card
    // went out of sight): `done` is then never called. True when withdrawn;
    // false when the poster is being made or was made (`done` is called, or
    // was).
    virtual bool withdrawPoster(PosterTicket ticket) = 0;
    // The loud stretches of the file's sound (possibly none).
    virtual void requestPeaks(const QUrl &url, QObject *receiver, std::function<void(const QList<AudioPeak> &)> done) = 0;

    // The pooled, muted scrub player of the file; null without a pool.
    virtual std::shared_ptr<VideoPlayer> scrubPlayer(const QUrl &url) = 0;
    // Seeks a pooled player; coalesced by the pool.
    virtual void seek(const std::shared_ptr<VideoPlayer> &player, double seconds) = 0;

    // Audio snippets of hover scrubbing.
    virtual void preloadAudio(const QUrl &url) = 0;
    virtual void playSnippet(const QUrl &url, double seconds) = 0;
    // Stops the snippet playing and forgets the clip it came from.
    virtual void stopSnippets() = 0;
};
