#include "app/TriagonLogo.h"

#include "app/ThemeColor.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// The ring and the brackets share the centre of the design box.
constexpr double kCentreX = TriagonLogo::designWidth / 2.0;
constexpr double kCentreY = TriagonLogo::designHeight / 2.0;

// The ellipse that the brackets' inner edges follow, and the ring inside it.
constexpr double kFrameRadiusX = 160.0;
constexpr double kFrameRadiusY = 158.0;
constexpr double kRingRadiusX = 118.0;
constexpr double kRingRadiusY = 116.0;
constexpr double kHoleRadiusX = 38.0;
constexpr double kHoleRadiusY = 38.0;

// The upper bracket spans from x = 200 to the right edge and from the top to
// y = 324, with its two right-hand corners rounded.
constexpr double kBracketLeft = 200.0;
constexpr double kBracketBottom = 324.0;
constexpr double kCornerRadius = 60.0;

// Appends a closed ellipse as four cubic quarter arcs whose control points lie
// 0.5523 of the radius from the on-curve points, along the tangents.
void addEllipse(QPainterPath &path, double cx, double cy, double rx, double ry)
{
    constexpr double k = 0.5523;
    path.moveTo(cx + rx, cy);
    path.cubicTo(cx + rx, cy + k * ry, cx + k * rx, cy + ry, cx, cy + ry);
    path.cubicTo(cx - k * rx, cy + ry, cx - rx, cy + k * ry, cx - rx, cy);
    path.cubicTo(cx - rx, cy - k * ry, cx - k * rx, cy - ry, cx, cy - ry);
    path.cubicTo(cx + k * rx, cy - ry, cx + rx, cy - k * ry, cx + rx, cy);
    path.closeSubpath();
}

// The angle (degrees, counter-clockwise on screen, as QPainterPath::arcTo
// takes it) of the frame ellipse's point at (x, y).
double frameAngle(double x, double y)
{
    const double ux = (x - kCentreX) / kFrameRadiusX;
    const double uy = (kCentreY - y) / kFrameRadiusY;
    return std::atan2(uy, ux) * 180.0 / std::numbers::pi;
}

QRectF frameRect()
{
    return QRectF(kCentreX - kFrameRadiusX, kCentreY - kFrameRadiusY, 2 * kFrameRadiusX, 2 * kFrameRadiusY);
}

} // namespace

QPainterPath TriagonLogo::upperBracket()
{
    const double right = designWidth;
    // Where the bracket's left edge and bottom edge meet the frame ellipse.
    const double leftDx = (kBracketLeft - kCentreX) / kFrameRadiusX;
    const double leftMeetY = kCentreY - kFrameRadiusY * std::sqrt(1.0 - leftDx * leftDx);
    const double bottomDy = (kBracketBottom - kCentreY) / kFrameRadiusY;
    const double bottomMeetX = kCentreX + kFrameRadiusX * std::sqrt(1.0 - bottomDy * bottomDy);

    const double startAngle = frameAngle(kBracketLeft, leftMeetY);
    const double endAngle = frameAngle(bottomMeetX, kBracketBottom);

    QPainterPath path;
    path.moveTo(kBracketLeft, 0.0);
    path.lineTo(right - kCornerRadius, 0.0);
    path.arcTo(QRectF(right - 2 * kCornerRadius, 0.0, 2 * kCornerRadius, 2 * kCornerRadius), 90.0, -90.0);
    path.lineTo(right, kBracketBottom - kCornerRadius);
    path.arcTo(QRectF(right - 2 * kCornerRadius, kBracketBottom - 2 * kCornerRadius, 2 * kCornerRadius, 2 * kCornerRadius), 0.0, -90.0);
    path.lineTo(bottomMeetX, kBracketBottom);
    // Back along the frame ellipse, up the right side and over the top.
    path.arcTo(frameRect(), endAngle, startAngle - endAngle);
    path.lineTo(kBracketLeft, leftMeetY);
    path.closeSubpath();
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath TriagonLogo::lowerBracket()
{
    // Half a turn about the centre of the box.
    QTransform halfTurn;
    halfTurn.translate(designWidth, designHeight);
    halfTurn.rotate(180.0);
    QPainterPath path = halfTurn.map(upperBracket());
    path.setFillRule(Qt::WindingFill);
    return path;
}

QPainterPath TriagonLogo::ring()
{
    QPainterPath path;
    addEllipse(path, kCentreX, kCentreY, kRingRadiusX, kRingRadiusY);
    addEllipse(path, kCentreX, kCentreY, kHoleRadiusX, kHoleRadiusY);
    path.setFillRule(Qt::OddEvenFill);
    return path;
}

QTransform TriagonLogo::designTransform(const QRectF &canvas)
{
    const double s = std::min(canvas.width() / designWidth, canvas.height() / designHeight);
    const double tx = canvas.x() + (canvas.width() - designWidth * s) / 2.0;
    const double ty = canvas.y() + (canvas.height() - designHeight * s) / 2.0;
    QTransform transform;
    transform.translate(tx, ty);
    transform.scale(s, s);
    return transform;
}

void TriagonLogo::drawMark(QPainter &painter, const QRectF &canvas, const QColor &color)
{
    if (!(canvas.width() > 0.0) || !(canvas.height() > 0.0))
        return;
    const QTransform transform = designTransform(canvas);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const QPainterPath &shape : {upperBracket(), lowerBracket(), ring()}) {
        QPainterPath mapped = transform.map(shape);
        mapped.setFillRule(shape.fillRule());
        painter.drawPath(mapped);
    }
    painter.restore();
}

