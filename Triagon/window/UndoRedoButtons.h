#pragma once

#include <QWidget>

class ClipStore;
class SymbolButton;

// The toolbar's undo and redo buttons. Each is enabled while its stack holds
// an action and tells in its tooltip what it would undo or redo ("Undo Rate 3
// clips", or "Nothing to undo"). The pair is shown while either stack holds
// something, so one of them can be shown disabled.
class UndoRedoButtons : public QWidget
{
    Q_OBJECT
public:
    explicit UndoRedoButtons(ClipStore &store, QWidget *parent = nullptr);

    void refresh();

private:
    ClipStore &m_store;
    SymbolButton *m_undo = nullptr;
    SymbolButton *m_redo = nullptr;
};
