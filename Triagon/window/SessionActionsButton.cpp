#include "window/SessionActionsButton.h"

#include "library/ClipStore.h"
#include "window/ContentView.h"
#include "app/SymbolCatalog.h"

#include <QAction>
#include <QMenu>

SessionActionsButton::SessionActionsButton(ContentView &window, QWidget *parent)
    : SymbolButton(QString(), SymbolCatalog::drawer(QStringLiteral("arrow.counterclockwise")), 13, parent), m_window(window)
{
    setObjectName(QStringLiteral("sessionActionsButton"));
    setHelp(QStringLiteral("Session actions"));
    setPopupMode(QToolButton::InstantPopup);
    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("sessionActionsMenu"));
    m_menu->setAccessibleName(QStringLiteral("Session actions")); // what a screen reader calls it while open
    m_manageTags = m_menu->addAction(QStringLiteral("Manage Tags\u2026"));
    connect(m_manageTags, &QAction::triggered, this, [this] { m_window.setShowSessionTags(true); });
    m_menu->addSeparator();
    m_clearAllTags = m_menu->addAction(QStringLiteral("Clear All Tags"));
    connect(m_clearAllTags, &QAction::triggered, this, [this] { m_window.store().resetReview(false); });
    m_resetReview = m_menu->addAction(QStringLiteral("Reset Review\u2026"));
    connect(m_resetReview, &QAction::triggered, this, [this] { m_window.setShowResetReviewConfirm(true); });
    m_menu->addSeparator();
    m_newSession = m_menu->addAction(QStringLiteral("New Session\u2026"));
    connect(m_newSession, &QAction::triggered, this, [this] { m_window.setShowResetConfirm(true); });
    setMenu(m_menu);

    connect(&m_window.store(), &ClipStore::clipsChanged, this, &SessionActionsButton::refresh);
    connect(&m_window.store(), &ClipStore::loadingChanged, this, &SessionActionsButton::refresh);
    refresh();
}

void SessionActionsButton::refresh()
{
    const ClipStore &store = m_window.store();
    m_clearAllTags->setEnabled(store.clipStats().taggedCount > 0 && !store.isLoading());
    m_resetReview->setEnabled(!store.isLoading());
}
