#pragma once

#include "window/SymbolButton.h"

class ContentView;
class QAction;
class QMenu;

// The toolbar's "Session actions" menu: "Manage Tags…", "Clear All Tags"
// (at once, undoable), "Reset Review…" and "New Session…" (each after its
// confirmation, which the window presents from its flag). Clearing and
// resetting wait while clips are loading; clearing needs a tagged clip.
class SessionActionsButton : public SymbolButton
{
    Q_OBJECT
public:
    explicit SessionActionsButton(ContentView &window, QWidget *parent = nullptr);

    QAction *manageTagsAction() const { return m_manageTags; }
    QAction *clearAllTagsAction() const { return m_clearAllTags; }
    QAction *resetReviewAction() const { return m_resetReview; }
    QAction *newSessionAction() const { return m_newSession; }

    void refresh();

private:
    ContentView &m_window;
    QMenu *m_menu = nullptr;
    QAction *m_manageTags = nullptr;
    QAction *m_clearAllTags = nullptr;
    QAction *m_resetReview = nullptr;
    QAction *m_newSession = nullptr;
};
