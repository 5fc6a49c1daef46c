#pragma once

#include "app/AppSettings.h"
#include "grid/CardMedia.h"
#include "grid/ClipGridView.h"
#include "grid/ClipThumbnailView.h"
#include "library/ClipStore.h"
#include "media/MediaProbe.h"

#include <QApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>

#include <functional>
#include <memory>

// A clip value for tests; no file behind it unless a path is given.
inline Clip testClip(const QString &name, double duration = 10, qint64 rating = 0, const QStringList &tags = {},
                     const QString &path = QString())
{
    Clip c;
    c.id = QUuid::createUuid();
    c.filename = name;
    c.url = QUrl::fromLocalFile(path.isEmpty() ? QStringLiteral("/nonexistent/") + name : path);
    c.duration = duration;
    c.width = 1920;
    c.height = 1080;
    c.codec = QStringLiteral("H.264");
    c.frameRate = 25;
    c.rating = rating;
    c.tags = tags;
    return c;
}

// A clip of a real media file, with what the probe reads from it.
inline Clip probedClip(const QString &path)
{
    const ProbeResult probe = MediaProbe::probeClip(path);
    Clip c = testClip(QFileInfo(path).fileName(), probe.duration, 0, {}, path);
    c.width = probe.width;
    c.height = probe.height;
    c.frameRate = probe.frameRate;
    c.codec = probe.codec;
    return c;
}

// A key press as the window system delivers it; true when a widget took it.
inline bool pressKey(QWidget *widget, int key, const QString &text = QString(), Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent event(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(widget, &event);
    return event.isAccepted();
}

// Cards' media whose answers the test hands out itself, and which records
// what the cards asked for.
class HeldCardMedia : public CardMedia
{
public:
    struct PosterRequest
    {
        QUrl url;
        double seconds;
        QSize size;
        std::function<void(const QImage &)> done;
        PosterTicket ticket = 0;
        bool withdrawn = false;
        bool started = false; // a decode "runs": it can no longer be withdrawn
    };
    struct PeaksRequest
    {
        QUrl url;
        std::function<void(const QList<AudioPeak> &)> done;
    };
    QList<PosterRequest> posters;
    QList<PeaksRequest> peaks;
    QList<double> seeks;
    QList<double> snippets;
    int preloads = 0;
    int stops = 0;

    QImage cachedPoster(const QUrl &, double, const QSize &) const override { return QImage(); }
    PosterTicket requestPoster(const QUrl &url, double seconds, const QSize &size, QObject *,
                               std::function<void(const QImage &)> done) override
    {
        posters.append({url, seconds, size, std::move(done), PosterTicket(posters.size() + 1)});
        return posters.last().ticket;
    }
    bool withdrawPoster(PosterTicket ticket) override
    {
        if (ticket == 0 || ticket > PosterTicket(posters.size()))
            return false;
        PosterRequest &request = posters[qsizetype(ticket - 1)];
        if (request.withdrawn || request.started)
            return false;
        request.withdrawn = true;
        return true;
    }
    // The requests still waiting: neither withdrawn nor started.
    QList<PosterRequest> waitingPosters() const
    {
        QList<PosterRequest> result;
        for (const PosterRequest &request : posters) {
            if (!request.withdrawn && !request.started)
                result.append(request);
        }
        return result;
    }
    void requestPeaks(const QUrl &url, QObject *, std::function<void(const QList<AudioPeak> &)> done) override
    {
        peaks.append({url, std::move(done)});
    }
    std::shared_ptr<VideoPlayer> scrubPlayer(const QUrl &) override { return nullptr; }
    void seek(const std::shared_ptr<VideoPlayer> &, double seconds) override { seeks.append(seconds); }
    void preloadAudio(const QUrl &) override { ++preloads; }
    void playSnippet(const QUrl &, double seconds) override { snippets.append(seconds); }
    void stopSnippets() override { ++stops; }
};

// A shown grid over a real store, with private settings.
struct GridFixture
{
    QTemporaryDir scratch;
    std::unique_ptr<AppSettings> settings;
    std::unique_ptr<ClipStore> store;
    std::unique_ptr<ClipGridView> grid;

    explicit GridFixture(const QList<Clip> &clips, const GridEngines &engines = {}, QSize size = QSize(1200, 800))
    {
        settings = std::make_unique<AppSettings>(scratch.filePath(QStringLiteral("settings.conf")));
        store = std::make_unique<ClipStore>();
        store->setSavingEnabled(false);
        store->setClips(clips);
        grid = std::make_unique<ClipGridView>(store.get(), settings.get(), engines, false);
        grid->resize(size);
        grid->show();
        QCoreApplication::processEvents();
    }
    ~GridFixture()
    {
        grid.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    Clip clip(int index) const { return store->clips().at(index); }
    ClipThumbnailView *card(int index) const { return grid->cardFor(store->clips().at(index).id); }
    ClipThumbnailView *card(const QUuid &id) const { return grid->cardFor(id); }
};

// Mouse input with modifiers as the window system delivers it.
inline void sendMove(QWidget *widget, const QPointF &pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QMouseEvent move(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, Qt::NoButton, modifiers);
    QApplication::sendEvent(widget, &move);
}

inline void sendEnter(QWidget *widget, const QPointF &pos)
{
    QEnterEvent enter(pos, pos, widget->mapToGlobal(pos));
    QApplication::sendEvent(widget, &enter);
}

inline void sendLeave(QWidget *widget)
{
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, &leave);
}

inline void click(QWidget *widget, const QPointF &pos, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseClick(widget, Qt::LeftButton, modifiers, pos.toPoint());
}
