#include "organize/ui/ExportView.h"

#include "app/SymbolCatalog.h"
#include "app/AppSettings.h"
#include "app/ThemeColor.h"
#include "app/widgets/Reveal.h"
#include "library/ClipStore.h"
#include "organize/FolderPlan.h"
#include "organize/OrganizeRunner.h"
#include "organize/VerifiedMove.h"
#include "organize/ui/ExportViewStyle.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

using namespace ExportViewStyle;

namespace {

constexpr int kSheetWidth = 760;
constexpr int kSheetMaxHeight = 640;

std::optional<QUrl> chooseWithDialog(QWidget *parent, const std::optional<QUrl> &start)
{
    QFileDialog dialog(parent, QStringLiteral("Choose where to organize your clips"));
    dialog.setObjectName(QStringLiteral("organizeDestinationDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Select"));
    if (start && start->isLocalFile())
        dialog.setDirectory(start->toLocalFile());
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QList<QUrl> urls = dialog.selectedUrls();
    if (urls.isEmpty())
        return QUrl();
    return urls.first();
}

QString plural(int count, const QString &one, const QString &many)
{
    return count == 1 ? one : many;
}

} // namespace

ExportView::ExportView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent)
    : QDialog(parent), m_store(store), m_settings(settings), m_onDismiss(std::move(onDismiss)), m_chooser(chooseWithDialog)
{
    setObjectName(QStringLiteral("organizeClipsSheet"));
    setWindowTitle(QStringLiteral("Organize Clips"));
    setAccessibleName(QStringLiteral("Organize Clips"));
    setModal(true);
    setFixedWidth(kSheetWidth);
    setMaximumHeight(kSheetMaxHeight);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(buildHeader());
    column->addWidget(hairline(this));
    m_bodies = new QStackedWidget(this);
    m_bodies->addWidget(buildForm());

    auto *progressPage = new QWidget(m_bodies);
    auto *progressColumn = new QVBoxLayout(progressPage);
    progressColumn->setContentsMargins(20, 20, 20, 20);
    progressColumn->setSpacing(20);
    progressColumn->addWidget(buildProgressView());
    m_bodies->addWidget(progressPage);
    column->addWidget(m_bodies, 1);

    // Everything the sheet shows follows the store.
    connect(&m_store, &ClipStore::clipsChanged, this, &ExportView::refresh);
    connect(&m_store, &ClipStore::selectionChanged, this, &ExportView::refresh);
    connect(&m_store, &ClipStore::viewOptionsChanged, this, &ExportView::refresh);
    connect(&m_store, &ClipStore::folderOrganizationChanged, this, &ExportView::refresh);
    connect(&m_store, &ClipStore::exportProgressChanged, this, &ExportView::refreshProgress);
    connect(&m_settings, &AppSettings::themeColorRawChanged, this, &ExportView::refresh);
    refresh();
}

ExportView::~ExportView() = default;

// ---- Presentation ------------------------------------------------------------

void ExportView::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!m_appeared) {
        m_appeared = true;
        applyDefaultDestination();
    }
}

void ExportView::dismiss()
{
    if (m_onDismiss)
        m_onDismiss();
    else
        hide();
}

void ExportView::reject()
{
    // Escape cancels the form; a run and its result are closed by their own controls.
    if (body() == Body::form)
        dismiss();
}

void ExportView::closeEvent(QCloseEvent *event)
{
    // The window's close button: any state but a running organize.
    event->ignore();
    if (!m_isExporting)
        dismiss();
}

// ---- State ---------------------------------------------------------------------

void ExportView::setExportURL(const std::optional<QUrl> &url)
{
    m_exportURL = url;
    refresh();
}

void ExportView::setScope(ExportScope scope)
{
    m_scope = scope;
    refresh();
}

void ExportView::setCreateFolder(bool create)
{
    m_createFolder = create;
    refresh();
}

void ExportView::setFolderName(const QString &name)
{
    m_folderName = name;
    refresh();
}

