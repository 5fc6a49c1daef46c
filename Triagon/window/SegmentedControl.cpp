#include "window/SegmentedControl.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>

namespace {

class Segment : public QAbstractButton
{
public:
    Segment(const QString &text, SegmentedControl::Drawer symbol, QWidget *parent)
        : QAbstractButton(parent), m_symbol(std::move(symbol))
    {
        setText(text);
        setCheckable(true);
        setFocusPolicy(Qt::TabFocus);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics(font());
        const int width = m_symbol ? 18 : metrics.horizontalAdvance(text()) + 14;
        return QSize(width, qMax(18, metrics.height() + 6));
    }
    QSize minimumSizeHint() const override { return QSize(m_symbol ? 14 : 24, sizeHint().height()); }

protected:
    // The control decides which segment is chosen.
    void nextCheckState() override {}

    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QRectF face = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
        if (isChecked()) {
            QPainterPath shape;
            shape.addRoundedRect(face, 4, 4);
            painter.fillPath(shape, palette().color(QPalette::Button).lighter(isDown() ? 95 : 115));
            QColor edge = palette().color(QPalette::WindowText);
            edge.setAlphaF(0.12);
            painter.setPen(QPen(edge, 0.5));
            painter.drawPath(shape);
        } else if (isDown()) {
            QColor wash = palette().color(QPalette::WindowText);
            wash.setAlphaF(0.08);
            QPainterPath shape;
            shape.addRoundedRect(face, 4, 4);
            painter.fillPath(shape, wash);
        }
        if (hasFocus()) {
            painter.setPen(QPen(palette().color(QPalette::Highlight), 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRoundedRect(face, 4, 4);
        }
        const QColor ink = palette().color(isChecked() ? QPalette::WindowText : QPalette::PlaceholderText);
        if (m_symbol) {
            const qreal side = qMin(face.width(), face.height()) - 4;
            QRectF box(0, 0, side, side);
            box.moveCenter(face.center());
            m_symbol(painter, box, ink);
            return;
        }
        painter.setPen(ink);
        painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine,
                         QFontMetrics(font()).elidedText(text(), Qt::ElideRight, int(face.width())));
    }

private:
    SegmentedControl::Drawer m_symbol;
};

} // namespace

SegmentedControl::SegmentedControl(QWidget *parent) : QWidget(parent)
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(1, 1, 1, 1);
    row->setSpacing(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void SegmentedControl::addSegment(QAbstractButton *segment)
{
    const int index = int(m_segments.size());
    m_segments.append(segment);
    layout()->addWidget(segment);
    connect(segment, &QAbstractButton::clicked, this, [this, index] {
        setCurrentIndex(index);
        Q_EMIT activated(index);
    });
    // Assistive technology toggles a segment instead of clicking it.
    connect(segment, &QAbstractButton::toggled, this, [this, index](bool) {
        if (m_settingCurrent)
            return;
        setCurrentIndex(index);
        Q_EMIT activated(index);
    });
}

void SegmentedControl::addTextSegment(const QString &text)
{
    addSegment(new Segment(text, {}, this));
}

void SegmentedControl::addSymbolSegment(Drawer symbol, const QString &name)
{
    auto *segment = new Segment(QString(), std::move(symbol), this);
    // No tooltip of its own: the control's tooltip shows over every segment.
    segment->setAccessibleName(name);
    addSegment(segment);
}

void SegmentedControl::setCurrentIndex(int index)
{
    m_current = index;
    m_settingCurrent = true;
    for (int i = 0; i < m_segments.size(); ++i)
        m_segments[i]->setChecked(i == index);
    m_settingCurrent = false;
}

void SegmentedControl::setTextPixels(int pixels)
{
    for (QAbstractButton *segment : std::as_const(m_segments)) {
        QFont f = segment->font();
        f.setPixelSize(pixels);
        segment->setFont(f);
    }
}

void SegmentedControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.07);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(shape, track);
}
