#pragma once

#include <QDialog>
#include <QStringList>

#include <optional>

class AppSettings;
class ClipStore;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QVBoxLayout;
class SessionTagRow;

// The sheet "Session Tags": every tag of the session (the catalog, then the
// tags clips carry beyond it), each renamable in place; renaming onto an
// existing name merges the two. New catalog tags can be added, and the
// catalog can be replaced by the default tags of the settings. Names that
// could not be organize folders are marked, and can be renamed or merged
// away; every new name must be a valid tag name. All changes go through the
// store; only "Done" (or Escape) closes the sheet.
class SessionTagsView : public QDialog
{
    Q_OBJECT
public:
    static constexpr int sheetWidth = 560;
    static constexpr int sheetHeight = 480;

    SessionTagsView(ClipStore &store, AppSettings &settings, QWidget *parent = nullptr);

    // Editing state.
    const std::optional<QString> &editingTag() const { return m_editingTag; }
    QString name() const { return m_name; }
    QString newName() const;

    void beginEditing(const QString &tag);
    void cancelEditing();
    // Renames the edited tag to the typed name; the row stays open when the
    // store refuses.
    void commit();
    // Adds the typed new tag; the field keeps its text when the store refuses.
    void addTag();
    void applyDefaultTags();

    // The rows, in the order of the store's tags.
    QList<SessionTagRow *> rows() const { return m_rows; }
    SessionTagRow *rowFor(const QString &tag) const;
    QLineEdit *newTagField() const { return m_newTag; }
    QPushButton *addButton() const { return m_add; }
    QPushButton *doneButton() const { return m_done; }

    // "Save", or "Merge" when `name` is another tag of `tags`.
    static QString confirmTitle(const QString &tag, const QString &name, const QStringList &tags);
    // A rename to `name` can be confirmed: a valid name once trimmed, and changed.
    static bool canConfirm(const QString &tag, const QString &name);

private:
    void refresh();
    void rebuildRows();
    void updateButtons();

    ClipStore &m_store;
    AppSettings &m_settings;
    std::optional<QString> m_editingTag;
    QString m_name;
    QStringList m_shownTags;
    QScrollArea *m_scroll = nullptr;
    QVBoxLayout *m_rowsLayout = nullptr;
    QList<SessionTagRow *> m_rows;
    QLineEdit *m_newTag = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_applyDefaults = nullptr;
    QPushButton *m_done = nullptr;
};
