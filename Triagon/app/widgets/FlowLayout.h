#pragma once

#include <QLayout>
#include <QList>
#include <QPointF>
#include <QSizeF>

#include <limits>

// Places its items left to right at their preferred size and wraps to a new
// line when the width runs out, like words in a paragraph. The same spacing
// separates neighbours on a line and the lines. An item wider than the width
// gets a line of its own and overflows; it is never shrunk. Items of a line
// share its top edge; a line is as tall as its tallest item.
class FlowLayout : public QLayout
{
public:
    explicit FlowLayout(qreal spacing, QWidget *parent = nullptr);
    ~FlowLayout() override;

    struct Arrangement
    {
        QList<QPointF> positions; // top-left corner of each item, in item order
        QSizeF size;              // width of the widest line, height of all lines
    };
    // The one computation behind measuring and placing. An infinite width
    // keeps everything on one line.
    static Arrangement arrangeRows(const QList<QSizeF> &sizes, qreal availableWidth, qreal spacing);

    qreal flowSpacing() const { return m_spacing; }

    void addItem(QLayoutItem *item) override;
    int count() const override;
    QLayoutItem *itemAt(int index) const override;
    QLayoutItem *takeAt(int index) override;
    Qt::Orientations expandingDirections() const override { return {}; }
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect &rect) override;

private:
    QList<QSizeF> itemSizes() const;
    qreal m_spacing;
    QList<QLayoutItem *> m_items;
};
