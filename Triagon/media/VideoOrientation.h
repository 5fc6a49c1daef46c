#pragma once

#include <QSize>

#include <cstdint>

class QImage;

// How a stored picture is shown upright: mirrored left to right first when
// it is mirrored, then turned clockwise by quarter turns. These are the
// eight placements a file's display matrix can ask for without skewing the
// picture (a vertical flip is a mirror turned half round).
class VideoOrientation
{
public:
    constexpr VideoOrientation() = default;

    // A plain clockwise turn; degrees that are no multiple of 90 count as none.
    static VideoOrientation turned(int clockwiseDegrees);
    // Mirrored left to right, then turned clockwise.
    static VideoOrientation mirroredThenTurned(int clockwiseDegrees);
    // The placement a display matrix (libavutil/display.h's layout) asks
    // for, to the nearest quarter turn; none for a matrix that maps the
    // picture onto a line.
    static VideoOrientation fromDisplayMatrix(const int32_t matrix[9]);

    // The clockwise turn after the mirror: 0, 90, 180 or 270.
    int clockwiseDegrees() const { return m_quarterTurns * 90; }
    bool isUpright() const { return m_quarterTurns == 0 && !m_mirrored; }
    // Whether the shown picture is the stored one's width high.
    bool swapsSides() const { return m_quarterTurns % 2 == 1; }

    QSize shownSize(QSize stored) const { return swapsSides() ? stored.transposed() : stored; }
    QSize storedSize(QSize shown) const { return swapsSides() ? shown.transposed() : shown; }
    // The stored picture placed upright.
    QImage apply(const QImage &stored) const;

    bool operator==(const VideoOrientation &) const = default;

private:
    int m_quarterTurns = 0; // clockwise, 0 to 3
    bool m_mirrored = false;
};
