#include "app/widgets/ValueTextSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

#include <algorithm>
#include <cmath>

namespace {

class ValueTextSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit ValueTextSliderAccessible(ValueTextSlider *slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    ValueTextSlider *slider() const { return static_cast<ValueTextSlider *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return slider()->valueText();
        return QAccessibleWidget::text(t);
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ValueInterface)
            return static_cast<QAccessibleValueInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QVariant currentValue() const override { return scaled(slider()->value()); }
    void setCurrentValue(const QVariant &value) override
    {
        const double scale = slider()->valueScale();
        const double wanted = value.toDouble() / (scale != 0 ? scale : 1.0);
        if (std::isfinite(wanted))
            slider()->setValue(static_cast<int>(std::lround(std::clamp(wanted, double(slider()->minimum()), double(slider()->maximum())))));
    }
    QVariant maximumValue() const override { return scaled(slider()->maximum()); }
    QVariant minimumValue() const override { return scaled(slider()->minimum()); }
    QVariant minimumStepSize() const override { return scaled(slider()->singleStep()); }

private:
    QVariant scaled(int position) const
    {
        const double scale = slider()->valueScale();
        if (scale == 1)
            return position;
        return position * scale;
    }
};

QAccessibleInterface *valueTextSliderFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("ValueTextSlider") && object && object->isWidgetType())
        return new ValueTextSliderAccessible(static_cast<ValueTextSlider *>(object));
    return nullptr;
}

} // namespace

ValueTextSlider::ValueTextSlider(QWidget *parent) : QSlider(Qt::Horizontal, parent)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(valueTextSliderFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
}

void ValueTextSlider::setValueText(ValueText text)
{
    m_valueText = std::move(text);
    refreshValueText();
}

QString ValueTextSlider::valueText() const
{
    return m_valueText ? m_valueText() : QString::number(value());
}

void ValueTextSlider::refreshValueText()
{
    setAccessibleDescription(m_valueText ? m_valueText() : QString());
    QAccessibleValueChangeEvent event(this, m_scale == 1 ? QVariant(value()) : QVariant(value() * m_scale));
    QAccessible::updateAccessibility(&event);
}
