#include "window/GridSizeSlider.h"

#include "library/ClipStore.h"

#include <QSignalBlocker>

#include <algorithm>
#include <cmath>

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

GridSizeSlider::GridSizeSlider(ClipStore &store, QWidget *parent) : ValueTextSlider(parent), m_store(store)
{
    setObjectName(QStringLiteral("gridSizeSlider"));
    setRange(1, 5);
    setSingleStep(1);
    setPageStep(1);
    setTickPosition(QSlider::NoTicks);
    // Dragged with the pointer, it leaves the keyboard with the grid; Tab reaches it.
    setFocusPolicy(Qt::TabFocus);
    setAccessibleName(QStringLiteral("Grid size"));
    setValueText([this] { return accessibleValue(); });
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
    refreshValueText();
}
