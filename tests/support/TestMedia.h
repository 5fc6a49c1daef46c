#pragma once

#include <QString>
#include <QStringList>

// Real media files made with the ffmpeg command-line tool, generated once per
// build folder and shared by every test process (a lock file keeps parallel
// test processes from generating the same file twice).
//
// Files (all short):
//   pattern_1080p30.mp4  1920x1080 30 fps H.264 (2 s GOP) test pattern, 1 kHz sine, 4 s
//   portrait.mp4         1080x1920 H.264 with sound, 2 s
//   noaudio.mp4          640x360 H.264 without an audio stream, 2 s
//   rotated.mp4          1920x1080 coded, display matrix of 90 degrees (shows 1080x1920), 1 s
//   dated.mov            320x240 QuickTime with creation_time 2024-05-01T10:20:30.000000Z, 1 s
//   counter.mp4          320x240 30 fps "testsrc" (draws a frame counter), 2 s GOP, 10 s
//   bframes.mp4          320x240 30 fps "testsrc" with B-frames (x264 medium, 3 B-frames), 2 s GOP, 8 s
//   clip.mkv             320x240 H.264 in Matroska (no codec tag), 1 s
//   clip.webm            320x240 VP9 in WebM, 1 s
//   audioonly.mp4        AAC sine only, no video stream, 2 s
//   silence.mp4          320x240 with digital silence, 4 s
//   burst.mp4            320x240, silence with a full-scale 1 kHz burst from 2.0 s to 2.5 s, 4 s
//   black.mp4            320x240 black frames with silence, 1 s
//   empty.mp4            zero bytes
//   truncated.mp4        the first 30 % of a fast-start MP4 (header intact, media cut)
//   notavideo.mov        a text file with a video extension
//   tone_half_mono16k.mov    1 kHz sine at amplitude 0.5, 16 kHz mono 16-bit PCM, no video, 5 s
//   tone_half_stereo48k.mkv  the same tone on both channels, 48 kHz stereo PCM, 5 s
//   tone_tenth_mono16k.mov   1 kHz sine at amplitude 0.1, 16 kHz mono PCM, 5 s
//   burst_mono16k.mov        silence with a 0.9-amplitude 1 kHz burst from 2.0 s to 2.5 s, 16 kHz mono PCM, 4 s
//   silence_mono16k.mov      digital silence, 16 kHz mono PCM, 3 s
//   truncated_tone.mov       the first 30 % of a fast-start 4 s PCM tone (0.5, 16 kHz mono; header intact)
//   fmt_*                    the formats cameras write, 2 to 4 s each, showing their frame numbers
//                            (FormatMatrix: fmt_avchd.mts, fmt_m2ts.mts, fmt_offset.mp4,
//                            fmt_prores.mov, fmt_hevc10.mp4, fmt_mkv.mkv, fmt_vp9.webm,
//                            fmt_phone.mp4, fmt_ntsc.mp4, fmt_vp8keys.webm, fmt_vp8two.webm;
//                            files whose seeks need care: fmt_opengop.mp4,
//                            fmt_falsekey.mp4, fmt_nocues.mkv)
//   nocues_wrap.mkv          fmt_nocues.mkv at 160x90, 80 s, its times falling back at 4.464 s and
//                            70 s, the loud burst of its sound from 74 s to 74.5 s
class TestMedia
{
public:
    // Folder holding the generated files.
    static QString dir();
    // Full path of one generated file; generates the set on first use.
    // Fails the calling test (ADD_FAILURE) when the file cannot be made.
    static QString path(const QString &name);
    // Copies a generated file into folder (under newName when given) and returns the copy's path.
    static QString copyTo(const QString &name, const QString &folder, const QString &newName = QString());
    // Makes a file with ffmpeg from the given arguments (output path last); true on success.
    static bool runFfmpeg(const QStringList &arguments, QString *errorText = nullptr);
    // Makes a file at path with ffmpeg from a lavfi source ("testsrc2=size=320x240:rate=30"),
    // `seconds` long, coded with the given arguments; true on success.
    static bool lavfiClip(const QString &path, const QString &source, double seconds, const QStringList &coding);
    // A clip of one flat colour (an ffmpeg colour: "black", "0xE0A080"),
    // 320x240 30 fps H.264 without sound, `seconds` long; made once per build
    // folder like the files above, under a name made of the colour and length.
    static QString solidClip(const QString &color, double seconds);
};
