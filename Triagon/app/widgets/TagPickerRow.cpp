#include "app/widgets/TagPickerRow.h"

#include <QAccessible>
#include <QApplication>
#include <QAccessibleWidget>
#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

class TagPickerRowAccessible : public QAccessibleWidget
{
public:
    explicit TagPickerRowAccessible(TagPickerRow *row) : QAccessibleWidget(row, QAccessible::Button) {}

    TagPickerRow *row() const { return static_cast<TagPickerRow *>(widget()); }

    QAccessible::State state() const override
    {
        QAccessible::State s = QAccessibleWidget::state();
        s.focusable = true;
        s.focused = row()->isAccessibleFocus();
        if (!row()->isNewRow()) {
            s.selectable = true;
            s.selected = row()->isSelectedTag();
        }
        return s;
    }

    QStringList actionNames() const override
    {
        if (row()->isNewRow())
            return {pressAction()};
        return {pressAction(), toggleAction()};
    }

    void doAction(const QString &name) override
    {
        if (name == pressAction() || (name == toggleAction() && !row()->isNewRow()))
            row()->activate();
    }

    QStringList keyBindingsForAction(const QString &) const override { return {}; }
};

QAccessibleInterface *tagPickerRowFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("TagPickerRow") && object && object->isWidgetType())
        return new TagPickerRowAccessible(static_cast<TagPickerRow *>(object));
    return nullptr;
}

} // namespace

TagPickerRow::TagPickerRow(QWidget *parent, std::function<void()> clicked, std::function<void()> entered)
    : QWidget(parent), m_clicked(std::move(clicked)), m_entered(std::move(entered))
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(tagPickerRowFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setAttribute(Qt::WA_Hover, true);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void TagPickerRow::setLook(const QString &text, bool selected, const QColor &textColor, const QColor &fill, bool focused,
                           const QColor &accent, bool isNewRow)
{
    const bool selectionChanged = selected != m_selected;
    const bool highlighted = focused && !m_focused;
    m_text = text;
    m_selected = selected;
    m_textColor = textColor;
    m_fill = fill;
    m_focused = focused;
    m_accent = accent;
    m_isNewRow = isNewRow;
    QFont f = font();
    f.setPixelSize(12);
    f.setWeight(selected ? QFont::Bold : QFont::Medium);
    m_font = f;
    updateGeometry();
    update();
    if (selectionChanged && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
    if (highlighted)
        announceFocus();
}

bool TagPickerRow::isAccessibleFocus() const
{
    const QWidget *keyboard = QApplication::focusWidget();
    return m_focused && keyboard && keyboard->isAncestorOf(this);
}

void TagPickerRow::announceFocus()
{
    if (!QAccessible::isActive() || !isAccessibleFocus())
        return;
    QAccessibleEvent event(this, QAccessible::Focus);
    QAccessible::updateAccessibility(&event);
}

void TagPickerRow::activate()
{
    if (m_clicked)
        m_clicked();
}

QSize TagPickerRow::sizeHint() const
{
    const QFontMetrics fm(m_font);
    int w = fm.horizontalAdvance(m_text) + 24;
    if (m_isNewRow)
        w += 10 + 4;
    return QSize(w, fm.height() + 12);
}

void TagPickerRow::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const qreal radius = r.height() / 2;
    p.setPen(Qt::NoPen);
    p.setBrush(m_fill);
    p.drawRoundedRect(r, radius, radius);
    if (m_focused) {
        p.setPen(QPen(m_accent, 2));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(r.adjusted(1, 1, -1, -1), radius - 1, radius - 1);
    }
    p.setPen(m_textColor);
    p.setFont(m_font);
    QRectF textRect = QRectF(rect()).adjusted(12, 0, -12, 0);
    if (m_isNewRow) {
        // A plus drawn with two strokes, then the label.
        const qreal cy = rect().height() / 2.0;
        const qreal cx = textRect.left() + 5;
        p.setPen(QPen(m_textColor, 1.6, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(cx - 4, cy), QPointF(cx + 4, cy));
        p.drawLine(QPointF(cx, cy - 4), QPointF(cx, cy + 4));
        p.setPen(m_textColor);
        textRect.setLeft(textRect.left() + 14);
    }
    p.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft, m_text);
}

void TagPickerRow::mouseReleaseEvent(QMouseEvent *event)
{
    if (rect().contains(event->position().toPoint()))
        activate();
}

void TagPickerRow::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void TagPickerRow::enterEvent(QEnterEvent *)
{
    if (m_entered)
        m_entered();
}
