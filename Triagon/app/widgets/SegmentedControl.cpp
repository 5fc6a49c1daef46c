#include "app/widgets/SegmentedControl.h"

#include "app/widgets/WidgetStyle.h"

#include <QEvent>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>

namespace {

using Look = SegmentedControl::Look;

// One segment: a checkable button whose check only the control sets (a click
// asks the control, which decides), showing a title or a drawing.
class Segment : public QPushButton
{
public:
    Segment(Look look, const QString &title, SymbolDrawer symbol, QWidget *parent)
        : QPushButton(title, parent), m_look(look), m_symbol(std::move(symbol))
    {
        setCheckable(true);
        setAutoDefault(false);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        if (m_look == Look::track)
            setCursor(Qt::PointingHandCursor);
    }

    QSize sizeHint() const override
    {
        if (m_look == Look::joined)
            return QPushButton::sizeHint();
        const QFontMetrics metrics(font());
        const int width = m_symbol ? 18 : metrics.horizontalAdvance(text()) + 14;
        return {width, qMax(18, metrics.height() + 6)};
    }

    QSize minimumSizeHint() const override
    {
        if (m_look == Look::joined)
            return QPushButton::minimumSizeHint();
        return {m_symbol ? 14 : 24, sizeHint().height()};
    }

protected:
    void nextCheckState() override {}

    void keyPressEvent(QKeyEvent *event) override
    {
        // The arrow keys belong to the control, which moves the choice.
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            event->ignore();
            return;
        default:
            QPushButton::keyPressEvent(event);
        }
    }

    void paintEvent(QPaintEvent *event) override
    {
        if (m_look == Look::track) {
            paintOnTrack();
            return;
        }
        QPushButton::paintEvent(event);
        if (!m_symbol)
            return;
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPalette &pal = parentWidget()->palette();
        drawSymbol(painter, QRectF(rect()).adjusted(3, 3, -3, -3),
                   pal.color(isChecked() ? QPalette::HighlightedText : QPalette::ButtonText));
    }

private:
    void drawSymbol(QPainter &painter, const QRectF &face, const QColor &ink) const
    {
        const qreal side = qMin(face.width(), face.height()) - 4;
        QRectF box(0, 0, side, side);
        box.moveCenter(face.center());
        m_symbol(painter, box, ink);
    }

    void paintOnTrack()
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
        const QColor ink = isChecked() ? palette().color(QPalette::WindowText) : WidgetStyle::secondary(this);
        if (m_symbol) {
            drawSymbol(painter, face, ink);
            return;
        }
        painter.setPen(ink);
        painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine,
                         QFontMetrics(font()).elidedText(text(), Qt::ElideRight, int(face.width())));
    }

    Look m_look;
    SymbolDrawer m_symbol;
};

} // namespace

SegmentedControl::SegmentedControl(const QStringList &titles, QWidget *parent) : SegmentedControl(Look::joined, parent)
{
    for (const QString &title : titles)
        addTextSegment(title);
}

