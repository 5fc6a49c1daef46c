#pragma once

#include "app/SymbolPainting.h"

#include <QWidget>

#include <functional>

class QLabel;
class SymbolView;
class ToggleSwitch;

// A sidebar row with a symbol that follows the switch's state, a text, and
// the switch at the trailing edge ("Hide untouched", "Scrub audio").
class SwitchRow : public QWidget
{
    Q_OBJECT
public:
    using Drawer = SymbolDrawer;
    using ColorSource = std::function<QColor()>;

    SwitchRow(const QString &text, Drawer offSymbol, Drawer onSymbol, QWidget *parent = nullptr);

    // The symbol's colours for off and on; the secondary text colour unless set.
    void setSymbolColors(ColorSource off, ColorSource on);
    // Shows the state without reporting it.
    void setOn(bool on);
    bool isOn() const;

    ToggleSwitch *toggle() const { return m_switch; }
    SymbolView *symbol() const { return m_symbol; }
    QLabel *label() const { return m_label; }
    // The symbol shown now: true for the "on" drawing.
    bool showsOnSymbol() const { return m_showsOn; }

Q_SIGNALS:
    // The user flipped the switch.
    void toggled(bool on);

private:
    void updateSymbol();
    // The secondary text colour of the moment, for a symbol without colours of its own.
    ColorSource secondaryColor() const;

    Drawer m_offSymbol;
    Drawer m_onSymbol;
    ColorSource m_offColor;
    ColorSource m_onColor;
    SymbolView *m_symbol = nullptr;
    QLabel *m_label = nullptr;
    ToggleSwitch *m_switch = nullptr;
    bool m_showsOn = false;
};
