// The drawings of the main window: the sidebar's filters, view options and
// tools, the toolbar and the window's sheets. They fill the window's symbol
// square (8 % inset) and stroke with the window's pen.
#include "app/SymbolDrawings.h"

#include <QPainterPath>
#include <QtMath>

namespace {

using namespace SymbolDrawings;

// The stem and head of the drop arrow inside the symbol square r.
QPainterPath downArrow(const QRectF &r)
{
    const qreal s = r.width();
    const QPointF c = r.center();
    QPainterPath path;
    path.moveTo(c.x(), r.top() + s * 0.27);
    path.lineTo(c.x(), r.bottom() - s * 0.27);
    path.moveTo(c.x() - s * 0.17, r.bottom() - s * 0.42);
    path.lineTo(c.x(), r.bottom() - s * 0.26);
    path.lineTo(c.x() + s * 0.17, r.bottom() - s * 0.42);
    return path;
}

// The square every drawing fills (the box's smaller side, centred, inset by
// 8 %) and the line every drawing strokes with, for a symbol of side `side`.
QRectF windowSquare(const QRectF &box)
{
    return SymbolPainting::squareIn(box, 0.08);
}

QPen windowPen(const QColor &color, qreal side)
{
    return SymbolPainting::strokePen(color, side * 0.09);
}

void drawFolderAdd(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s));
    painter.setBrush(Qt::NoBrush);
    QPainterPath folder;
    folder.moveTo(r.left(), r.top() + s * 0.2);
    folder.lineTo(r.left() + s * 0.35, r.top() + s * 0.2);
    folder.lineTo(r.left() + s * 0.45, r.top() + s * 0.32);
    folder.lineTo(r.right(), r.top() + s * 0.32);
    folder.lineTo(r.right(), r.top() + s * 0.5);
    folder.moveTo(r.left() + s * 0.55, r.bottom() - s * 0.1);
    folder.lineTo(r.left(), r.bottom() - s * 0.1);
    folder.lineTo(r.left(), r.top() + s * 0.2);
    painter.drawPath(folder);
    const QPointF plus(r.right() - s * 0.18, r.bottom() - s * 0.22);
    painter.drawLine(QPointF(plus.x() - s * 0.17, plus.y()), QPointF(plus.x() + s * 0.17, plus.y()));
    painter.drawLine(QPointF(plus.x(), plus.y() - s * 0.17), QPointF(plus.x(), plus.y() + s * 0.17));
}

void drawOfflineDrive(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(r.left(), r.top() + s * 0.45, s * 0.62, s * 0.35), s * 0.08, s * 0.08);
    painter.drawPoint(QPointF(r.left() + s * 0.48, r.top() + s * 0.625));
    const qreal x = r.right() - s * 0.14;
    painter.drawLine(QPointF(x, r.top() + s * 0.1), QPointF(x, r.top() + s * 0.55));
    painter.drawPoint(QPointF(x, r.top() + s * 0.78));
}

void drawSidebar(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box).adjusted(0, windowSquare(box).height() * 0.1, 0, -windowSquare(box).height() * 0.1);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(r, s * 0.1, s * 0.1);
    painter.drawLine(QPointF(r.left() + s * 0.34, r.top()), QPointF(r.left() + s * 0.34, r.bottom()));
}

void drawHelp(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r);
    QPainterPath hook;
    hook.moveTo(r.center().x() - s * 0.14, r.top() + s * 0.36);
    hook.arcTo(QRectF(r.center().x() - s * 0.14, r.top() + s * 0.22, s * 0.28, s * 0.26), 180, -240);
    hook.lineTo(r.center().x(), r.top() + s * 0.6);
    painter.drawPath(hook);
    painter.drawPoint(QPointF(r.center().x(), r.top() + s * 0.76));
}

void drawDropArrow(QPainter &painter, const QRectF &box, const QColor &color, bool filled)
{
    if (filled) {
        // The arrow is cut out of the disc, so the disc is drawn on a layer of
        // its own: cutting into the window itself would punch a hole in it.
        SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
            const QRectF r = windowSquare(local);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(r);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.setPen(windowPen(Qt::black, r.width() * 0.8));
            p.setBrush(Qt::NoBrush);
            p.drawPath(downArrow(r));
        });
        return;
    }
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    const QPen pen = windowPen(color, s * 0.8);
    QPen dotted = pen;
    dotted.setDashPattern({0.1, 2.2});
    painter.setPen(dotted);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(r.adjusted(s * 0.04, s * 0.04, -s * 0.04, -s * 0.04));
    painter.setPen(pen);
    painter.drawPath(downArrow(r));
}

void prepare(QPainter &painter, const QColor &color, qreal side, qreal weight = 0.8)
{
    painter.setPen(windowPen(color, side * weight));
    painter.setBrush(Qt::NoBrush);
}

