#include "organize/ui/SegmentedControl.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPushButton>

SegmentedControl::SegmentedControl(const QStringList &titles, QWidget *parent) : QWidget(parent), m_group(new QButtonGroup(this))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    m_group->setExclusive(true);
    for (qsizetype i = 0; i < titles.size(); ++i) {
        auto *button = new QPushButton(titles[i], this);
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setFocusPolicy(i == 0 ? Qt::StrongFocus : Qt::ClickFocus);
        const bool first = i == 0, last = i == titles.size() - 1;
        // Joined segments: only the outer corners are rounded.
        button->setStyleSheet(QStringLiteral("QPushButton { padding: 3px 12px; border: 1px solid palette(mid); background: palette(button);"
                                             " border-top-left-radius: %1px; border-bottom-left-radius: %1px;"
                                             " border-top-right-radius: %2px; border-bottom-right-radius: %2px; %3 }"
                                             "QPushButton:checked { background: palette(highlight); color: palette(highlighted-text); }")
                                  .arg(first ? 5 : 0)
                                  .arg(last ? 5 : 0)
                                  .arg(first ? QString() : QStringLiteral("border-left: none;")));
        m_group->addButton(button, static_cast<int>(i));
        row->addWidget(button);
    }
    if (auto *first = m_group->button(0))
        first->setChecked(true);
    connect(m_group, &QButtonGroup::idClicked, this, &SegmentedControl::choose);
}

int SegmentedControl::count() const
{
    return static_cast<int>(m_group->buttons().size());
}

QAbstractButton *SegmentedControl::segment(int index) const
{
    return m_group->button(index);
}

void SegmentedControl::setCurrentIndex(int index)
{
    if (auto *button = m_group->button(index)) {
        button->setChecked(true);
        m_current = index;
    }
}

void SegmentedControl::choose(int index)
{
    const bool changed = index != m_current;
    setCurrentIndex(index);
    if (changed)
        Q_EMIT currentIndexChanged(index);
}

void SegmentedControl::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Left || event->key() == Qt::Key_Right) {
        const int next = qBound(0, m_current + (event->key() == Qt::Key_Right ? 1 : -1), count() - 1);
        choose(next);
        if (auto *button = m_group->button(next))
            button->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}
