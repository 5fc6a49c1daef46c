#include "grid/ClipGridViewport.h"

#include "grid/ClipGridView.h"

ClipGridViewport::ClipGridViewport(ClipGridView *grid) : QWidget(grid), m_grid(grid)
{
    setObjectName(QStringLiteral("clipGridViewport"));
    setAccessibleName(QStringLiteral("Clips"));
}