QPainterPath eyeOutline(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.center().y());
    path.quadTo(QPointF(r.center().x(), r.top() + s * 0.1), QPointF(r.right(), r.center().y()));
    path.quadTo(QPointF(r.center().x(), r.bottom() - s * 0.1), QPointF(r.left(), r.center().y()));
    return path;
}

void slash(QPainter &painter, const QRectF &r)
{
    painter.drawLine(QPointF(r.left() + r.width() * 0.08, r.top() + r.height() * 0.08),
                     QPointF(r.right() - r.width() * 0.08, r.bottom() - r.height() * 0.08));
}

QPainterPath speakerBody(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    path.moveTo(r.left(), r.top() + s * 0.36);
    path.lineTo(r.left() + s * 0.2, r.top() + s * 0.36);
    path.lineTo(r.left() + s * 0.45, r.top() + s * 0.14);
    path.lineTo(r.left() + s * 0.45, r.bottom() - s * 0.14);
    path.lineTo(r.left() + s * 0.2, r.bottom() - s * 0.36);
    path.lineTo(r.left(), r.bottom() - s * 0.36);
    path.closeSubpath();
    return path;
}

// Fills the speaker and readies the pen for what comes out of it; returns
// the symbol square.
QRectF drawSpeaker(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(speakerBody(r));
    prepare(painter, color, r.width(), 0.7);
    return r;
}

// A raised open hand: palm and four fingers, thumb to the left.
QPainterPath handPath(const QRectF &r)
{
    const qreal s = r.width();
    QPainterPath path;
    const qreal fingerWidth = s * 0.15;
    const qreal palmTop = r.top() + s * 0.45;
    const qreal left = r.left() + s * 0.22;
    const qreal heights[] = {0.18, 0.05, 0.1, 0.22};
    for (int i = 0; i < 4; ++i) {
        const QRectF finger(left + i * (fingerWidth + s * 0.02), r.top() + s * heights[i], fingerWidth,
                            palmTop - (r.top() + s * heights[i]) + s * 0.1);
        path.addRoundedRect(finger, fingerWidth / 2, fingerWidth / 2);
    }
    const QRectF palm(left, palmTop, 4 * fingerWidth + 3 * s * 0.02, s * 0.45);
    path.addRoundedRect(palm, s * 0.14, s * 0.14);
    QPainterPath thumb;
    thumb.moveTo(left + s * 0.04, palmTop + s * 0.22);
    thumb.lineTo(r.left() + s * 0.02, palmTop - s * 0.02);
    thumb.lineTo(r.left() + s * 0.14, palmTop - s * 0.08);
    thumb.lineTo(left + s * 0.12, palmTop + s * 0.08);
    thumb.closeSubpath();
    path.addPath(thumb);
    return path.simplified();
}

void drawEye(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    prepare(painter, color, r.width());
    painter.drawPath(eyeOutline(r));
    painter.setBrush(color);
    painter.drawEllipse(r.center(), r.width() * 0.13, r.width() * 0.13);
}

void drawEyeSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawEye(painter, box, color);
    prepare(painter, color, windowSquare(box).width());
    slash(painter, windowSquare(box));
}

void drawSpeakerWave(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = drawSpeaker(painter, box, color);
    const qreal s = r.width();
    for (int i = 1; i <= 2; ++i) {
        const qreal radius = s * (0.14 + 0.16 * i);
        const QRectF arc(r.left() + s * 0.42 - radius, r.center().y() - radius, radius * 2, radius * 2);
        painter.drawArc(arc, -45 * 16, 90 * 16);
    }
}

void drawSpeakerSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = drawSpeaker(painter, box, color);
    const qreal s = r.width();
    painter.drawLine(QPointF(r.left() + s * 0.62, r.top() + s * 0.36), QPointF(r.right() - s * 0.06, r.bottom() - s * 0.36));
    painter.drawLine(QPointF(r.left() + s * 0.62, r.bottom() - s * 0.36), QPointF(r.right() - s * 0.06, r.top() + s * 0.36));
}

void drawDenseGrid(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal gap = r.width() * 0.08;
    const qreal w = (r.width() - 3 * gap) / 4;
    const qreal h = (r.height() * 0.8 - 2 * gap) / 3;
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 4; ++column)
            painter.drawRect(QRectF(r.left() + column * (w + gap), r.top() + r.height() * 0.1 + row * (h + gap), w, h));
    }
}

void drawSquare(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    prepare(painter, color, r.width());
    painter.drawRoundedRect(r.adjusted(r.width() * 0.06, r.width() * 0.06, -r.width() * 0.06, -r.width() * 0.06), r.width() * 0.12,
                            r.width() * 0.12);
}

