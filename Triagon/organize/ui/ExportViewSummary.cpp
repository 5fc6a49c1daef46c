// The Organize Clips sheet's right column: the totals of the scope, the
// planned folder tree and what the run will do.
#include "organize/ui/ExportView.h"

#include "library/ClipStore.h"
#include "library/model/ExportTotals.h"
#include "organize/FolderPlan.h"
#include "organize/ui/ExportTreeFolderRow.h"
#include "organize/ui/ExportViewStyle.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

using namespace ExportViewStyle;

namespace {

QString fileNameOf(const QUrl &url)
{
    const QString path = url.isLocalFile() ? url.toLocalFile() : url.path();
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    return trimmed.mid(trimmed.lastIndexOf(QLatin1Char('/')) + 1);
}

// One total: the value over its label, read as one element.
QWidget *statCell(QLabel **value, QLabel **caption, QWidget *parent)
{
    auto *cell = new QWidget(parent);
    auto *column = new QVBoxLayout(cell);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);
    *value = label(QString(), 16, cell, QFont::Bold);
    (*value)->setAlignment(Qt::AlignHCenter);
    column->addWidget(*value, 0, Qt::AlignHCenter);
    *caption = label(QString(), 11, cell, QFont::Normal, true);
    (*caption)->setAlignment(Qt::AlignHCenter);
    column->addWidget(*caption, 0, Qt::AlignHCenter);
    return cell;
}

void setCell(QLabel *value, const QString &valueText, const QString &captionText)
{
    value->setText(valueText);
    value->setAccessibleName(valueText + QLatin1Char(' ') + captionText);
    // Shrinks down to three quarters of its size before it is cut.
    const QWidget *cell = value->parentWidget();
    const int room = cell && cell->parentWidget() ? cell->parentWidget()->width() / 3 - 8 : 0;
    qreal pixels = 16;
    while (room > 0 && pixels > 12 && QFontMetrics(sizedFont(value, pixels, QFont::Bold)).horizontalAdvance(valueText) > room)
        pixels -= 0.5;
    value->setFont(sizedFont(value, pixels, QFont::Bold));
}

// What the column says in place of the plan when the scope holds no clip.
QString emptyScopeText(ExportScope scope)
{
    switch (scope) {
    case ExportScope::selected:
        return QStringLiteral("No clips selected. Select clips in the grid, then reopen Organize Clips.");
    case ExportScope::shortlisted:
    case ExportScope::filtered:
    case ExportScope::all:
        break;
    }
    return QStringLiteral("No clips match this scope. Choose another group or adjust your filters.");
}

// The clips with several tags whose folder the organization picks by the
// first tag alone.
int multiTaggedCount(const QList<Clip> &clips, FolderOrganization organization)
{
    int count = 0;
    switch (organization) {
    case FolderOrganization::byTag:
        for (const Clip &clip : clips)
            count += clip.tags.size() >= 2;
        break;
    case FolderOrganization::byRating:
        break;
    }
    return count;
}

} // namespace

