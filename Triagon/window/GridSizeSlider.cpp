#include "window/GridSizeSlider.h"

#include "library/ClipStore.h"

#include <QAccessible>
#include <QAccessibleValueInterface>
#include <QAccessibleWidget>
#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

namespace {

// Reads the slider as the column count it stands for.
class GridSizeSliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface
{
public:
    explicit GridSizeSliderAccessible(GridSizeSlider *slider) : QAccessibleWidget(slider, QAccessible::Slider) {}

    GridSizeSlider *slider() const { return static_cast<GridSizeSlider *>(widget()); }

    QString text(QAccessible::Text t) const override
    {
        if (t == QAccessible::Value)
            return slider()->accessibleValue();
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

QAccessibleInterface *gridSizeSliderFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("GridSizeSlider") && object && object->isWidgetType())
        return new GridSizeSliderAccessible(static_cast<GridSizeSlider *>(object));
    return nullptr;
}

} // namespace

double GridSizeSlider::sliderValue(qint64 columns)
{
    return double(6 - columns);
}

qint64 GridSizeSlider::columnsFor(double sliderValue)
{
    // A position that is no number stands for the middle.
    const double whole = std::isfinite(sliderValue) ? std::trunc(std::clamp(sliderValue, -1e6, 1e6)) : 3.0;
    return std::min<qint64>(std::max<qint64>(6 - qint64(whole), 1), 5);
}

QString GridSizeSlider::accessibleValue(qint64 columns)
{
    return QString::number(columns) + (columns == 1 ? QStringLiteral(" column") : QStringLiteral(" columns"));
}

QString GridSizeSlider::accessibleValue() const
{
    return accessibleValue(m_store.gridColumns());
}

GridSizeSlider::GridSizeSlider(ClipStore &store, QWidget *parent) : QSlider(Qt::Horizontal, parent), m_store(store)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(gridSizeSliderFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    setObjectName(QStringLiteral("gridSizeSlider"));
    setRange(1, 5);
    setSingleStep(1);
    setPageStep(1);
    setTickPosition(QSlider::NoTicks);
    setAccessibleName(QStringLiteral("Grid size"));
    connect(this, &QSlider::valueChanged, this, [this](int value) { m_store.setGridColumns(columnsFor(value)); });
    connect(&m_store, &ClipStore::viewOptionsChanged, this, &GridSizeSlider::showStoreValue);
    showStoreValue();
}

void GridSizeSlider::showStoreValue()
{
    const qint64 columns = m_store.gridColumns();
    // A count outside 1 to 5 (never stored by us) shows at the nearer end
    // without being written back.
    const QSignalBlocker blocker(this);
    setValue(int(std::clamp(sliderValue(std::clamp<qint64>(columns, 1, 5)), 1.0, 5.0)));
    QAccessibleValueChangeEvent event(this, value());
    QAccessible::updateAccessibility(&event);
}
