#pragma once

#include "app/AppSettings.h"
#include "library/ClipStore.h"
#include "media/MediaEngines.h"
#include "support/SettingsFileFixture.h"
#include "markers/MarkerDetector.h"

#include <QLabel>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

#include <memory>

namespace MarkerUiTest {

inline Clip clip(const QString &name, double duration = 1.0, const QString &folder = QStringLiteral("/shoot/A"))
{
    Clip c;
    c.id = QUuid::createUuid();
    c.url = QUrl::fromLocalFile(folder + QLatin1Char('/') + name);
    c.filename = name;
    c.duration = duration;
    return c;
}

// Frame statistics with a known confidence under the default settings:
// 0.6 × (1 − variance / 3000) with no uniformity and no coverage.
inline MarkerDetector::Metrics blurred(double duration, double variance)
{
    return MarkerDetector::Metrics{duration, MarkerDetector::FrameStats{0, variance, 0, 0, 56}};
}
// Confidence 1.0.
inline MarkerDetector::Metrics black(double duration)
{
    return MarkerDetector::Metrics{duration, MarkerDetector::FrameStats{0, 0, 0, 1, 0}};
}

inline QStringList labelTexts(const QWidget *root)
{
    QStringList texts;
    for (const QLabel *label : root->findChildren<QLabel *>()) {
        if (label->isVisibleTo(root->window()))
            texts.append(label->text());
    }
    return texts;
}

// A store, a settings file of its own and a count of close requests.
class SheetFixture : public SettingsFileFixture
{
protected:
    void SetUp() override
    {
        store.setMediaEngines(&engines);
        useSettings({});
    }
    void useSettings(const QByteArray &contents)
    {
        settingsPath = freshFile(contents);
        settings = std::make_unique<AppSettings>(settingsPath);
    }
    // The settings as the next run would read them.
    std::unique_ptr<AppSettings> storedSettings()
    {
        // Nothing written yet: the next run finds no file.
        if (!QFile::exists(settingsPath))
            return std::make_unique<AppSettings>(freshFile());
        return std::make_unique<AppSettings>(reopened(settingsPath));
    }

    QString settingsPath;

    MediaEngines engines;
    ClipStore store;
    std::unique_ptr<AppSettings> settings;
    int dismissed = 0;
};

} // namespace MarkerUiTest