void ExportView::setGenerateManifest(bool generate)
{
    m_generateManifest = generate;
    refresh();
}

// ---- Derived values ----------------------------------------------------------------

ExportOptions ExportView::exportOptions() const
{
    return ExportOptions{m_createFolder ? std::optional<QString>(m_folderName) : std::nullopt, m_generateManifest};
}

std::optional<QUrl> ExportView::destinationFolderURL() const
{
    if (!m_exportURL)
        return std::nullopt;
    const ExportOptions options = exportOptions();
    if (FolderPlan::validateFolderName(options.folderName))
        return std::nullopt;
    const QUrl folder = FolderPlan::exportFolderURL(*m_exportURL, options.folderName);
    return folder.isEmpty() ? std::nullopt : std::optional<QUrl>(folder);
}

int ExportView::outsideScopeCount() const
{
    return static_cast<int>(m_store.clips().size() - m_store.clipsInScope(m_scope).size());
}

bool ExportView::isDifferentVolume() const
{
    if (!m_exportURL)
        return false;
    // The same file layer (and so the same idea of a volume) as the run's.
    return VerifiedMove::hasClipOnOtherVolume(*m_store.organizeRunner().fileOperations(), m_store.clipsInScope(m_scope), *m_exportURL);
}

bool ExportView::canOrganize() const
{
    return m_exportURL && !m_store.clipsInScope(m_scope).isEmpty() && !m_isExporting && !isDifferentVolume()
           && !FolderPlan::validateFolderName(exportOptions().folderName);
}

ExportView::Body ExportView::body() const
{
    if (m_exportResult)
        return Body::result;
    return m_isExporting ? Body::progress : Body::form;
}

QColor ExportView::accentColor() const
{
    return themeColorValue(m_settings.themeColorRaw());
}

// ---- Actions ---------------------------------------------------------------------

void ExportView::startOrganize()
{
    if (!m_exportURL || m_isExporting)
        return;
    const ExportOptions options = exportOptions();
    if (FolderPlan::validateFolderName(options.folderName))
        return;
    const QUrl destination = *m_exportURL;
    const ExportScope scope = m_scope;
    m_isExporting = true;
    refresh();
    runOrganize(destination, scope, options);
}

void ExportView::runOrganize(const QUrl &destination, ExportScope scope, const ExportOptions &options)
{
    QPointer<ExportView> self(this);
    m_store.organizeClips(scope, destination, options.folderName, options.generateManifest, [self](const ExportResult &result) {
        if (!self)
            return;
        self->m_isExporting = false;
        self->m_exportResult = result;
        self->refresh();
    });
}

void ExportView::chooseDestination()
{
    if (!m_chooser)
        return;
    const std::optional<QUrl> chosen = m_chooser(this, m_exportURL);
    if (!chosen)
        return; // cancelled: the destination stays
    setExportURL(chosen->isEmpty() ? std::nullopt : chosen);
}

void ExportView::applyDefaultDestination()
{
    if (!m_exportURL && m_store.sourceFolderURL())
        setExportURL(m_store.sourceFolderURL());
}

void ExportView::revealInFinder(const QUrl &folder)
{
    openFolderInFileManager(folder, this);
}

// ---- Texts ---------------------------------------------------------------------------

QString ExportView::scopeHelpText(ExportScope scope)
{
    switch (scope) {
    case ExportScope::shortlisted:
        return QStringLiteral("All shortlisted clips, including those hidden by filters.");
    case ExportScope::filtered:
        return QStringLiteral("Every clip in the current view, including clips outside the shortlist.");
    case ExportScope::selected:
        return QStringLiteral("Your selected clips, including those hidden by filters.");
    case ExportScope::all:
        return QStringLiteral("Every clip in the session, including unrated and untagged clips.");
    }
    return QString();
}

QString ExportView::moveButtonText(int count)
{
    return QStringLiteral("Move ") + QString::number(count) + QLatin1Char(' ')
           + plural(count, QStringLiteral("Clip"), QStringLiteral("Clips"));
}