SegmentedControl::SegmentedControl(Look look, QWidget *parent) : QWidget(parent), m_look(look)
{
    auto *row = new QHBoxLayout(this);
    row->setSpacing(0);
    if (m_look == Look::track) {
        // Room for the track's edge around the segments.
        row->setContentsMargins(1, 1, 1, 1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    } else {
        row->setContentsMargins(0, 0, 0, 0);
    }
}

void SegmentedControl::addTextSegment(const QString &title)
{
    addSegment(new Segment(m_look, title, {}, this));
}

void SegmentedControl::addSymbolSegment(SymbolDrawer symbol, const QString &name)
{
    auto *segment = new Segment(m_look, QString(), std::move(symbol), this);
    segment->setAccessibleName(name);
    addSegment(segment);
}

void SegmentedControl::addSegment(QAbstractButton *segment)
{
    const int index = count();
    m_segments.append(segment);
    layout()->addWidget(segment);
    // Clicks, Space and an assistive tool's press come as clicks; an
    // assistive tool's toggle only as a toggle.
    connect(segment, &QAbstractButton::clicked, this, [this, index] { choose(index); });
    connect(segment, &QAbstractButton::toggled, this, [this, index] {
        if (!m_settingChecks)
            choose(index);
    });
    if (m_look == Look::joined) {
        for (int i = 0; i < count(); ++i)
            m_segments.at(i)->setProperty("segmentPosition", i == 0             ? QStringLiteral("first")
                                                             : i == count() - 1 ? QStringLiteral("last")
                                                                                : QStringLiteral("middle"));
        restyle();
    }
    setCurrentIndex(m_current);
}

void SegmentedControl::setTextPixels(int pixels)
{
    for (QAbstractButton *segment : std::as_const(m_segments))
        segment->setFont(WidgetStyle::sizedFont(segment->font(), pixels, segment->font().weight()));
}

QAbstractButton *SegmentedControl::segment(int index) const
{
    return index >= 0 && index < m_segments.size() ? m_segments.at(index) : nullptr;
}

void SegmentedControl::setCurrentIndex(int index)
{
    m_current = segment(index) ? index : -1;
    m_settingChecks = true;
    for (int i = 0; i < count(); ++i)
        m_segments.at(i)->setChecked(i == m_current);
    m_settingChecks = false;
    updateTabStop();
}

void SegmentedControl::choose(int index)
{
    if (!segment(index))
        return;
    const bool moved = index != m_current;
    setCurrentIndex(index);
    Q_EMIT activated(index);
    if (moved)
        Q_EMIT currentIndexChanged(index);
}

void SegmentedControl::updateTabStop()
{
    // Tab reaches the chosen segment (the first while none is); the others
    // are reached with the arrow keys. Joined segments take the focus when
    // clicked; those on a track never do.
    const int stop = m_current >= 0 ? m_current : 0;
    const Qt::FocusPolicy stopPolicy = m_look == Look::track ? Qt::TabFocus : Qt::StrongFocus;
    const Qt::FocusPolicy otherPolicy = m_look == Look::track ? Qt::NoFocus : Qt::ClickFocus;
    for (int i = 0; i < count(); ++i)
        m_segments.at(i)->setFocusPolicy(i == stop ? stopPolicy : otherPolicy);
}

void SegmentedControl::keyPressEvent(QKeyEvent *event)
{
    if ((event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) && !m_segments.isEmpty()) {
        const bool forward = (event->key() == Qt::Key_Right) != (layoutDirection() == Qt::RightToLeft);
        const int next = qBound(0, m_current + (forward ? 1 : -1), count() - 1);
        choose(next);
        m_segments.at(next)->setFocus(Qt::TabFocusReason);
        return;
    }
    QWidget::keyPressEvent(event);
}

void SegmentedControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange && m_look == Look::joined)
        restyle();
    QWidget::changeEvent(event);
}

void SegmentedControl::paintEvent(QPaintEvent *)
{
    if (m_look != Look::track)
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QColor track = palette().color(QPalette::WindowText);
    track.setAlphaF(0.07);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
    painter.fillPath(shape, track);
}

void SegmentedControl::restyle()
{
    const QPalette pal = palette();
    // Joined segments: only the outer corners are rounded, and neighbours
    // share one border line.
    const QString style = QStringLiteral(
                              "QPushButton { border: 1px solid %1; background: %2; color: %3; padding: 3px 6px; border-radius: 0; }"
                              "QPushButton:checked { background: %4; color: %5; border-color: %4; }"
                              "QPushButton[segmentPosition=\"first\"] { border-top-left-radius: 5px; border-bottom-left-radius: 5px; }"
                              "QPushButton[segmentPosition=\"last\"] { border-top-right-radius: 5px; border-bottom-right-radius: 5px; }"
                              "QPushButton[segmentPosition=\"middle\"], QPushButton[segmentPosition=\"last\"] { border-left: none; }"
                              "QPushButton:checked[segmentPosition=\"middle\"], QPushButton:checked[segmentPosition=\"last\"]"
                              " { border-left: none; }")
                              .arg(pal.color(QPalette::Mid).name(), pal.color(QPalette::Button).name(),
                                   pal.color(QPalette::ButtonText).name(), pal.color(QPalette::Highlight).name(),
                                   pal.color(QPalette::HighlightedText).name());
    // Set on the segments, not on this widget, so that a style sheet change
    // does not come back as a palette change of this widget.
    for (QAbstractButton *segment : std::as_const(m_segments))
        segment->setStyleSheet(style);
}
