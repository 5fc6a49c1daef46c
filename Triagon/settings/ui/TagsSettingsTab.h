#pragma once

#include <QStringList>
#include <QWidget>

class AppSettings;
class FlowLayout;
class QLabel;
class QLineEdit;
class QPushButton;

// The "Tags" tab: the default tags of new sessions as removable chips with a
// field to add more and "Reset to Defaults", and the hand-marker tag base with
// a preview of the names it gives. The tag list is loaded from the settings
// the first time the tab is shown and stored whole after every addition and
// removal; the base is stored as typed at every edit.
class TagsSettingsTab : public QWidget
{
    Q_OBJECT
public:
    explicit TagsSettingsTab(AppSettings &settings, QWidget *parent = nullptr);

    static QString noteText();

    const QStringList &editingTags() const { return m_editingTags; }
    bool didLoad() const { return m_didLoad; }

    void loadTagsOnce();
    void addTag();
    void removeTag(const QString &tag);
    void resetToDefaults();

    QLineEdit *newTagField() const { return m_newTag; }
    QPushButton *addButton() const { return m_add; }
    QLineEdit *markerTagField() const { return m_markerTag; }
    QLabel *markerPreview() const { return m_preview; }
    QPushButton *resetButton() const { return m_reset; }
    // The chip of each tag in order, and each chip's remove button.
    QList<QWidget *> chips() const { return m_chips; }
    QPushButton *removeButton(const QString &tag) const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    void rebuildChips();
    void updateAddButton();
    void updatePreview();
    void storeTags();

    AppSettings &m_settings;
    QStringList m_editingTags;
    bool m_didLoad = false;

    QWidget *m_chipArea = nullptr;
    FlowLayout *m_chipLayout = nullptr;
    QList<QWidget *> m_chips;
    QLineEdit *m_newTag = nullptr;
    QPushButton *m_add = nullptr;
    QLineEdit *m_markerTag = nullptr;
    QLabel *m_preview = nullptr;
    QPushButton *m_reset = nullptr;
};