void TriagonLogo::paint(QPainter &painter, const QPointF &topLeft, const QColor &color) const
{
    const double padding = m_size * 0.1;
    drawMark(painter, QRectF(topLeft.x() + padding, topLeft.y() + padding, m_size, m_size), color);
}

namespace {

// The icon's backdrop: a dark rounded square, with the mark at 70 % of its side.
constexpr double kIconCornerFraction = 0.22;
constexpr double kIconMarkFraction = 0.70;
const QColor kIconBackground(24, 24, 27);

} // namespace

QImage TriagonLogo::applicationIconImage(int pixels)
{
    const int side = std::max(pixels, 1);
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kIconBackground);
    const double radius = side * kIconCornerFraction;
    painter.drawRoundedRect(QRectF(0, 0, side, side), radius, radius);
    const double mark = side * kIconMarkFraction;
    const double inset = (side - mark) / 2.0;
    drawMark(painter, QRectF(inset, inset, mark, mark), brandAccentColor());
    return image;
}

QIcon TriagonLogo::applicationIcon()
{
    QIcon icon;
    for (int pixels : {16, 22, 24, 32, 48, 64, 128, 256, 512})
        icon.addPixmap(QPixmap::fromImage(applicationIconImage(pixels)));
    return icon;
}

namespace {

QString svgNumber(double value)
{
    // Two decimals are far below a pixel at any icon size; "-0" is avoided.
    const double rounded = std::round(value * 100.0) / 100.0;
    return QString::number(rounded == 0.0 ? 0.0 : rounded, 'f', 2);
}

QString svgPathData(const QPainterPath &path, const QTransform &transform)
{
    const QPainterPath mapped = transform.map(path);
    QString data;
    for (int i = 0; i < mapped.elementCount(); ++i) {
        const QPainterPath::Element e = mapped.elementAt(i);
        const QString point = svgNumber(e.x) + QLatin1Char(' ') + svgNumber(e.y);
        switch (e.type) {
        case QPainterPath::MoveToElement:
            // A new subpath closes the one before it.
            if (i > 0)
                data += QStringLiteral("Z ");
            data += QStringLiteral("M ") + point + QLatin1Char(' ');
            break;
        case QPainterPath::LineToElement:
            data += QStringLiteral("L ") + point + QLatin1Char(' ');
            break;
        case QPainterPath::CurveToElement:
            data += QStringLiteral("C ") + point + QLatin1Char(' ');
            break;
        case QPainterPath::CurveToDataElement:
            data += point + QLatin1Char(' ');
            break;
        }
    }
    data += QLatin1Char('Z');
    return data;
}

} // namespace

QString TriagonLogo::applicationIconSvg()
{
    constexpr double side = 512.0;
    const double mark = side * kIconMarkFraction;
    const double inset = (side - mark) / 2.0;
    const QTransform transform = designTransform(QRectF(inset, inset, mark, mark));
    const QString fill = brandAccentColor().name();
    const QString radius = svgNumber(side * kIconCornerFraction);

    QString svg;
    svg += QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n");
    svg += QStringLiteral("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"512\" height=\"512\" "
                          "viewBox=\"0 0 512 512\">\n");
    svg += QStringLiteral("  <rect width=\"512\" height=\"512\" rx=\"%1\" ry=\"%1\" fill=\"%2\"/>\n").arg(radius, kIconBackground.name());
    svg += QStringLiteral("  <path fill=\"%1\" fill-rule=\"nonzero\" d=\"%2\"/>\n").arg(fill, svgPathData(upperBracket(), transform));
    svg += QStringLiteral("  <path fill=\"%1\" fill-rule=\"nonzero\" d=\"%2\"/>\n").arg(fill, svgPathData(lowerBracket(), transform));
    svg += QStringLiteral("  <path fill=\"%1\" fill-rule=\"evenodd\" d=\"%2\"/>\n").arg(fill, svgPathData(ring(), transform));
    svg += QStringLiteral("</svg>\n");
    return svg;
}