QWidget *ExportView::buildSummaryColumn()
{
    auto *column = new QWidget(this);
    column->setObjectName(QStringLiteral("summaryColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    auto *stats = new QWidget(column);
    stats->setObjectName(QStringLiteral("statsRow"));
    stats->setToolTip(QStringLiteral("Totals use full source clips. \u2265 means some clip metadata is unavailable."));
    auto *statsRow = new QHBoxLayout(stats);
    statsRow->setContentsMargins(0, 0, 0, 0);
    statsRow->setSpacing(16);
    QLabel *durationCaption = nullptr, *sizeCaption = nullptr;
    statsRow->addWidget(statCell(&m_countValue, &m_countLabel, stats), 1, Qt::AlignTop);
    statsRow->addWidget(statCell(&m_durationValue, &durationCaption, stats), 1, Qt::AlignTop);
    statsRow->addWidget(statCell(&m_sizeValue, &sizeCaption, stats), 1, Qt::AlignTop);
    durationCaption->setText(QStringLiteral("running time"));
    sizeCaption->setText(QStringLiteral("file size"));
    m_countValue->setObjectName(QStringLiteral("statCount"));
    m_durationValue->setObjectName(QStringLiteral("statDuration"));
    m_sizeValue->setObjectName(QStringLiteral("statSize"));
    layout->addWidget(stats);

    m_emptyScopeText = label(QString(), 12, column, QFont::Normal, true);
    m_emptyScopeText->setObjectName(QStringLiteral("emptyScopeText"));
    m_emptyScopeText->setWordWrap(true);
    layout->addWidget(m_emptyScopeText);

    m_plannedBlock = new QWidget(column);
    auto *planned = new QVBoxLayout(m_plannedBlock);
    planned->setContentsMargins(0, 0, 0, 0);
    planned->setSpacing(16);
    planned->addWidget(hairline(m_plannedBlock));

    // Folder preview.
    auto *preview = new QWidget(m_plannedBlock);
    auto *previewColumn = new QVBoxLayout(preview);
    previewColumn->setContentsMargins(0, 0, 0, 0);
    previewColumn->setSpacing(10);
    previewColumn->addWidget(heading(QStringLiteral("Folder Preview"), preview));
    auto *tree = new QWidget(preview);
    tree->setObjectName(QStringLiteral("folderTree"));
    auto *treeColumn = new QVBoxLayout(tree);
    treeColumn->setContentsMargins(0, 0, 0, 0);
    treeColumn->setSpacing(2);
    m_rootName = label(QString(), 11, tree, QFont::DemiBold);
    m_rootName->setObjectName(QStringLiteral("rootName"));
    m_rootName->setFont(sizedFont(tree, 11, QFont::DemiBold, true));
    treeColumn->addWidget(symbolRow(QStringLiteral("folder.fill"), 13, accentColor(), m_rootName, tree, 4));
    m_treeRows = new QVBoxLayout;
    m_treeRows->setContentsMargins(14, 0, 0, 0);
    m_treeRows->setSpacing(2);
    treeColumn->addLayout(m_treeRows);
    m_manifestName = label(QString(), 10, tree, QFont::Normal, true);
    m_manifestName->setObjectName(QStringLiteral("manifestName"));
    m_manifestName->setFont(sizedFont(tree, 10, QFont::Normal, true));
    m_manifestRow = symbolRow(QStringLiteral("doc.text"), 11, secondary(this), m_manifestName, tree, 4, true);
    m_manifestRow->setContentsMargins(14, 0, 0, 0);
    treeColumn->addWidget(m_manifestRow);
    previewColumn->addWidget(tree);
    m_multiTagText = label(QString(), 10, preview, QFont::Normal, true);
    m_multiTagText->setObjectName(QStringLiteral("multiTagNote"));
    m_multiTagText->setWordWrap(true);
    m_multiTagNote = symbolRow(QStringLiteral("info.circle"), 12, blue(), m_multiTagText, preview, 4);
    m_multiTagNote->setContentsMargins(0, 4, 0, 0);
    previewColumn->addWidget(m_multiTagNote);
    planned->addWidget(preview);
    planned->addWidget(hairline(m_plannedBlock));

    // What will happen.
    auto *what = new QWidget(m_plannedBlock);
    auto *whatColumn = new QVBoxLayout(what);
    whatColumn->setContentsMargins(0, 0, 0, 0);
    whatColumn->setSpacing(6);
    whatColumn->addWidget(heading(QStringLiteral("What will happen"), what));
    m_willBeMoved = label(QString(), 12, what);
    m_willBeMoved->setObjectName(QStringLiteral("willBeMoved"));
    m_willBeMoved->setTextFormat(Qt::RichText);
    whatColumn->addWidget(
        symbolRow(QStringLiteral("folder.badge.plus"), 14, palette().color(QPalette::WindowText), m_willBeMoved, what, 6, true));
    m_leftInPlaceText = label(QString(), 12, what, QFont::Normal, true);
    m_leftInPlaceText->setObjectName(QStringLiteral("leftInPlace"));
    m_leftInPlace = symbolRow(QStringLiteral("film/organize"), 14, secondary(this), m_leftInPlaceText, what, 6, true);
    whatColumn->addWidget(m_leftInPlace);
    QLabel *manifestLine = label(QStringLiteral("Include a JSON manifest"), 12, what);
    manifestLine->setObjectName(QStringLiteral("manifestLine"));
    m_manifestLine = symbolRow(QStringLiteral("doc.text"), 14, palette().color(QPalette::WindowText), manifestLine, what, 6, true);
    whatColumn->addWidget(m_manifestLine);
    m_destinationLine = label(QString(), 11, what, QFont::Normal, true);
    m_destinationLine->setObjectName(QStringLiteral("destinationLine"));
    m_destinationLine->setFont(sizedFont(what, 11, QFont::Normal, true));
    m_destinationLine->setWordWrap(true);
    m_destinationLine->setTextInteractionFlags(Qt::TextSelectableByMouse);
    whatColumn->addWidget(m_destinationLine);
    QLabel *kept = label(QStringLiteral("Existing files are kept. Matching filenames receive a number."), 11, what, QFont::Normal, true);
    kept->setWordWrap(true);
    whatColumn->addWidget(kept);
    QLabel *leave = label(QStringLiteral("Clips leave their original location"), 12, what);
    setTextColor(leave, accentColor());
    leave->setObjectName(QStringLiteral("leaveLine"));
    whatColumn->addWidget(symbolRow(QStringLiteral("arrow.right"), 14, accentColor(), leave, what));
    planned->addWidget(what);

    layout->addWidget(m_plannedBlock);
    layout->addStretch(1);
    return column;
}

void ExportView::refreshSummary()
{
    const QList<Clip> clips = m_store.clipsInScope(m_scope);
    const ExportTotals totals = exportTotals(clips);
    m_countLabel->setText(totals.clipCount == 1 ? QStringLiteral("clip") : QStringLiteral("clips"));
    setCell(m_countValue, QString::number(totals.clipCount), m_countLabel->text());
    setCell(m_durationValue, totals.durationText(), QStringLiteral("running time"));
    setCell(m_sizeValue, totals.sizeText(), QStringLiteral("file size"));

    const bool empty = clips.isEmpty();
    m_emptyScopeText->setVisible(empty);
    m_plannedBlock->setVisible(!empty);
    if (empty) {
        m_emptyScopeText->setText(emptyScopeText(m_scope));
        return;
    }

    const FolderOrganization organization = m_store.folderOrganization();
    const std::optional<QUrl> destination = destinationFolderURL();
    m_rootName->setText((destination ? fileNameOf(*destination) : QStringLiteral("Destination")) + QLatin1Char('/'));
    refreshFolderTree(FolderPlan::folderPlan(clips, organization));
    m_manifestRow->setVisible(m_generateManifest);
    m_manifestName->setText(destination ? fileNameOf(FolderPlan::manifestURL(*destination)) : QStringLiteral("triagon-manifest.json"));

    const int multiTagged = multiTaggedCount(clips, organization);
    m_multiTagNote->setVisible(multiTagged > 0);
    m_multiTagText->setText(multiTagNoteText(multiTagged));

    m_willBeMoved->setText(willBeMovedMarkup(static_cast<int>(clips.size()), organization));
    m_willBeMoved->setAccessibleName(m_willBeMoved->text().remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>")));
    const int outside = outsideScopeCount();
    m_leftInPlace->setVisible(outside > 0);
    m_leftInPlaceText->setText(leftInPlaceText(outside));
    m_manifestLine->setVisible(m_generateManifest);
    m_destinationLine->setVisible(bool(destination));
    m_destinationLine->setText(
        destination ? (destination->isLocalFile() ? QDir::cleanPath(destination->toLocalFile()) : destination->toString()) : QString());
}

void ExportView::refreshFolderTree(const QList<ExportFolder> &tree)
{
    if (tree == m_shownTree && m_rows.size() == tree.size())
        return;
    // Rows are kept apart by their position: a tag folder and a rating folder
    // of the same name are two rows. A row keeps its expanded state when the
    // folder at its position is still the same one.
    QList<bool> expanded;
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        expanded.append(i < tree.size() && m_shownTree.value(i).name == tree[i].name && m_rows[i]->isExpanded());
    for (ExportTreeFolderRow *row : std::as_const(m_rows))
        delete row;
    m_rows.clear();
    for (qsizetype i = 0; i < tree.size(); ++i) {
        auto *row = new ExportTreeFolderRow(
            tree[i], [this](const QString &name) { m_store.openClipNamed(name); }, expanded.value(i, false), 4, m_treeRows->parentWidget());
        m_treeRows->addWidget(row);
        m_rows.append(row);
    }
    m_shownTree = tree;
}
