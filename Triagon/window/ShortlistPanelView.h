#pragma once

#include "library/model/ExportFolder.h"
#include "library/model/FolderOrganization.h"

#include <QHash>
#include <QList>
#include <QWidget>

class ClipStore;
class ExportTreeFolderRow;
class QLabel;
class QVBoxLayout;
class SegmentedControl;

// The sidebar's shortlist panel: what organizing the shortlisted clips would
// do, before anything moves. The header holds the choice between tag and
// rating folders; then the totals of the shortlist, the planned folders (each
// a collapsible row listing its first four files, a file opening its clip in
// the player) and how many clips would be skipped. Follows the store; a
// folder keeps its expanded state while its name stays in the plan.
class ShortlistPanelView : public QWidget
{
    Q_OBJECT
public:
    explicit ShortlistPanelView(ClipStore &store, QWidget *parent = nullptr);

    QLabel *header() const { return m_header; }
    QList<ExportTreeFolderRow *> folderRows() const { return m_rows; }

    // "3 clips · 2 min 5 sec · 1.2 GB".
    static QString totalsText(int clipCount, const QString &duration, const QString &size);
    static QString totalsAccessibleName(int clipCount, const QString &duration, const QString &size);
    static QString totalsHelp();
    // "2 excluded clips will be skipped".
    static QString skippedText(int count);
    // The picker's tooltip for the organization chosen.

    void refresh();

private:
    void rebuildFolders(const QList<ExportFolder> &folders);

    ClipStore &m_store;
    QLabel *m_header = nullptr;
    SegmentedControl *m_picker = nullptr;
    QLabel *m_totals = nullptr;
    QVBoxLayout *m_folderList = nullptr;
    QList<ExportTreeFolderRow *> m_rows;
    QList<ExportFolder> m_shownFolders;
    // Expanded state by folder name, kept across plan changes.
    QHash<QString, bool> m_expanded;
    QLabel *m_skipped = nullptr;
};
