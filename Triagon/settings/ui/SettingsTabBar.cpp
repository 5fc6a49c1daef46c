#include "settings/ui/SettingsTabBar.h"

#include <algorithm>

namespace {

// What every tab keeps around its label when padding has to go.
constexpr int kLeastPadding = 8;

} // namespace

SettingsTabBar::SettingsTabBar(QWidget *parent) : QTabBar(parent)
{
}

void SettingsTabBar::setAvailableWidth(int width)
{
    if (width == m_availableWidth)
        return;
    m_availableWidth = width;
    updateGeometry();
}

int SettingsTabBar::contentWidth(int index) const
{
    int width = fontMetrics().horizontalAdvance(tabText(index));
    if (!tabIcon(index).isNull())
        width += iconSize().width() + 4;
    return width;
}

QSize SettingsTabBar::tabSizeHint(int index) const
{
    QSize hint = QTabBar::tabSizeHint(index);
    if (m_availableWidth <= 0 || count() == 0)
        return hint;
    int total = 0;
    for (int i = 0; i < count(); ++i)
        total += QTabBar::tabSizeHint(i).width();
    const int excess = total - m_availableWidth;
    if (excess <= 0)
        return hint;
    const int share = (excess + count() - 1) / count();
    hint.setWidth(std::max(hint.width() - share, contentWidth(index) + kLeastPadding));
    return hint;
}

QSize SettingsTabBar::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}
