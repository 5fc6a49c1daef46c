#pragma once

#include <QStringList>
#include <QWidget>

class AppSettings;
class QLabel;
class QLineEdit;
class QPushButton;
class TagChipList;

// The "Tags" tab: the default tags of new sessions as removable chips with a
// field to add more and "Reset to Defaults", and the hand-marker tag base with
// a preview of the names it gives. The tag list is loaded from the settings
// the first time the tab is shown and stored whole after every addition and
// removal; the base is stored as typed at every edit. The chips scroll when
// they do not fit, and only those in view are made (TagChipList), so that a
// stored list of any length opens at once.
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
    QPushButton *resetButton() const { return m_reset; }
    // The chips in view, in the order of their tags, and the remove button
    // of a tag's chip when it is in view.
    QList<QWidget *> chips() const;
    QPushButton *removeButton(const QString &tag) const;
    TagChipList *chipList() const { return m_chipList; }

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

    TagChipList *m_chipList = nullptr;
    QLineEdit *m_newTag = nullptr;
    QPushButton *m_add = nullptr;
    QLineEdit *m_markerTag = nullptr;
    QLabel *m_preview = nullptr;
    QPushButton *m_reset = nullptr;
};
