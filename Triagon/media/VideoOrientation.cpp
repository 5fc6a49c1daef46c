#include "media/VideoOrientation.h"

extern "C" {
#include <libavutil/display.h>
}

#include <QImage>

#include <algorithm>
#include <cmath>

VideoOrientation VideoOrientation::turned(int clockwiseDegrees)
{
    VideoOrientation orientation;
    if (clockwiseDegrees % 90 == 0)
        orientation.m_quarterTurns = ((clockwiseDegrees / 90) % 4 + 4) % 4;
    return orientation;
}

VideoOrientation VideoOrientation::mirroredThenTurned(int clockwiseDegrees)
{
    VideoOrientation orientation = turned(clockwiseDegrees);
    orientation.m_mirrored = true;
    return orientation;
}

VideoOrientation VideoOrientation::fromDisplayMatrix(const int32_t matrix[9])
{
    // A point (p, q) is shown at (a p + c q, b p + d q): a negative
    // determinant mirrors. Such a matrix is a turn followed by a mirror of
    // the shown picture's x (that mirror undone is negating a and c), and
    // mirroring after a turn is mirroring first and turning the other way.
    const double a = matrix[0];
    const double b = matrix[1];
    const double c = matrix[3];
    const double d = matrix[4];
    const bool mirrored = a * d - b * c < 0;
    int32_t turn[9];
    std::copy(matrix, matrix + 9, turn);
    if (mirrored) {
        turn[0] = -turn[0];
        turn[3] = -turn[3];
    }
    // av_display_rotation_get gives the counter-clockwise angle of the
    // matrix; showing the picture upright takes the opposite turn.
    const double counterClockwise = av_display_rotation_get(turn);
    if (!std::isfinite(counterClockwise))
        return {};
    const int clockwise = int(std::lround(-counterClockwise / 90.0)) * 90;
    return mirrored ? mirroredThenTurned(-clockwise) : turned(clockwise);
}

QImage VideoOrientation::apply(const QImage &stored) const
{
    if (isUpright() || stored.isNull())
        return stored;
    QImage image = m_mirrored ? stored.mirrored(true, false) : stored;
    if (m_quarterTurns != 0)
        image = image.transformed(QTransform().rotate(clockwiseDegrees()));
    return image;
}
