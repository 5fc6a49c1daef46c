#include "app/widgets/SegmentedControl.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

SegmentedControl::SegmentedControl(const QStringList &titles, QWidget *parent) : QWidget(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < titles.size(); ++i) {
        auto *segment = new QPushButton(titles.at(i), this);
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segment->setProperty("segmentPosition", i == 0                   ? QStringLiteral("first")
                                                : i == titles.size() - 1 ? QStringLiteral("last")
                                                                         : QStringLiteral("middle"));
        m_group->addButton(segment, i);
        m_segments.append(segment);
        row->addWidget(segment);
    }
    // idClicked comes from clicks only, never from setChecked.
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::choose);
    setCurrentIndex(-1);
    restyle();
}

QAbstractButton *SegmentedControl::segment(int index) const
{
    return index >= 0 && index < m_segments.size() ? m_segments.at(index) : nullptr;
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (QAbstractButton *chosen = segment(index)) {
        chosen->setChecked(true);
        m_current = index;
    } else {
        // An exclusive group keeps one button checked: let go of it for a moment.
        m_group->setExclusive(false);
        for (QAbstractButton *each : m_segments)
            each->setChecked(false);
        m_group->setExclusive(true);
        m_current = -1;
    }
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
    // are reached with the arrow keys. A segment that lacks Tab focus also
    // keeps its button from moving the focus itself, so the arrows come here.
    const int stop = m_current >= 0 ? m_current : 0;
    for (int i = 0; i < m_segments.size(); ++i)
        m_segments.at(i)->setFocusPolicy(i == stop ? Qt::StrongFocus : Qt::ClickFocus);
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
    if (event->type() == QEvent::PaletteChange)
        restyle();
    QWidget::changeEvent(event);
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
    for (QAbstractButton *segment : m_segments)
        segment->setStyleSheet(style);
}
