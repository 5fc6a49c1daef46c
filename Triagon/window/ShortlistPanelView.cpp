#include "window/ShortlistPanelView.h"

#include "app/widgets/SegmentedControl.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "organize/ui/ExportTreeFolderRow.h"
#include "app/SymbolCatalog.h"
#include "window/SidebarSection.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

QString ShortlistPanelView::totalsText(int clipCount, const QString &duration, const QString &size)
{
    return QString::number(clipCount) + (clipCount == 1 ? QStringLiteral(" clip") : QStringLiteral(" clips")) + QStringLiteral(" \u00B7 ")
           + duration + QStringLiteral(" \u00B7 ") + size;
}

QString ShortlistPanelView::totalsAccessibleName(int clipCount, const QString &duration, const QString &size)
{
    // Always "clips", also for one.
    return QStringLiteral("Shortlist: ") + QString::number(clipCount) + QStringLiteral(" clips, ") + duration + QStringLiteral(", ") + size;
}

QString ShortlistPanelView::totalsHelp()
{
    return QStringLiteral("Full source clip totals. \u2265 means some clip metadata is unavailable.");
}

QString ShortlistPanelView::skippedText(int count)
{
    return QString::number(count) + (count == 1 ? QStringLiteral(" excluded clip") : QStringLiteral(" excluded clips"))
           + QStringLiteral(" will be skipped");
}

ShortlistPanelView::ShortlistPanelView(ClipStore &store, QWidget *parent) : QWidget(parent), m_store(store)
{
    setObjectName(QStringLiteral("shortlistPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(10);

    auto *headerRow = new QHBoxLayout;
    m_header = SidebarSection::headerLabel(QStringLiteral("Folder Preview"), this);
    headerRow->addWidget(m_header);
    headerRow->addStretch(1);
    m_picker = new SegmentedControl(SegmentedControl::Look::track, this);
    m_picker->setObjectName(QStringLiteral("organizationPicker"));
    m_picker->setAccessibleName(QStringLiteral("Organize folders by"));
    // One segment per organization, in their order: the index is the position in it.
    for (FolderOrganization organization : allFolderOrganizations()) {
        const FolderOrganizationTexts texts = textsOf(organization);
        m_picker->addSymbolSegment(SymbolCatalog::drawer(texts.symbolName), texts.pickerTitle);
    }
    m_picker->setFixedWidth(60);
    connect(m_picker, &SegmentedControl::activated, this,
            [this](int index) { m_store.setFolderOrganization(allFolderOrganizations().value(index)); });
    headerRow->addWidget(m_picker);
    column->addLayout(headerRow);

    m_totals = SidebarSection::caption(QString(), this);
    m_totals->setObjectName(QStringLiteral("shortlistTotals"));
    m_totals->setToolTip(totalsHelp());
    column->addWidget(m_totals);

    m_folderList = new QVBoxLayout;
    m_folderList->setSpacing(2);
    column->addLayout(m_folderList);

    m_skipped = SidebarSection::caption(QString(), this);
    m_skipped->setObjectName(QStringLiteral("skippedLine"));
    m_skipped->setFont(WidgetStyle::sizedFont(m_skipped, 10));
    m_skipped->setContentsMargins(0, 4, 0, 0);
    column->addWidget(m_skipped);

    connect(&m_store, &ClipStore::clipsChanged, this, &ShortlistPanelView::refresh);
    connect(&m_store, &ClipStore::folderOrganizationChanged, this, &ShortlistPanelView::refresh);
    refresh();
}

void ShortlistPanelView::refresh()
{
    const FolderOrganization organization = m_store.folderOrganization();
    m_picker->setCurrentIndex(int(allFolderOrganizations().indexOf(organization)));
    m_picker->setToolTip(textsOf(organization).pickerHelp);

    const ClipStore::ClipStats &stats = m_store.clipStats();
    const ExportTotals &totals = stats.shortlistTotals;
    m_totals->setText(totalsText(totals.clipCount, totals.durationText(), totals.sizeText()));
    m_totals->setAccessibleName(totalsAccessibleName(totals.clipCount, totals.durationText(), totals.sizeText()));

    m_skipped->setText(skippedText(stats.exportSkippedCount));
    m_skipped->setVisible(stats.exportSkippedCount > 0);

    // The sidebar hides the panel while nothing is shortlisted.
    const std::optional<QList<ExportFolder>> &tree = m_store.exportPreviewTree();
    rebuildFolders(tree.value_or(QList<ExportFolder>()));
}

void ShortlistPanelView::rebuildFolders(const QList<ExportFolder> &folders)
{
    if (folders == m_shownFolders)
        return;
    for (ExportTreeFolderRow *row : std::as_const(m_rows)) {
        m_expanded.insert(row->folder().name, row->isExpanded());
        m_folderList->removeWidget(row);
        row->hide();
        row->deleteLater();
    }
    m_rows.clear();
    m_shownFolders = folders;
    for (const ExportFolder &folder : folders) {
        auto *row = new ExportTreeFolderRow(
            folder, [this](const QString &filename) { m_store.openClipNamed(filename); }, m_expanded.value(folder.name, false), 4, this);
        m_folderList->addWidget(row);
        row->show();
        m_rows.append(row);
    }
}
