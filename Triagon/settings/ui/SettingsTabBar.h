#pragma once

#include <QTabBar>

// The settings window's tab bar: all tabs in one row within a fixed width.
// When the style's tabs would be wider than that (their labels and pictures
// plus the style's padding), each tab gives up the same share of its padding,
// never of its label, so that no tab is cut off at the window's edge.
class SettingsTabBar : public QTabBar
{
    Q_OBJECT
public:
    explicit SettingsTabBar(QWidget *parent = nullptr);

    void setAvailableWidth(int width);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;

private:
    // The width of a tab's label and picture, without the style's padding.
    int contentWidth(int index) const;

    int m_availableWidth = 0;
};
