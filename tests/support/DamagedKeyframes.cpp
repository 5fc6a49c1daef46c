#include "support/DamagedKeyframes.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <QFile>
#include <QRandomGenerator>

#include <cmath>
#include <map>

namespace {

struct Packet
{
    qint64 position = -1;
    int size = 0;
};

// The video keyframe packets of a file by the time they are shown, in
// seconds from the first one.
std::map<double, Packet> keyframePackets(const QString &path, QString *error)
{
    std::map<double, Packet> keyframes;
    AVFormatContext *context = nullptr;
    if (avformat_open_input(&context, QFile::encodeName(path).constData(), nullptr, nullptr) < 0
        || avformat_find_stream_info(context, nullptr) < 0) {
        avformat_close_input(&context);
        if (error)
            *error = QStringLiteral("cannot read ") + path;
        return keyframes;
    }
    const int video = av_find_best_stream(context, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    AVPacket *packet = av_packet_alloc();
    std::map<double, Packet> byTime;
    double first = INFINITY;
    while (video >= 0 && av_read_frame(context, packet) >= 0) {
        if (packet->stream_index == video && packet->pts != AV_NOPTS_VALUE) {
            const double seconds = double(packet->pts) * av_q2d(context->streams[video]->time_base);
            first = std::min(first, seconds);
            if ((packet->flags & AV_PKT_FLAG_KEY) && packet->pos >= 0)
                byTime[seconds] = Packet{packet->pos, packet->size};
        }
        av_packet_unref(packet);
    }
    av_packet_free(&packet);
    avformat_close_input(&context);
    for (const auto &[seconds, keyframe] : byTime)
        keyframes[seconds - first] = keyframe;
    return keyframes;
}

} // namespace

bool DamagedKeyframes::damage(const QString &path, const QList<double> &seconds, int bytes, QString *error, QList<double> *damaged)
{
    const std::map<double, Packet> keyframes = keyframePackets(path, error);
    QFile file(path);
    if (keyframes.empty() || !file.open(QIODevice::ReadWrite)) {
        if (error && error->isEmpty())
            *error = QStringLiteral("no keyframes to damage in ") + path;
        return false;
    }
    // The packet's first bytes (its NAL unit's length and header) stay: the
    // decoder reads into the picture before it meets the damage.
    constexpr int keptHead = 16;
    QRandomGenerator random(20260611);
    for (const double wanted : seconds) {
        const auto after = keyframes.lower_bound(wanted);
        auto nearest = after;
        if (after == keyframes.end() || (after != keyframes.begin() && wanted - std::prev(after)->first < after->first - wanted))
            nearest = std::prev(after);
        const Packet &packet = nearest->second;
        const int length = std::min(bytes, packet.size - keptHead);
        if (length <= 0)
            continue;
        QByteArray noise(length, '\0');
        for (char &byte : noise)
            byte = char(random.bounded(256));
        if (!file.seek(packet.position + keptHead + (packet.size - keptHead - length) / 2) || file.write(noise) != length) {
            if (error)
                *error = QStringLiteral("cannot write ") + path;
            return false;
        }
        if (damaged)
            *damaged << nearest->first;
    }
    return true;
}
