#include "settings/ui/SegmentedControl.h"

#include <QButtonGroup>
#include <QEvent>
#include <QHBoxLayout>
#include <QPushButton>

SegmentedControl::SegmentedControl(const QStringList &labels, QWidget *parent)
    : QWidget(parent), m_group(new QButtonGroup(this))
{
    m_group->setExclusive(true);
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (int i = 0; i < labels.size(); ++i) {
        auto *segment = new QPushButton(labels.at(i), this);
        segment->setCheckable(true);
        segment->setAutoDefault(false);
        segment->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        segment->setProperty("segmentPosition", i == 0 ? QStringLiteral("first")
                                                 : i == labels.size() - 1 ? QStringLiteral("last")
                                                                          : QStringLiteral("middle"));
        m_group->addButton(segment, i);
        m_segments.append(segment);
        row->addWidget(segment);
    }
    // idClicked comes from clicks only, never from setChecked.
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::segmentClicked);
    restyle();
}

int SegmentedControl::selectedIndex() const
{
    return m_group->checkedId();
}

void SegmentedControl::setSelectedIndex(int index)
{
    if (index < 0 || index >= m_segments.size()) {
        m_group->setExclusive(false);
        for (QAbstractButton *segment : m_segments)
            segment->setChecked(false);
        m_group->setExclusive(true);
        return;
    }
    m_segments.at(index)->setChecked(true);
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
    // Set on the children so that a style sheet change does not loop back
    // into a palette change of this widget.
    for (QAbstractButton *segment : m_segments)
        segment->setStyleSheet(style);
}
