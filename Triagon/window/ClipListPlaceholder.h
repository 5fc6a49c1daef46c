#pragma once

#include <QListWidget>

class ClipStore;

// A plain list of the displayed clips' names with the store's selection,
// standing in the grid area until the clip grid takes its place.
class ClipListPlaceholder : public QListWidget
{
    Q_OBJECT
public:
    explicit ClipListPlaceholder(ClipStore &store, QWidget *parent = nullptr);

private:
    void rebuild();
    void showSelection();
    void takeSelection();

    ClipStore &m_store;
    bool m_updating = false;
};
