#pragma once

#include <QWidget>

class ClipGridView;

// The grid's viewport: the visible part of the scrolling grid, which holds
// the live cards and section headers. A class of its own so that assistive
// technologies get the grid's view of it (see ClipGridViewportAccessible).
class ClipGridViewport : public QWidget
{
    Q_OBJECT
public:
    explicit ClipGridViewport(ClipGridView *grid);
    ClipGridView *grid() const { return m_grid; }

private:
    ClipGridView *m_grid;
};
