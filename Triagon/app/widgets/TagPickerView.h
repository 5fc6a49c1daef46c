#pragma once

#include <QColor>
#include <QFont>
#include <QSet>
#include <QStringList>
#include <QWidget>

class QLabel;
class QLineEdit;
class QPushButton;
class QSpacerItem;
class FlowLayout;

// The small keyboard-driven panel in which the user toggles tags on the
// clips being edited and adds new tags to the session's catalogue. It edits
// nothing itself: every choice goes out through its signals, and the owner
// hands it the tags to draw (setTags) whenever they change.
//
// Keys while the panel has focus: Left/Up and Right/Down move the focus
// among the tag rows and the trailing "New tag" row (no wrap-around); Space
// toggles the focused tag; Return and Escape dismiss. In add mode the
// new-tag field takes the keys; Return there adds the tag and Escape leaves
// add mode (a second Escape dismisses).
class TagPickerView : public QWidget
{
    Q_OBJECT
public:
    TagPickerView(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags, bool startInAddMode,
                  const QColor &accent, QWidget *parent = nullptr);

    // New inputs while the panel stays open; the focus, add mode and the
    // typed text stay.
    void setTags(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags);

    // A tag name is usable as a folder name: after trimming white space and
    // line breaks it is not empty, not "." or "..", and holds no "/", ":",
    // "\" and no control or format character.
    static bool isValidTagName(const QString &text);
    static QString trimmedTagName(const QString &text);
    // The hint at the header's end, painted and left out of the
    // accessibility tree.
    static QString hintText();

    int focusedIndex() const { return m_focusedIndex; }
    bool isAddingNew() const { return m_isAddingNew; }
    QLineEdit *newTagField() const { return m_field; }
    QPushButton *addButton() const { return m_addButton; }
    // The folder-safe notice under the field (hidden when not needed).
    QLabel *nameNotice() const { return m_notice; }
    // The mixed-tags note at the top (hidden when nothing is mixed).
    QLabel *mixedNote() const { return m_mixedNote; }
    // The rows in the flow, the "New tag" row last.
    QList<QWidget *> rows() const { return m_rows; }

Q_SIGNALS:
    void tagToggled(const QString &tag);
    void tagAdded(const QString &tag);
    void dismissed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void rebuildRows();
    void refreshRows();
    void moveFocus(int delta);
    void setFocusedIndex(int index);
    void setAddingNew(bool adding);
    void updateNotice();
    void commit();
    void toggleRow(int index);

    QStringList m_available;
    QStringList m_selected;
    QSet<QString> m_mixed;
    bool m_startInAddMode = false;
    QColor m_accent;

    int m_focusedIndex = 0;
    bool m_isAddingNew = false;
    bool m_shownOnce = false;

    QFont m_hintFont;
    QSpacerItem *m_hintSpace = nullptr;
    QLabel *m_mixedNote = nullptr;
    QWidget *m_flowHost = nullptr;
    FlowLayout *m_flow = nullptr;
    QList<QWidget *> m_rows;
    QWidget *m_addRow = nullptr;
    QLineEdit *m_field = nullptr;
    QPushButton *m_addButton = nullptr;
    QLabel *m_notice = nullptr;
};
