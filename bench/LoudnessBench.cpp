// triagon-bench loudness FILE...: measures each file through the real
// loudness analysis and, in the same run, decodes and resamples the same
// files to the same PCM (16 kHz mono 16-bit) with bare FFmpeg calls, so the
// analysis' own cost shows as the ratio of the two. Rounds alternate between
// the two after one warm-up round; the medians are reported.
#include "Bench.h"

#include "audiotriage/LoudnessAnalysis.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

#include <QElapsedTimer>
#include <QFileInfo>

#include <cstdio>
#include <vector>

namespace {

constexpr int kRounds = 5;

// Decodes the first audio stream and resamples it; returns the sample count
// (-1 when the file cannot be read).
qint64 bareDecodeResample(const QString &path)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, path.toUtf8().constData(), nullptr, nullptr) < 0)
        return -1;
    qint64 samples = -1;
    AVCodecContext *codec = nullptr;
    SwrContext *swr = nullptr;
    AVPacket *packet = av_packet_alloc();
    AVFrame *frame = av_frame_alloc();
    std::vector<uint8_t> buffer;
    int stream = -1;
    if (avformat_find_stream_info(format, nullptr) >= 0)
        stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    const AVCodec *decoder = stream >= 0 ? avcodec_find_decoder(format->streams[stream]->codecpar->codec_id) : nullptr;
    if (decoder && (codec = avcodec_alloc_context3(decoder))
        && avcodec_parameters_to_context(codec, format->streams[stream]->codecpar) >= 0) {
        codec->thread_count = 1;
        if (avcodec_open2(codec, decoder, nullptr) >= 0) {
            for (unsigned i = 0; i < format->nb_streams; ++i)
                format->streams[i]->discard = int(i) == stream ? AVDISCARD_DEFAULT : AVDISCARD_ALL;
            samples = 0;
            AVChannelLayout mono = AV_CHANNEL_LAYOUT_MONO;
            auto drain = [&](AVFrame *input) {
                if (!swr) {
                    swr_alloc_set_opts2(&swr, &mono, AV_SAMPLE_FMT_S16, 16000, &input->ch_layout, AVSampleFormat(input->format),
                                        input->sample_rate, 0, nullptr);
                    swr_init(swr);
                }
                const int capacity = swr_get_out_samples(swr, input->nb_samples);
                buffer.resize(size_t(std::max(capacity, 0)) * 2);
                uint8_t *out[1] = {buffer.data()};
                const int made = swr_convert(swr, out, capacity, const_cast<const uint8_t **>(input->extended_data), input->nb_samples);
                samples += std::max(made, 0);
            };
            bool ended = false;
            while (!ended) {
                if (av_read_frame(format, packet) < 0) {
                    avcodec_send_packet(codec, nullptr);
                    ended = true;
                } else {
                    if (packet->stream_index == stream)
                        avcodec_send_packet(codec, packet);
                    av_packet_unref(packet);
                }
                while (avcodec_receive_frame(codec, frame) == 0) {
                    drain(frame);
                    av_frame_unref(frame);
                }
            }
            if (swr) {
                const int capacity = swr_get_out_samples(swr, 0);
                buffer.resize(size_t(std::max(capacity, 0)) * 2 + 2);
                uint8_t *out[1] = {buffer.data()};
                samples += std::max(0, swr_convert(swr, out, capacity, nullptr, 0));
            }
        }
    }
    swr_free(&swr);
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&codec);
    avformat_close_input(&format);
    return samples;
}

int loudness(const QStringList &arguments)
{
    if (arguments.isEmpty()) {
        std::fprintf(stderr, "usage: triagon-bench loudness FILE...\n");
        return 2;
    }
    QStringList files;
    for (const QString &file : arguments)
        files.append(QFileInfo(file).absoluteFilePath());

    // Warm-up: the files come into the page cache; the figures are reported.
    for (const QString &file : std::as_const(files)) {
        const LoudnessAnalysis::Result result = LoudnessAnalysis::measure(file);
        const AudioMetrics &m = result.metrics;
        bench::print("clip", QStringLiteral("%1 maxRMS=%2 avgRMS=%3 spikeRatio=%4 dynamicRange=%5 peak=%6 score=%7 outcome=%8")
                                 .arg(QFileInfo(file).fileName())
                                 .arg(double(m.maxRMS), 0, 'f', 5)
                                 .arg(double(m.avgRMS), 0, 'f', 5)
                                 .arg(double(m.spikeRatio), 0, 'f', 5)
                                 .arg(double(m.dynamicRange), 0, 'f', 5)
                                 .arg(double(m.peakAmplitude), 0, 'f', 5)
                                 .arg(m.loudnessScore(), 0, 'f', 4)
                                 .arg(int(result.outcome)));
        bareDecodeResample(file);
    }

    QList<double> analysis;
    QList<double> bare;
    QElapsedTimer timer;
    for (int round = 0; round < kRounds; ++round) {
        timer.start();
        for (const QString &file : std::as_const(files))
            LoudnessAnalysis::measure(file);
        analysis.append(timer.nsecsElapsed() / 1e6 / files.size());
        timer.start();
        for (const QString &file : std::as_const(files))
            bareDecodeResample(file);
        bare.append(timer.nsecsElapsed() / 1e6 / files.size());
    }
    const double analysisMs = bench::median(analysis);
    const double bareMs = bench::median(bare);
    bench::print("files", files.size(), 0);
    bench::print("rounds", kRounds, 0);
    bench::print("bare_decode_resample_ms_per_clip", bareMs);
    bench::print("ratio", bareMs > 0 ? analysisMs / bareMs : 0, 3);
    bench::print("ms_per_clip", analysisMs);
    return 0;
}

const BenchCommand command("loudness", "FILE...", loudness);

} // namespace
