#pragma once

#include <QList>
#include <QWidget>

class AppSettings;
class SegmentedControl;
class ThemeSwatch;

// The "Appearance" tab: the colour scheme of the windows (System, Light,
// Dark) and the accent colour. A choice is stored at once; a stored text that
// names no choice shows as System or as the brand orange and stays stored as
// it is until the user picks.
class AppearanceSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit AppearanceSettingsTab(AppSettings &settings, QWidget *parent = nullptr);

    SegmentedControl *appearancePicker() const { return m_appearance; }
    const QList<ThemeSwatch *> &swatches() const { return m_swatches; }

private:
    void load();

    AppSettings &m_settings;
    SegmentedControl *m_appearance = nullptr;
    QList<ThemeSwatch *> m_swatches;
};