void drawWaveform(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    prepare(painter, color, s, 0.9);
    const qreal heights[] = {0.2, 0.5, 0.85, 0.45, 0.7, 0.3, 0.15};
    const int bars = int(std::size(heights));
    for (int i = 0; i < bars; ++i) {
        const qreal x = r.left() + s * 0.05 + i * (s * 0.9 / (bars - 1));
        const qreal half = s * heights[i] / 2;
        painter.drawLine(QPointF(x, r.center().y() - half), QPointF(x, r.center().y() + half));
    }
}

void drawHand(QPainter &painter, const QRectF &box, const QColor &color)
{
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(handPath(windowSquare(box)));
}

void drawHandSlash(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    prepare(painter, color, r.width(), 0.6);
    painter.drawPath(handPath(r));
    prepare(painter, color, r.width());
    slash(painter, r);
}

void drawUTurnDown(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    prepare(painter, color, s);
    QPainterPath path;
    path.moveTo(r.left() + s * 0.2, r.bottom() - s * 0.05);
    path.lineTo(r.left() + s * 0.2, r.top() + s * 0.4);
    path.arcTo(QRectF(r.left() + s * 0.2, r.top() + s * 0.1, s * 0.56, s * 0.6), 180, -180);
    path.lineTo(r.left() + s * 0.76, r.bottom() - s * 0.2);
    painter.drawPath(path);
    QPainterPath head;
    head.moveTo(r.left() + s * 0.58, r.bottom() - s * 0.36);
    head.lineTo(r.left() + s * 0.76, r.bottom() - s * 0.16);
    head.lineTo(r.left() + s * 0.94, r.bottom() - s * 0.36);
    painter.drawPath(head);
}

void drawTag(QPainter &painter, const QRectF &box, const QColor &color)
{
    // The hole is cut out of the tag on a layer of its own.
    SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
        const QRectF r = windowSquare(local);
        const qreal s = r.width();
        QPainterPath tag;
        tag.moveTo(r.left() + s * 0.05, r.top() + s * 0.1);
        tag.lineTo(r.left() + s * 0.5, r.top() + s * 0.1);
        tag.lineTo(r.right() - s * 0.02, r.top() + s * 0.58);
        tag.lineTo(r.left() + s * 0.55, r.bottom() - s * 0.02);
        tag.lineTo(r.left() + s * 0.05, r.top() + s * 0.55);
        tag.closeSubpath();
        p.setPen(windowPen(color, s * 0.5));
        p.setBrush(color);
        p.drawPath(tag);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        p.drawEllipse(QPointF(r.left() + s * 0.28, r.top() + s * 0.32), s * 0.09, s * 0.09);
    });
}

void drawStar(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const QPointF c = r.center() + QPointF(0, r.height() * 0.04);
    const qreal outer = r.width() * 0.5;
    const qreal inner = outer * 0.45;
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal angle = -M_PI / 2 + i * M_PI / 5;
        const qreal radius = i % 2 == 0 ? outer : inner;
        const QPointF point(c.x() + radius * std::cos(angle), c.y() + radius * std::sin(angle));
        if (i == 0)
            star.moveTo(point);
        else
            star.lineTo(point);
    }
    star.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(star);
}

void drawCheckmarkCircle(QPainter &painter, const QRectF &box, const QColor &color, bool filled)
{
    const auto check = [](const QRectF &r) {
        const qreal s = r.width();
        QPainterPath path;
        path.moveTo(r.left() + s * 0.28, r.top() + s * 0.52);
        path.lineTo(r.left() + s * 0.44, r.top() + s * 0.67);
        path.lineTo(r.left() + s * 0.73, r.top() + s * 0.35);
        return path;
    };
    if (filled) {
        SymbolPainting::paintOnLayer(painter, box, [&color, &check](QPainter &p, const QRectF &local) {
            const QRectF r = windowSquare(local);
            p.setPen(Qt::NoPen);
            p.setBrush(color);
            p.drawEllipse(r);
            p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
            p.setPen(windowPen(Qt::black, r.width()));
            p.setBrush(Qt::NoBrush);
            p.drawPath(check(r));
        });
        return;
    }
    const QRectF r = windowSquare(box);
    prepare(painter, color, r.width());
    painter.drawEllipse(r);
    painter.drawPath(check(r));
}