QString ExportView::multiTagNoteText(int count)
{
    return QString::number(count) + QStringLiteral(" clip") + plural(count, QStringLiteral(" has"), QStringLiteral("s have"))
           + QStringLiteral(" multiple tags \u2014 placed in first tag's folder.");
}

QString ExportView::willBeMovedMarkup(int count, FolderOrganization organization)
{
    return QString::number(count) + QLatin1Char(' ') + plural(count, QStringLiteral("clip"), QStringLiteral("clips"))
           + QStringLiteral(" will be <b>moved</b> into ") + textsOf(organization).folderNoun + QStringLiteral(" folders");
}

QString ExportView::leftInPlaceText(int count)
{
    return QString::number(count) + QStringLiteral(" other ") + plural(count, QStringLiteral("clip"), QStringLiteral("clips"))
           + QStringLiteral(" left in place");
}

QString ExportView::movedText(int count)
{
    return QString::number(count) + QLatin1Char(' ') + plural(count, QStringLiteral("clip"), QStringLiteral("clips"))
           + QStringLiteral(" moved");
}

QString ExportView::errorCountText(int count)
{
    return QString::number(count) + QLatin1Char(' ') + plural(count, QStringLiteral("error"), QStringLiteral("errors"));
}

int ExportView::percent(double progress)
{
    if (!std::isfinite(progress))
        return 0;
    // The small nudge keeps 0.29 at 29 (0.29 * 100 is 28.999…).
    const double value = std::floor(progress * 100 + 1e-9);
    return static_cast<int>(qBound(0.0, value, 100.0));
}

// ---- Frame -----------------------------------------------------------------------------

QWidget *ExportView::buildHeader()
{
    auto *header = new QWidget(this);
    auto *row = new QHBoxLayout(header);
    row->setContentsMargins(20, 20, 20, 20);
    QLabel *title = label(QStringLiteral("Organize Clips"), 18, header, QFont::Bold);
    row->addWidget(title);
    row->addStretch(1);
    m_closeButton = new QToolButton(header);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setAutoRaise(true);
    QIcon close;
    for (const qreal dpr : {1.0, 2.0}) {
        close.addPixmap(SymbolCatalog::pixmap(QStringLiteral("xmark.circle.fill/organize"), 18, secondary(this), dpr), QIcon::Normal);
        close.addPixmap(SymbolCatalog::pixmap(QStringLiteral("xmark.circle.fill/organize"), 18, secondary(this, 0.4), dpr),
                        QIcon::Disabled);
    }
    m_closeButton->setIcon(close);
    m_closeButton->setIconSize(QSize(18, 18));
    m_closeButton->setAccessibleName(QStringLiteral("Close"));
    m_closeButton->setToolTip(QStringLiteral("Close"));
    m_closeButton->setCursor(Qt::PointingHandCursor);
    connect(m_closeButton, &QToolButton::clicked, this, [this] {
        if (!m_isExporting)
            dismiss();
    });
    row->addWidget(m_closeButton);
    return header;
}

void ExportView::refresh()
{
    // A change that arrives while the sheet updates itself (a picker set
    // from the state) is already part of this update.
    if (m_refreshing)
        return;
    m_refreshing = true;
    m_closeButton->setEnabled(!m_isExporting);
    switch (body()) {
    case Body::result:
        if (!m_resultPage) {
            m_resultPage = new QWidget(m_bodies);
            auto *column = new QVBoxLayout(m_resultPage);
            column->setContentsMargins(20, 20, 20, 20);
            column->setSpacing(16);
            column->addWidget(buildResultView(*m_exportResult));
            m_bodies->addWidget(m_resultPage);
        }
        m_bodies->setCurrentWidget(m_resultPage);
        break;
    case Body::progress:
        m_bodies->setCurrentIndex(1);
        refreshProgress();
        break;
    case Body::form:
        m_bodies->setCurrentIndex(0);
        refreshForm();
        refreshSummary();
        break;
    }
    m_refreshing = false;
}
