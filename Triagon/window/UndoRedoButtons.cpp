#include "window/UndoRedoButtons.h"

#include "library/ClipStore.h"
#include "app/SymbolCatalog.h"
#include "window/PlainToolTip.h"
#include "window/SymbolButton.h"

#include <QHBoxLayout>

UndoRedoButtons::UndoRedoButtons(ClipStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("undoRedoButtons"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(4);
    m_undo = new SymbolButton(QStringLiteral("edit-undo"), SymbolCatalog::drawer(QStringLiteral("arrow.uturn.backward")), 13, this);
    m_undo->setObjectName(QStringLiteral("undoButton"));
    m_undo->setAccessibleName(QStringLiteral("Undo"));
    connect(m_undo, &QAbstractButton::clicked, this, [this] { m_store.undo(); });
    row->addWidget(m_undo);
    m_redo = new SymbolButton(QStringLiteral("edit-redo"), SymbolCatalog::drawer(QStringLiteral("arrow.uturn.forward")), 13, this);
    m_redo->setObjectName(QStringLiteral("redoButton"));
    m_redo->setAccessibleName(QStringLiteral("Redo"));
    connect(m_redo, &QAbstractButton::clicked, this, [this] { m_store.redo(); });
    row->addWidget(m_redo);

    connect(&m_store, &ClipStore::undoStateChanged, this, &UndoRedoButtons::refresh);
    refresh();
}

void UndoRedoButtons::refresh()
{
    m_undo->setEnabled(m_store.canUndo());
    m_undo->setToolTip(plainToolTip(m_store.undoTitle().value_or(QStringLiteral("Nothing to undo"))));
    m_redo->setEnabled(m_store.canRedo());
    m_redo->setToolTip(plainToolTip(m_store.redoTitle().value_or(QStringLiteral("Nothing to redo"))));
    setVisible(m_store.canUndo() || m_store.canRedo());
}