// A curved arrow from the right towards the left, its head at the left end;
// mirrored it points to the right.
void drawTurnArrow(QPainter &painter, const QRectF &box, const QColor &color, bool mirrored)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.save();
    if (mirrored) {
        painter.translate(r.center().x() * 2, 0);
        painter.scale(-1, 1);
    }
    painter.setPen(windowPen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(r.left() + s * 0.12, r.top() + s * 0.38);
    path.lineTo(r.left() + s * 0.62, r.top() + s * 0.38);
    path.arcTo(QRectF(r.left() + s * 0.42, r.top() + s * 0.38, s * 0.44, s * 0.44), 90, -180);
    path.lineTo(r.left() + s * 0.4, r.top() + s * 0.82);
    painter.drawPath(path);
    QPainterPath head;
    head.moveTo(r.left() + s * 0.3, r.top() + s * 0.2);
    head.lineTo(r.left() + s * 0.12, r.top() + s * 0.38);
    head.lineTo(r.left() + s * 0.3, r.top() + s * 0.56);
    painter.drawPath(head);
    painter.restore();
}

void drawUndo(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawTurnArrow(painter, box, color, false);
}

void drawRedo(QPainter &painter, const QRectF &box, const QColor &color)
{
    drawTurnArrow(painter, box, color, true);
}

void drawCounterclockwise(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    const QRectF ring = r.adjusted(s * 0.1, s * 0.1, -s * 0.1, -s * 0.1);
    // From the top, anticlockwise round to the right-hand side.
    painter.drawArc(ring, 100 * 16, 290 * 16);
    const QPointF tip(ring.center().x() - ring.width() / 2 * 0.17, ring.top());
    QPainterPath head;
    head.moveTo(tip + QPointF(s * 0.2, -s * 0.14));
    head.lineTo(tip);
    head.lineTo(tip + QPointF(s * 0.2, s * 0.14));
    painter.drawPath(head);
}

void drawCloseCircle(QPainter &painter, const QRectF &box, const QColor &color)
{
    SymbolPainting::paintOnLayer(painter, box, [&color](QPainter &p, const QRectF &local) {
        const QRectF r = windowSquare(local);
        const qreal s = r.width();
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(r);
        p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        p.setPen(windowPen(Qt::black, s));
        const QPointF c = r.center();
        p.drawLine(c + QPointF(-s * 0.16, -s * 0.16), c + QPointF(s * 0.16, s * 0.16));
        p.drawLine(c + QPointF(-s * 0.16, s * 0.16), c + QPointF(s * 0.16, -s * 0.16));
    });
}

void drawWarning(QPainter &painter, const QRectF &box, const QColor &color)
{
    const QRectF r = windowSquare(box);
    const qreal s = r.width();
    painter.setPen(windowPen(color, s * 0.8));
    painter.setBrush(Qt::NoBrush);
    QPainterPath triangle;
    triangle.moveTo(r.center().x(), r.top() + s * 0.06);
    triangle.lineTo(r.right(), r.bottom() - s * 0.08);
    triangle.lineTo(r.left(), r.bottom() - s * 0.08);
    triangle.closeSubpath();
    painter.drawPath(triangle);
    painter.drawLine(QPointF(r.center().x(), r.top() + s * 0.36), QPointF(r.center().x(), r.top() + s * 0.6));
    painter.drawPoint(QPointF(r.center().x(), r.top() + s * 0.75));
}

} // namespace

QList<SymbolDrawings::Entry> SymbolDrawings::window()
{
    return {
        {"plus.rectangle.on.folder", drawFolderAdd},
        {"externaldrive.badge.exclamationmark", drawOfflineDrive},
        {"sidebar.left", drawSidebar},
        {"questionmark.circle", drawHelp},
        {"arrow.down.circle.fill", [](QPainter &p, const QRectF &box, const QColor &color) { drawDropArrow(p, box, color, true); }},
        {"arrow.down.circle.dotted", [](QPainter &p, const QRectF &box, const QColor &color) { drawDropArrow(p, box, color, false); }},
        {"eye", drawEye},
        {"eye.slash", drawEyeSlash},
        {"speaker.wave.2.fill", drawSpeakerWave},
        {"speaker.slash.fill", drawSpeakerSlash},
        {"square.grid.4x3.fill", drawDenseGrid},
        {"square", drawSquare},
        {"waveform", drawWaveform},
        {"hand.raised.fill", drawHand},
        {"hand.raised.slash", drawHandSlash},
        {"arrow.uturn.down", drawUTurnDown},
        {"tag.fill", drawTag},
        {"star.fill", drawStar},
        {"checkmark.circle.fill", [](QPainter &p, const QRectF &box, const QColor &color) { drawCheckmarkCircle(p, box, color, true); }},
        {"checkmark.circle", [](QPainter &p, const QRectF &box, const QColor &color) { drawCheckmarkCircle(p, box, color, false); }},
        {"arrow.uturn.backward", drawUndo},
        {"arrow.uturn.forward", drawRedo},
        {"arrow.counterclockwise", drawCounterclockwise},
        {"xmark.circle.fill", drawCloseCircle},
        {"exclamationmark.triangle", drawWarning},
    };
}
