#pragma once

#include "app/widgets/ValueTextSlider.h"

class ClipStore;

// The sidebar's card size slider over the store's column count. It runs the
// other way from the count, so that moving it right, towards the single large
// square, makes the cards larger: it shows 6 − columns, and a value v stores
// min(max(6 − trunc(v), 1), 5) columns. Assistive technology reads its value
// as the column count ("3 columns").
class GridSizeSlider : public ValueTextSlider
{
    Q_OBJECT
public:
    explicit GridSizeSlider(ClipStore &store, QWidget *parent = nullptr);

    // The slider position of a column count, and the count of a position.
    static double sliderValue(qint64 columns);
    static qint64 columnsFor(double sliderValue);
    // "3 columns", "1 column".
    static QString accessibleValue(qint64 columns);
    QString accessibleValue() const;

private:
    void showStoreValue();

    ClipStore &m_store;
};
