#include "support/FrameNumberStrip.h"

#include <QTransform>

namespace {

// The strip: 14 blocks of a sixteenth of the width each, from 1/32 of the
// width on, a quarter of the height from the bottom, an eighth high.
constexpr int blocks = FrameNumberStrip::bits + 2;

QString box(int block, const QString &color, const QString &enable = QString())
{
    QString text = QStringLiteral("drawbox=x=iw/32+iw*%1/16:y=ih*3/4:w=iw/16:h=ih/8:color=%2:t=fill").arg(block).arg(color);
    if (!enable.isEmpty())
        text += QStringLiteral(":enable='%1'").arg(enable);
    return text;
}

// The mean brightness of the middle half of a block, 0 to 255.
double blockLevel(const QImage &image, int block)
{
    const double width = image.width();
    const double height = image.height();
    const double left = width / 32 + width * block / 16;
    const double top = height * 3 / 4;
    const double blockWidth = width / 16;
    const double blockHeight = height / 8;
    const int x0 = int(left + blockWidth / 4);
    const int x1 = int(left + blockWidth * 3 / 4);
    const int y0 = int(top + blockHeight / 4);
    const int y1 = int(top + blockHeight * 3 / 4);
    double sum = 0;
    int count = 0;
    for (int y = y0; y <= y1 && y < image.height(); ++y) {
        for (int x = x0; x <= x1 && x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            sum += 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
            ++count;
        }
    }
    return count > 0 ? sum / count : -1;
}

} // namespace

QString FrameNumberStrip::filter()
{
    QStringList chain;
    chain << box(0, QStringLiteral("white")) << box(blocks - 1, QStringLiteral("black"));
    for (int bit = 0; bit < bits; ++bit) {
        chain << box(bit + 1, QStringLiteral("black"));
        chain << box(bit + 1, QStringLiteral("white"), QStringLiteral("mod(floor(n/%1),2)").arg(1 << bit));
    }
    return chain.join(QLatin1Char(','));
}

int FrameNumberStrip::read(const QImage &image, int rotationDegrees)
{
    if (image.isNull() || image.width() < 2 * blocks || image.height() < 16)
        return -1;
    QImage stored = image;
    if (rotationDegrees % 360 != 0)
        stored = image.transformed(QTransform().rotate(-rotationDegrees));
    stored = stored.convertToFormat(QImage::Format_RGB32);
    constexpr double white = 170;
    constexpr double black = 85;
    if (blockLevel(stored, 0) < white || blockLevel(stored, blocks - 1) > black)
        return -1;
    int number = 0;
    for (int bit = 0; bit < bits; ++bit) {
        const double level = blockLevel(stored, bit + 1);
        if (level >= white)
            number |= 1 << bit;
        else if (level > black)
            return -1; // neither: not this picture
    }
    return number;
}
