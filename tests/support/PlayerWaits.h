#pragma once

#include "media/AudioStreamDecoder.h"
#include "media/VideoPlayer.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

// Waiting on players and reading sound back, as the media tests do: a
// player's answers come through its thread's event loop, so the tests wait
// for them (with a bound far past any healthy answer) instead of sleeping.
namespace PlayerWaits {

inline constexpr int waitMs = 30000;

// A player of the file fitted into `size`, once its first frame is on show
// or it failed.
inline std::unique_ptr<VideoPlayer> readyPlayer(const QString &path, const VideoPlayer::Options &options, QSize size)
{
    auto player = std::make_unique<VideoPlayer>(path, options);
    player->setTargetSize(size);
    EXPECT_TRUE(QTest::qWaitFor([&] { return player->isReadyForDisplay() || !player->errorText().isEmpty(); }, waitMs));
    return player;
}

// Seeks and waits for the landing; true when it came and succeeded.
inline bool seekAndWait(VideoPlayer &player, double seconds, double toleranceBefore = 0, double toleranceAfter = 0)
{
    bool done = false;
    bool succeeded = false;
    player.seek(
        seconds,
        [&](bool ok) {
            done = true;
            succeeded = ok;
        },
        toleranceBefore, toleranceAfter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return done; }, waitMs)) << "no landing at " << seconds;
    return done && succeeded;
}

// The loudness (RMS of a tenth of a second of mono float samples at 16 kHz)
// of a sound decoder opened so, at `seconds`.
inline double soundLevelAt(AudioStreamDecoder &sound, double seconds)
{
    EXPECT_TRUE(sound.seek(seconds)) << seconds;
    QByteArray pcm;
    sound.read(pcm, 1600);
    const auto *samples = reinterpret_cast<const float *>(pcm.constData());
    double sum = 0;
    const qsizetype count = pcm.size() / qsizetype(sizeof(float));
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return count > 0 ? std::sqrt(sum / double(count)) : 0.0;
}

} // namespace PlayerWaits
