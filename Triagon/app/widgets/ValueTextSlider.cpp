#include "app/widgets/ValueTextSlider.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>

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

    QVariant currentValue() const override { return slider()->value(); }
    void setCurrentValue(const QVariant &value) override { slider()->setValue(value.toInt()); }
    QVariant maximumValue() const override { return slider()->maximum(); }
    QVariant minimumValue() const override { return slider()->minimum(); }
    QVariant minimumStepSize() const override { return slider()->singleStep(); }
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
    QAccessibleValueChangeEvent event(this, value());
    QAccessible::updateAccessibility(&event);
}
