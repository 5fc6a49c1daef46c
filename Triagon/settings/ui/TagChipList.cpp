#include "settings/ui/TagChipList.h"

#include "settings/ui/TagChip.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QScrollBar>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

// Chips put aside for reuse beyond those in view.
constexpr int maxSpareChips = 32;

} // namespace

TagChipList::TagChipList(QWidget *parent) : QAbstractScrollArea(parent)
{
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
    verticalScrollBar()->setSingleStep(20);
}

void TagChipList::setTags(const QStringList &tags)
{
    QSet<QString> seen;
    seen.reserve(tags.size());
    m_tags.clear();
    m_sizes.clear();
    m_tags.reserve(tags.size());
    m_sizes.reserve(tags.size());
    m_tallest = 0;
    const QFontMetricsF metrics(TagChip::nameFont(font()));
    for (const QString &tag : tags) {
        if (seen.contains(tag))
            continue;
        seen.insert(tag);
        m_tags.append(tag);
        m_sizes.append(QSizeF(TagChip::sizeFor(tag, metrics)));
        m_tallest = std::max(m_tallest, m_sizes.last().height());
    }
    setAsideAllChips();
    m_arrangedWidth = -1;
    arrange();
    showChipsInView();
}

void TagChipList::appendTag(const QString &tag)
{
    if (m_tags.contains(tag))
        return;
    m_tags.append(tag);
    m_sizes.append(QSizeF(TagChip::sizeFor(tag, font())));
    m_tallest = std::max(m_tallest, m_sizes.last().height());
    m_arrangedWidth = -1;
    arrange();
    showChipsInView();
}

void TagChipList::removeTag(const QString &tag)
{
    const qsizetype index = m_tags.indexOf(tag);
    if (index < 0)
        return;
    m_tags.removeAt(index);
    m_sizes.removeAt(index);
    setAsideAllChips();
    m_arrangedWidth = -1;
    arrange();
    showChipsInView();
}

void TagChipList::setAsideAllChips()
{
    // The chips on show may stand for other tags in other places now.
    for (TagChip *chip : std::as_const(m_shown)) {
        chip->hide();
        m_spare.append(chip);
    }
    m_shown.clear();
}

QList<TagChip *> TagChipList::chips() const
{
    QList<int> indexes = m_shown.keys();
    std::sort(indexes.begin(), indexes.end());
    QList<TagChip *> result;
    result.reserve(indexes.size());
    for (int index : std::as_const(indexes))
        result.append(m_shown.value(index));
    return result;
}

TagChip *TagChipList::chip(const QString &tag) const
{
    for (TagChip *chip : m_shown) {
        if (chip->tag() == tag)
            return chip;
    }
    return nullptr;
}

void TagChipList::scrollToTag(const QString &tag)
{
    const qsizetype index = m_tags.indexOf(tag);
    if (index < 0)
        return;
    arrange();
    const int top = static_cast<int>(m_arrangement.positions.at(index).y());
    const int bottom = top + static_cast<int>(std::ceil(m_sizes.at(index).height()));
    QScrollBar *bar = verticalScrollBar();
    if (top < bar->value())
        bar->setValue(top);
    else if (bottom > bar->value() + viewport()->height())
        bar->setValue(bottom - viewport()->height());
    showChipsInView();
}

int TagChipList::contentHeight() const
{
    return static_cast<int>(std::ceil(m_arrangement.size.height()));
}

QSize TagChipList::sizeHint() const
{
    // As tall as the chips, at the width they were last placed for; the
    // layout gives less when the window has no room, and the list scrolls.
    return QSize(QAbstractScrollArea::sizeHint().width(), contentHeight());
}

QSize TagChipList::minimumSizeHint() const
{
    // One row of chips.
    const int row = m_sizes.isEmpty() ? 0 : static_cast<int>(std::ceil(m_sizes.first().height()));
    return QSize(0, std::min(row, contentHeight()));
}

void TagChipList::arrange()
{
    const qreal width = viewport()->width();
    if (width == m_arrangedWidth)
        return;
    m_arrangedWidth = width;
    const int before = contentHeight();
    m_arrangement = FlowLayout::arrangeRows(m_sizes, width, spacing);
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, contentHeight() - viewport()->height()));
    if (contentHeight() != before)
        updateGeometry();
}

void TagChipList::showChipsInView()
{
    const int top = verticalScrollBar()->value();
    const int bottom = top + viewport()->height();
    const QList<QPointF> &positions = m_arrangement.positions;
    // Rows go down the list in order: the chips in view are one run of it.
    const auto firstIt = std::lower_bound(positions.cbegin(), positions.cend(), top - m_tallest,
                                          [](const QPointF &p, qreal y) { return p.y() < y; });
    const auto endIt = std::upper_bound(firstIt, positions.cend(), qreal(bottom), [](qreal y, const QPointF &p) { return y < p.y(); });
    const int first = static_cast<int>(firstIt - positions.cbegin());
    const int end = viewport()->height() > 0 ? static_cast<int>(endIt - positions.cbegin()) : first;

    for (auto it = m_shown.begin(); it != m_shown.end();) {
        if (it.key() < first || it.key() >= end) {
            it.value()->hide();
            m_spare.append(it.value());
            it = m_shown.erase(it);
        } else {
            ++it;
        }
    }
    for (int index = first; index < end; ++index) {
        const QRectF place(positions.at(index) - QPointF(0, top), m_sizes.at(index));
        TagChip *chip = m_shown.value(index);
        if (!chip) {
            if (!m_spare.isEmpty()) {
                chip = m_spare.takeLast();
                chip->setTag(m_tags.at(index));
            } else {
                chip = new TagChip(m_tags.at(index), viewport());
                connect(chip, &TagChip::removeClicked, this, &TagChipList::removeRequested);
            }
            m_shown.insert(index, chip);
        }
        chip->setGeometry(place.toAlignedRect());
        chip->show();
    }
    while (m_spare.size() > maxSpareChips)
        m_spare.takeLast()->deleteLater(); // one may be the sender of a click being handled
}

void TagChipList::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    arrange();
    QScrollBar *bar = verticalScrollBar();
    bar->setPageStep(viewport()->height());
    bar->setRange(0, std::max(0, contentHeight() - viewport()->height()));
    showChipsInView();
}

void TagChipList::scrollContentsBy(int, int)
{
    showChipsInView();
}

bool TagChipList::viewportEvent(QEvent *event)
{
    // Nothing is painted here: the chips paint themselves.
    if (event->type() == QEvent::Paint)
        return true;
    return QAbstractScrollArea::viewportEvent(event);
}

void TagChipList::changeEvent(QEvent *event)
{
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        const QStringList tags = m_tags;
        setTags(tags);
    }
}
