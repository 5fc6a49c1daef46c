#pragma once

#include <QString>
#include <QStringList>
#include <QTabWidget>

class AppSettings;
class AppearanceSettingsTab;
class AudioTriageSettingsTab;
class GeneralSettingsTab;
class ScrubSettingsTab;
class TagsSettingsTab;

// The settings window: five tabs, each editing one group of the settings,
// every change stored the moment it is made (no Apply, OK or Cancel). One
// fixed size for every tab; Escape and Ctrl+W close it. The tabs are known by
// their tags "general", "tags", "scrub", "audio" and "appearance"; the window
// opens on "general".
class SettingsView : public QTabWidget
{
    Q_OBJECT
public:
    static constexpr int windowWidth = 450;
    static constexpr int windowHeight = 380;

    explicit SettingsView(AppSettings &settings, QWidget *parent = nullptr);

    // The tags of the tabs, in order.
    static const QStringList &tabTags();
    QString tab() const;
    // Selects the tab of `tag`; an unknown tag changes nothing.
    void setTab(const QString &tag);

    GeneralSettingsTab *generalTab() const { return m_general; }
    TagsSettingsTab *tagsTab() const { return m_tags; }
    ScrubSettingsTab *scrubTab() const { return m_scrub; }
    AudioTriageSettingsTab *audioTab() const { return m_audio; }
    AppearanceSettingsTab *appearanceTab() const { return m_appearance; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    GeneralSettingsTab *m_general = nullptr;
    TagsSettingsTab *m_tags = nullptr;
    ScrubSettingsTab *m_scrub = nullptr;
    AudioTriageSettingsTab *m_audio = nullptr;
    AppearanceSettingsTab *m_appearance = nullptr;
};
