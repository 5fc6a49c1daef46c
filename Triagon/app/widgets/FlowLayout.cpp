#include "app/widgets/FlowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>

FlowLayout::FlowLayout(qreal spacing, QWidget *parent) : QLayout(parent), m_spacing(spacing)
{
    setContentsMargins(0, 0, 0, 0);
}

FlowLayout::~FlowLayout()
{
    while (QLayoutItem *item = takeAt(0))
        delete item;
}

FlowLayout::Arrangement FlowLayout::arrangeRows(const QList<QSizeF> &sizes, qreal availableWidth, qreal spacing)
{
    Arrangement result;
    result.positions.reserve(sizes.size());
    qreal x = 0;
    qreal y = 0;
    qreal lineHeight = 0;
    qreal usedWidth = 0;
    for (const QSizeF &size : sizes) {
        const qreal w = size.width();
        const qreal h = size.height();
        if (x > 0 && x + w > availableWidth) {
            y += lineHeight + spacing;
            x = 0;
            lineHeight = 0;
        }
        result.positions.append(QPointF(x, y));
        lineHeight = std::max(lineHeight, h);
        x += w + spacing;
        usedWidth = std::max(usedWidth, x - spacing);
    }
    result.size = sizes.isEmpty() ? QSizeF(0, 0) : QSizeF(usedWidth, y + lineHeight);
    return result;
}

void FlowLayout::addItem(QLayoutItem *item)
{
    m_items.append(item);
}

int FlowLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem *FlowLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem *FlowLayout::takeAt(int index)
{
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

QList<QSizeF> FlowLayout::itemSizes() const
{
    QList<QSizeF> sizes;
    sizes.reserve(m_items.size());
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        sizes.append(QSizeF(item->sizeHint()));
    }
    return sizes;
}

int FlowLayout::heightForWidth(int width) const
{
    const QMargins m = contentsMargins();
    const qreal inner = width - m.left() - m.right();
    return static_cast<int>(std::ceil(arrangeRows(itemSizes(), inner, m_spacing).size.height())) + m.top() + m.bottom();
}

QSize FlowLayout::sizeHint() const
{
    const QMargins m = contentsMargins();
    const QSizeF s = arrangeRows(itemSizes(), std::numeric_limits<qreal>::infinity(), m_spacing).size;
    return QSize(static_cast<int>(std::ceil(s.width())) + m.left() + m.right(),
                 static_cast<int>(std::ceil(s.height())) + m.top() + m.bottom());
}

QSize FlowLayout::minimumSize() const
{
    // The widest single item: the layout can always wrap down to it.
    QSize size;
    for (QLayoutItem *item : m_items)
        size = size.expandedTo(item->minimumSize());
    const QMargins m = contentsMargins();
    return size + QSize(m.left() + m.right(), m.top() + m.bottom());
}

void FlowLayout::setGeometry(const QRect &rect)
{
    QLayout::setGeometry(rect);
    const QRect inner = rect.marginsRemoved(contentsMargins());
    QList<QLayoutItem *> shown;
    QList<QSizeF> sizes;
    for (QLayoutItem *item : m_items) {
        if (item->isEmpty())
            continue;
        shown.append(item);
        sizes.append(QSizeF(item->sizeHint()));
    }
    const Arrangement arrangement = arrangeRows(sizes, inner.width(), m_spacing);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        const QPointF p = arrangement.positions.at(i);
        shown.at(i)->setGeometry(QRect(QPoint(inner.x() + qRound(p.x()), inner.y() + qRound(p.y())), shown.at(i)->sizeHint()));
    }
}
