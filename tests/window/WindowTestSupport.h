#pragma once

#include "app/AppSettings.h"
#include "app/widgets/SheetPresenter.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "library/StoreTestSupport.h"
#include "library/model/Clip.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "window/GridAreaView.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QUuid>
#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// The window's content over a store, settings and tours of its own, shown at
// a usual size. The store keeps the session off the disk unless a test turns
// saving on.
//
// The first tour starts half a second after the first clips appear; a busy
// machine reaches that moment in the middle of a test, and the tour then
// takes the keys and covers the window. Tours count as finished unless a
// test of the automatic start asks for them pending.
struct TestWindow
{
    enum class Tours { finished, pending };

    QTemporaryDir settingsDir;
    MediaEngines engines;
    ClipStore store;
    AppSettings settings{settingsDir.filePath(QStringLiteral("settings.conf"))};
    AppSettings tourSettings{settingsDir.filePath(QStringLiteral("tours.conf"))};
    TourManager tours{tourSettings};
    std::unique_ptr<ContentView> view;

    explicit TestWindow(Tours startingTours = Tours::finished)
    {
        if (startingTours == Tours::finished) {
            for (const Tour &tour : TourManager::tours())
                tours.markCompleted(tour.id);
        }
        store.setMediaEngines(&engines);
        store.setSavingEnabled(false);
        view = std::make_unique<ContentView>(store, settings, tours);
        view->resize(1200, 800);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
    GridAreaView &area() const { return *view->gridArea(); }
    // The sheet of that type the window presents, or null.
    template <typename Sheet>
    Sheet *sheet() const
    {
        return SheetPresenter::presented<Sheet>(view.get());
    }
};

// Readable QStrings in failure messages.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

// A clip record for a file at `path` (the file need not exist).
inline Clip makeClip(const QString &path, bool missing = false, qint64 rating = 0)
{
    Clip clip;
    clip.id = QUuid::createUuid();
    clip.url = QUrl::fromLocalFile(path);
    clip.filename = clip.urlFileName();
    clip.duration = 4;
    clip.width = 1920;
    clip.height = 1080;
    clip.fileSize = 1000;
    clip.rating = rating;
    clip.isMissing = missing;
    return clip;
}

inline bool touchFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly);
}

// A left click in the middle of a button, as the user makes it.
inline void click(QAbstractButton *button)
{
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(button->isVisible()) << button->objectName().toStdString();
    ASSERT_TRUE(button->isEnabled()) << button->objectName().toStdString();
    QTest::mouseClick(button, Qt::LeftButton, {}, button->rect().center());
}

// A clip with a rating and tags.
inline Clip taggedClip(const QString &name, qint64 rating, const QStringList &tags, double duration = 4)
{
    Clip clip = makeClip(QStringLiteral("/footage/") + name, false, rating);
    clip.tags = tags;
    clip.duration = duration;
    return clip;
}

using StoreTest::names;
