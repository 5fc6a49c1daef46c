#pragma once

#include "app/SymbolPainting.h"

#include <QToolButton>

// An icon-only button without chrome: the desktop theme's picture of a name,
// else a drawing of our own, at a fixed symbol size, in the secondary text
// colour. One text serves as its tooltip and its
// accessible name. Disabled it fades to 30 %. It can carry a menu, which opens
// on press.
class SymbolButton : public QToolButton
{
    Q_OBJECT
public:
    using Drawer = SymbolDrawer;

    SymbolButton(const QString &themeName, Drawer drawer, int symbolSize, QWidget *parent = nullptr);

    // The tooltip and the accessible name.
    void setHelp(const QString &text);
    QString help() const { return toolTip(); }
    // The opacity the symbol is drawn with now: 1, or 0.3 while disabled.
    double symbolOpacity() const { return isEnabled() ? 1.0 : 0.3; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_themeName;
    Drawer m_drawer;
    int m_symbolSize;
};
