#pragma once

#include <QWidget>

class ContentView;
class LogoView;
class QFrame;
class QHBoxLayout;
class QPushButton;
class SessionActionsButton;
class SessionSummaryView;
class SymbolButton;
class UndoRedoButtons;

// The row across the top of the window: the sidebar switch, the logo, the
// session summary, then at the trailing edge undo and redo, the tour, the
// session actions and "Add Clips". The switch and the summary show only while
// the session holds clips.
class MainToolbar : public QWidget
{
    Q_OBJECT
public:
    explicit MainToolbar(ContentView &window, QWidget *parent = nullptr);

    LogoView *logo() const { return m_logo; }
    QWidget *summaryGroup() const { return m_summaryGroup; }
    SessionSummaryView *summary() const { return m_summary; }
    UndoRedoButtons *undoRedo() const { return m_undoRedo; }
    SessionActionsButton *sessionActions() const { return m_actions; }

    static QString hideSidebarText() { return QStringLiteral("Hide sidebar"); }
    static QString showSidebarText() { return QStringLiteral("Show sidebar"); }

    void refresh();

private:
    ContentView &m_window;
    QHBoxLayout *m_row = nullptr;
    SymbolButton *m_sidebarButton = nullptr;
    LogoView *m_logo = nullptr;
    QWidget *m_summaryGroup = nullptr;
    SessionSummaryView *m_summary = nullptr;
    UndoRedoButtons *m_undoRedo = nullptr;
    SymbolButton *m_tour = nullptr;
    SessionActionsButton *m_actions = nullptr;
    QPushButton *m_addClips = nullptr;
};
