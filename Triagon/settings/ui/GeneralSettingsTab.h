#pragma once

#include <QWidget>

class AppSettings;
class SegmentedControl;

// The "General" tab: the folder organization and the number of grid columns a
// new session starts with. Each click is stored at once. A stored value that
// reads differently (an unknown organization text, a column count outside 1
// to 5, shown as its nearest end) stays stored as it is until a segment is
// clicked. The open session is not changed.
class GeneralSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit GeneralSettingsTab(AppSettings &settings, QWidget *parent = nullptr);

    SegmentedControl *folderOrganizationPicker() const { return m_organization; }
    SegmentedControl *gridColumnsPicker() const { return m_columns; }

private:
    void load();

    AppSettings &m_settings;
    SegmentedControl *m_organization = nullptr;
    SegmentedControl *m_columns = nullptr;
};
