#pragma once

#include "WindowTestSupport.h"

#include "app/AppSettings.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

// A shown main window over its own store, settings and tour state.
struct WindowFixture
{
    QTemporaryDir settingsDir;
    ClipStore store;
    AppSettings settings{settingsDir.filePath(QStringLiteral("settings.conf"))};
    TourManager tours{settingsDir.filePath(QStringLiteral("tours.conf"))};
    std::unique_ptr<ContentView> view;

    WindowFixture()
    {
        store.setSavingEnabled(false);
        view = std::make_unique<ContentView>(store, settings, tours);
        view->resize(1200, 800);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    }
};

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

inline QStringList names(const QList<Clip> &clips)
{
    QStringList result;
    for (const Clip &clip : clips)
        result.append(clip.filename);
    return result;
}
