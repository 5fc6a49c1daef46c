#include "window/SwitchRow.h"

#include "app/widgets/SymbolView.h"
#include "app/widgets/ToggleSwitch.h"
#include "app/widgets/WidgetStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>

SwitchRow::SwitchRow(const QString &text, Drawer offSymbol, Drawer onSymbol, QWidget *parent)
    : QWidget(parent), m_offSymbol(std::move(offSymbol)), m_onSymbol(std::move(onSymbol))
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    m_symbol = new SymbolView(m_offSymbol, 12, secondaryColor(), this);
    m_symbol->setFrameWidth(16);
    row->addWidget(m_symbol);
    m_label = WidgetStyle::label(text, 12, this);
    row->addWidget(m_label);
    row->addStretch(1);
    m_switch = new ToggleSwitch(text, this);
    connect(m_switch, &QAbstractButton::toggled, this, [this](bool on) {
        updateSymbol();
        Q_EMIT toggled(on);
    });
    row->addWidget(m_switch);
    updateSymbol();
}

void SwitchRow::setSymbolColors(ColorSource off, ColorSource on)
{
    m_offColor = std::move(off);
    m_onColor = std::move(on);
    updateSymbol();
}

void SwitchRow::setOn(bool on)
{
    const QSignalBlocker blocker(m_switch);
    m_switch->setChecked(on);
    updateSymbol();
}

bool SwitchRow::isOn() const
{
    return m_switch->isChecked();
}

void SwitchRow::updateSymbol()
{
    m_showsOn = m_switch->isChecked();
    m_symbol->setDrawer(m_showsOn ? m_onSymbol : m_offSymbol);
    const ColorSource &color = m_showsOn ? m_onColor : m_offColor;
    m_symbol->setColorSource(color ? color : secondaryColor());
}

SwitchRow::ColorSource SwitchRow::secondaryColor() const
{
    return [this] { return WidgetStyle::secondary(m_symbol); };
}
