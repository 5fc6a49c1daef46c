#pragma once

#include "app/ModifierKey.h"
#include "app/ScrubModifier.h"
#include "app/widgets/ValueTextSlider.h"

#include <QList>
#include <QWidget>

class AppSettings;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

// The "Scrub" tab: the scrub modifiers (a key and the window in seconds that
// hover scrubbing spans while it is held) and whether cards draw their audio
// peak markers. The tab edits its own copy of the modifier list, loaded the
// first time it is shown, and stores the whole list after every change, the
// first load included (so a stored list that cannot be read gives way to the
// defaults shown). At most one row per key, one to four rows, windows of 0.5
// to 10 seconds in steps of 0.5 (a window stored outside that range is shown
// at the nearest end, with its own seconds text, and stays stored until its
// row is changed).
class ScrubSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit ScrubSettingsTab(AppSettings &settings, QWidget *parent = nullptr);

    static QString noteText();
    static constexpr double newRowSeconds = 2.0;
    static constexpr double minSeconds = 0.5;
    static constexpr double maxSeconds = 10.0;

    const QList<ScrubModifier> &modifiers() const { return m_modifiers; }
    bool didLoad() const { return m_didLoad; }

    void loadIfNeeded();
    // The keys row `index` may pick: its own and those no other row uses.
    QList<ModifierKey> availableKeys(int index) const;
    void addModifier();
    void removeModifier(int index);
    void setKey(int index, ModifierKey key);
    void setSeconds(int index, double seconds);
    void resetToDefaults();

    struct Row
    {
        QComboBox *keyPicker = nullptr;
        ValueTextSlider *slider = nullptr;
        QLabel *secondsText = nullptr;
        QLabel *chip = nullptr;
        QPushButton *remove = nullptr;
    };
    const QList<Row> &rows() const { return m_rows; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *resetButton() const { return m_reset; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    // Shows the list and stores it, unless it is the list already shown.
    void setModifiers(const QList<ScrubModifier> &modifiers);
    void rebuildRows();

    AppSettings &m_settings;
    QList<ScrubModifier> m_modifiers;
    bool m_didLoad = false;

    QVBoxLayout *m_rowsLayout = nullptr;
    QList<Row> m_rows;
    QList<QWidget *> m_rowWidgets;
    QPushButton *m_add = nullptr;
    QCheckBox *m_peaks = nullptr;
    QPushButton *m_reset = nullptr;
};
