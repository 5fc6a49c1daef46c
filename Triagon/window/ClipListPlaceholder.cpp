#include "window/ClipListPlaceholder.h"

#include "library/ClipStore.h"

#include <QSet>
#include <QSignalBlocker>

ClipListPlaceholder::ClipListPlaceholder(ClipStore &store, QWidget *parent) : QListWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("clipList"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setFrameShape(QFrame::NoFrame);
    connect(&m_store, &ClipStore::clipsChanged, this, &ClipListPlaceholder::rebuild);
    connect(&m_store, &ClipStore::viewOptionsChanged, this, &ClipListPlaceholder::rebuild);
    connect(&m_store, &ClipStore::selectionChanged, this, &ClipListPlaceholder::showSelection);
    connect(this, &QListWidget::itemSelectionChanged, this, &ClipListPlaceholder::takeSelection);
    rebuild();
}

void ClipListPlaceholder::rebuild()
{
    m_updating = true;
    clear();
    for (const Clip &clip : m_store.sortedAndFilteredClips()) {
        auto *item = new QListWidgetItem(clip.isMissing ? clip.filename + QStringLiteral(" (offline)") : clip.filename, this);
        item->setData(Qt::UserRole, clip.id);
    }
    m_updating = false;
    showSelection();
}

void ClipListPlaceholder::showSelection()
{
    m_updating = true;
    const QSet<QUuid> &selected = m_store.selectedClipIDs();
    for (int row = 0; row < count(); ++row) {
        QListWidgetItem *it = item(row);
        it->setSelected(selected.contains(it->data(Qt::UserRole).toUuid()));
    }
    m_updating = false;
}

void ClipListPlaceholder::takeSelection()
{
    if (m_updating)
        return;
    QSet<QUuid> ids;
    for (QListWidgetItem *it : selectedItems())
        ids.insert(it->data(Qt::UserRole).toUuid());
    // Selected clips that the list does not show stay selected.
    QSet<QUuid> shown;
    for (int row = 0; row < count(); ++row)
        shown.insert(item(row)->data(Qt::UserRole).toUuid());
    for (const QUuid &id : m_store.selectedClipIDs()) {
        if (!shown.contains(id))
            ids.insert(id);
    }
    m_store.setSelectedClipIDs(ids);
}
