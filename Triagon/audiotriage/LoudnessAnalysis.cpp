#include "audiotriage/LoudnessAnalysis.h"

#include "app/Loggers.h"
#include "audiotriage/LoudnessMeter.h"
#include "media/FFmpegAudioDecoder.h"

#include <QFileInfo>

LoudnessAnalysis::Result LoudnessAnalysis::measure(const QString &path, const std::atomic_bool *cancel)
{
    Result result;
    if (path.isEmpty() || !QFileInfo::exists(path)) {
        result.outcome = Outcome::FileMissing;
        return result;
    }

    FFmpegAudioFormat format;
    format.sampleRate = LoudnessMeter::sampleRate;
    format.channels = 1;
    format.sampleType = FFmpegAudioFormat::SampleType::Int16;
    format.mapping = FFmpegAudioFormat::ChannelMapping::MeanToMono;

    LoudnessMeter meter;
    QString error;
    FFmpegAudioDecoder::Report report;
    // Only the frames that the resampler returned reach the meter.
    const bool complete = FFmpegAudioDecoder::decode(
        path, format,
        [&](const void *samples, int frames) {
            meter.add(static_cast<const qint16 *>(samples), frames);
            return true;
        },
        &error, cancel, &report);
    result.metrics = meter.metrics();

    const QString fileName = QFileInfo(path).fileName();
    if (complete && report.readError.isEmpty())
        return result;
    if (report.noAudioStream) {
        result.outcome = Outcome::NoAudio;
    } else if (cancel && cancel->load()) {
        result.outcome = Outcome::Cancelled;
    } else if (complete || report.deliveredFrames > 0) {
        // What was read before the failure is kept.
        result.outcome = Outcome::StoppedEarly;
        qCCritical(audioLogger(), "Loudness analysis: reading %s stopped early: %s", qUtf8Printable(fileName),
                   qUtf8Printable(complete ? report.readError : error));
    } else if (!QFileInfo::exists(path)) {
        result.outcome = Outcome::FileMissing; // went offline while it was opened
    } else {
        result.outcome = Outcome::Unreadable;
        qCCritical(audioLogger(), "Loudness analysis: cannot read %s: %s", qUtf8Printable(fileName), qUtf8Printable(error));
    }
    return result;
}
