#pragma once

#include "media/PosterAssetPool.h"
#include "media/PosterCache.h"

#include <QFuture>
#include <QImage>
#include <QObject>
#include <QSize>
#include <QString>
#include <QThreadPool>

#include <functional>
#include <memory>

// The poster generator: one still frame of a video file near a given time,
// fitted into a maximum size, upright. Any frame within half a second of the
// time will do, so a keyframe there is taken instead of decoding on to the
// exact frame. At most four frames decode at the same time and further
// requests wait in the order they were made (requests made in the
// background wait behind the others); a request whose decode has not
// started can be withdrawn (a card scrolled out of sight), and then gives
// its place to the others; concurrent requests for the same poster share
// one decode; the most recently used posters stay cached (by
// count and by bytes); opened files are kept for further posters of the same
// file (PosterAssetPool). The decodes together never use more threads than
// the machine has processors. Only regular files are opened (MediaFileGate),
// and a file slow to open does not hold a decode slot (slowOpenMs).
//
// Thread-safe: thumbnail() may be called from any thread. Decodes run on
// threads of the process shared by every generator, background requests on
// threads of the lowest priority. The generator must outlive nothing:
// shutDown() and its destructor drop waiting requests (their futures end
// cancelled, their callbacks are not called) and stop running decodes
// early; the destructor does not wait for a decode stuck opening its file.
// A generator given another decoder runs it on threads of its own and
// waits for them at its end.
class ThumbnailGenerator : public QObject
{
    Q_OBJECT

public:
    // Makes one poster: the file, the frame time (already at least 0.01 s)
    // and the size to fit. A null image when no frame can be made. Must be
    // callable from several threads at once.
    using DecodeFunction = std::function<QImage(const QString &path, double seconds, QSize maxSize)>;
    using Callback = std::function<void(const QImage &poster)>;

    // Who waits for a poster: a card or a preview on screen, or work ahead
    // of time (the prewarm after an import or a launch).
    enum class Priority { UserInitiated, Background };

    static constexpr int decodeSlots = 4;
    // A file that takes longer than this to open (a network mount that
    // hangs) gives its decode slot to the next request meanwhile, so that
    // other posters do not wait for it; at most maxSlowOpens at a time do.
    // Once open it waits for a slot again, first in line.
    static constexpr int slowOpenMs = 1000;
    static constexpr int maxSlowOpens = 8;
    // The poster cache's bounds. The prewarm after an import fills it up to
    // these (ClipImporter::prewarmLimit).
    static constexpr int maxCacheSize = 1500;
    static constexpr qint64 maxCacheBytes = 256ll * 1024 * 1024;
    // A frame this far before or after the requested time is as good as the
    // frame at that time.
    static constexpr double timeTolerance = 0.5;

    explicit ThumbnailGenerator(QObject *parent = nullptr);
    // With another decoder in place of the generator's own (tests use it to hold decodes).
    explicit ThumbnailGenerator(DecodeFunction decode, QObject *parent = nullptr);
    ~ThumbnailGenerator() override;

    // The poster of path at `seconds`, fitted into maxSize. The future
    // finishes on a decode thread (continue with .then(context, ...) to come
    // back to a thread of your own); its result is a null image when no
    // frame could be made. A cached poster gives a finished future at once.
    QFuture<QImage> thumbnail(const QString &path, double seconds, QSize maxSize);
    QFuture<QImage> thumbnail(const QString &path, double seconds, QSize maxSize, Priority priority);
    // The same, delivered to `done` on the generator's thread (the GUI
    // thread), always asynchronously, and only while receiver still exists.
    // receiver must live on the generator's thread. Returns the request's
    // ticket for withdraw().
    using Ticket = quint64;
    Ticket thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done);
    Ticket thumbnail(const QString &path, double seconds, QSize maxSize, QObject *receiver, Callback done, Priority priority);
    // Withdraws a request made with a callback, when its decode has not
    // started: its callback is never called, and a decode that nobody
    // waits for any more leaves the queue (a poster also asked for ahead of
    // time goes back behind the requests for the screen). True when
    // withdrawn; false when the decode runs or ran (the answer comes, or
    // came, as usual) or the ticket is unknown.
    bool withdraw(Ticket ticket);

    // Whether the poster is cached or being made (a prewarm skips it then).
    bool isCachedOrInFlight(const QString &path, double seconds, QSize maxSize) const;
    // The cached poster of path at `seconds` fitted into maxSize, or a null
    // image; a hit makes it the most recent. Never waits, never decodes.
    QImage cachedPoster(const QString &path, double seconds, QSize maxSize) const;

    // Drops every waiting request and stops the running decodes early (their
    // requests get no poster); later requests get none. For quitting.
    void shutDown();

    // The one poster cache: every poster the generator makes goes in, under
    // posterKey(). Callers read it through cachedPoster(); its limits bound
    // the prewarm.
    PosterCache &posterCache();

    // The key of a poster in the cache and among the running decodes:
    // "<path>_<seconds, two decimals>_<width>x<height>", the time as
    // requested. Requests share a poster only when they ask for the same fit.
    static QString posterKey(const QString &path, double seconds, QSize maxSize);

    // A one-off poster without the generator: opens the file, lands on a
    // frame within the time tolerance and scales it. Null for an unreadable
    // file, a file without video, or a time more than half a second past the
    // last frame.
    static QImage decodePoster(const QString &path, double seconds, QSize maxSize);

    // For diagnostics and tests.
    int cachedCount() const;
    qint64 cachedBytes() const;
    int inFlightCount() const;
    const PosterAssetPool &assetPool() const;
    // The most frame threads the decodes have used at once.
    int peakDecodeThreads() const;
    // Files being opened now, and those of them that gave their slot back.
    int openingCount() const;
    int slowOpeningCount() const;

    // Replaces the opening of files (PosterAssetPool::setOpener): tests
    // stand in for a file system whose opens take long. Before any request.
    void setFileOpener(PosterAssetPool::Opener opener);

private:
    // Everything a decode needs: shared with the running decodes, so that a
    // decode made ahead of time (on a thread of the lowest priority, which a
    // busy machine may hardly run) never holds up the generator's end.
    struct Core;
    std::shared_ptr<Core> m_core;
    QThreadPool m_pool; // requests for the screen to another decoder; waited for at the end
};
