#pragma once

#include <QImage>
#include <QString>

// The frame-counter picture carries its frame number twice: as the digits
// that ffmpeg's "testsrc" draws, and as a strip of blocks along its lower
// part that a test reads back from any decoded picture, scaled or coded
// lossily: a white block, twelve blocks for the bits of the frame number
// (white for 1, lowest bit first) and a black block, left to right.
class FrameNumberStrip
{
public:
    static constexpr int bits = 12; // frame numbers 0 ... 4095

    // The ffmpeg filter chain that draws the strip (for -vf, after the source).
    static QString filter();
    // The frame number shown by a picture as the file stores it, read from
    // the upright image the decoder gave: `rotationDegrees` is the clockwise
    // turn that was applied to show it upright. -1 when the strip cannot be
    // read (a wrong turn, a picture of another file, a black frame).
    static int read(const QImage &image, int rotationDegrees = 0);
};
