#include "support/FormatMatrix.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <memory>
#include <vector>

// Marking frames as keyframes in a file's container: the packets are copied
// as they are (no decoding, no encoding), with the keyframe flag set on the
// video packets of the frames asked for.

namespace {

struct InputCloser
{
    void operator()(AVFormatContext *context) const { avformat_close_input(&context); }
};
struct OutputCloser
{
    void operator()(AVFormatContext *context) const
    {
        if (context->pb)
            avio_closep(&context->pb);
        avformat_free_context(context);
    }
};
struct PacketFreer
{
    void operator()(AVPacket *packet) const { av_packet_free(&packet); }
};
using PacketPtr = std::unique_ptr<AVPacket, PacketFreer>;

QString errorText(const char *what, int code)
{
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return QString::fromLatin1(what) + QStringLiteral(": ") + QString::fromUtf8(buffer);
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

} // namespace

bool FormatMatrix::markKeyframes(const QString &path, const QList<int> &frames, QString *error)
{
    AVFormatContext *rawInput = nullptr;
    int result = avformat_open_input(&rawInput, QFile::encodeName(path).constData(), nullptr, nullptr);
    if (result < 0)
        return fail(error, errorText("cannot open the file to mark", result));
    std::unique_ptr<AVFormatContext, InputCloser> input(rawInput);
    if ((result = avformat_find_stream_info(input.get(), nullptr)) < 0)
        return fail(error, errorText("cannot read its streams", result));
    const int video = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (video < 0)
        return fail(error, QStringLiteral("no video stream to mark"));

    // Every packet, in the file's order; the video frames numbered by their presentation times.
    std::vector<PacketPtr> packets;
    std::vector<qint64> shown;
    while (true) {
        PacketPtr packet(av_packet_alloc());
        if (!packet)
            return fail(error, QStringLiteral("out of memory"));
        result = av_read_frame(input.get(), packet.get());
        if (result == AVERROR_EOF)
            break;
        if (result < 0)
            return fail(error, errorText("cannot read a packet", result));
        if (packet->stream_index == video)
            shown.push_back(packet->pts);
        packets.push_back(std::move(packet));
    }
    std::sort(shown.begin(), shown.end());
    std::vector<qint64> marked;
    for (const int frame : frames) {
        if (frame < 0 || frame >= int(shown.size()))
            return fail(error, QStringLiteral("no frame %1 to mark").arg(frame));
        marked.push_back(shown[size_t(frame)]);
    }

    const QString partial = QFileInfo(path).dir().filePath(QStringLiteral("marking-") + QFileInfo(path).fileName());
    AVFormatContext *rawOutput = nullptr;
    result = avformat_alloc_output_context2(&rawOutput, nullptr, nullptr, QFile::encodeName(partial).constData());
    if (result < 0 || !rawOutput)
        return fail(error, errorText("cannot make the marked file", result));
    std::unique_ptr<AVFormatContext, OutputCloser> output(rawOutput);
    for (unsigned i = 0; i < input->nb_streams; ++i) {
        AVStream *stream = avformat_new_stream(output.get(), nullptr);
        if (!stream || avcodec_parameters_copy(stream->codecpar, input->streams[i]->codecpar) < 0)
            return fail(error, QStringLiteral("cannot copy stream %1").arg(i));
        stream->codecpar->codec_tag = 0;
        stream->time_base = input->streams[i]->time_base;
    }
    if ((result = avio_open(&output->pb, QFile::encodeName(partial).constData(), AVIO_FLAG_WRITE)) < 0)
        return fail(error, errorText("cannot write the marked file", result));
    if ((result = avformat_write_header(output.get(), nullptr)) < 0)
        return fail(error, errorText("cannot write its header", result));
    for (PacketPtr &packet : packets) {
        const int index = packet->stream_index;
        if (index == video && std::find(marked.begin(), marked.end(), packet->pts) != marked.end())
            packet->flags |= AV_PKT_FLAG_KEY;
        av_packet_rescale_ts(packet.get(), input->streams[index]->time_base, output->streams[index]->time_base);
        if ((result = av_interleaved_write_frame(output.get(), packet.get())) < 0)
            return fail(error, errorText("cannot write a packet", result));
    }
    if ((result = av_write_trailer(output.get())) < 0)
        return fail(error, errorText("cannot finish the marked file", result));
    output.reset();
    input.reset();
    QFile::remove(path);
    if (!QFile::rename(partial, path))
        return fail(error, QStringLiteral("cannot put the marked file in place"));
    return true;
}
