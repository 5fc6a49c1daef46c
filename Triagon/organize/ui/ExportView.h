#pragma once

#include "library/model/ExportFolder.h"
#include "library/model/FolderOrganization.h"
#include "organize/ExportOptions.h"
#include "library/model/ExportResult.h"
#include "library/model/ExportScope.h"

#include <QDialog>
#include <QList>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <optional>

class AppSettings;
class ClipStore;
class ElidedLabel;
class ExportTreeFolderRow;
class QAbstractButton;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QStackedWidget;
class QToolButton;
class QVBoxLayout;
class SegmentedControl;

// The Organize Clips sheet: the user picks the clips (the scope), the
// destination folder, whether a new folder is made inside it, rating or tag
// folders and the manifest; a preview shows the planned folders and what will
// happen; the organize button starts the store's run, whose progress and then
// result replace the form. The sheet acts only through the store.
//
// While a run is under way the sheet cannot be closed (close button disabled,
// Escape and the window's close ignored); after it the result stays until the
// user closes the sheet.
class ExportView : public QDialog
{
    Q_OBJECT
public:
    // Runs a modal folder chooser starting at `start` (none: the default
    // place); no value when the user cancels.
    using FolderChooser = std::function<std::optional<QUrl>(QWidget *parent, const std::optional<QUrl> &start)>;

    enum class Body { form, progress, result };

    ExportView(ClipStore &store, AppSettings &settings, std::function<void()> onDismiss, QWidget *parent = nullptr);
    ~ExportView() override;

    // ---- State (one presentation) ----
    const std::optional<QUrl> &exportURL() const { return m_exportURL; }
    void setExportURL(const std::optional<QUrl> &url);
    ExportScope scope() const { return m_scope; }
    void setScope(ExportScope scope);
    bool createFolder() const { return m_createFolder; }
    void setCreateFolder(bool create);
    const QString &folderName() const { return m_folderName; }
    void setFolderName(const QString &name);
    bool generateManifest() const { return m_generateManifest; }
    void setGenerateManifest(bool generate);
    bool isExporting() const { return m_isExporting; }
    const std::optional<ExportResult> &exportResult() const { return m_exportResult; }

    // ---- Derived values, computed afresh on every read ----
    ExportOptions exportOptions() const;
    // The folder the run would make its folders in; none without a
    // destination or with an invalid new-folder name.
    std::optional<QUrl> destinationFolderURL() const;
    // Session clips that the run leaves in place.
    int outsideScopeCount() const;
    // Some clip of the scope lies on another volume than the destination.
    bool isDifferentVolume() const;
    // The organize button's rule.
    bool canOrganize() const;
    Body body() const;

    // ---- Actions ----
    // The organize button's action: starts the run unless the rule forbids it.
    void startOrganize();
    // "Choose…": the folder chooser, starting at the destination.
    void chooseDestination();
    // When the sheet appears: the folder last added, unless a destination is set.
    void applyDefaultDestination();
    // "Show in File Manager": opens the folder, or says where it is when no
    // file manager can.
    void revealInFinder(const QUrl &folder);

    void setFolderChooser(FolderChooser chooser) { m_chooser = std::move(chooser); }

    // ---- Texts ----
    static QString scopeHelpText(ExportScope scope);
    static QString moveButtonText(int count);
    static QString multiTagNoteText(int count);
    static QString willBeMovedMarkup(int count, FolderOrganization organization);
    static QString leftInPlaceText(int count);
    static QString movedText(int count);
    static QString errorCountText(int count);
    // The integer part of the percentage (0.999 gives 99).
    static int percent(double progress);

protected:
    void reject() override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Building (each in the source file of its part of the sheet).
    QWidget *buildHeader();
    QWidget *buildForm();
    QWidget *buildScopeSection();
    QWidget *buildDestinationSection();
    QWidget *buildOptionsSection();
    QWidget *buildFooter();
    QWidget *buildSummaryColumn();
    QWidget *buildProgressView();
    QWidget *buildResultView(const ExportResult &result);

    // Bringing what shows up to date with the state and the store.
    void refresh();
    void refreshForm();
    void refreshSummary();
    void refreshFolderTree(const QList<ExportFolder> &tree);
    void refreshProgress();
    void runOrganize(const QUrl &destination, ExportScope scope, const ExportOptions &options);
    void dismiss();
    QColor accentColor() const;

    ClipStore &m_store;
    AppSettings &m_settings;
    std::function<void()> m_onDismiss;
    FolderChooser m_chooser;

    std::optional<QUrl> m_exportURL;
    ExportScope m_scope = ExportScope::shortlisted;
    bool m_createFolder = true;
    QString m_folderName = QStringLiteral("Triagon");
    bool m_generateManifest = false;
    bool m_isExporting = false;
    std::optional<ExportResult> m_exportResult;
    bool m_appeared = false;
    bool m_refreshing = false;

    // Frame.
    QToolButton *m_closeButton = nullptr;
    QStackedWidget *m_bodies = nullptr;
    QWidget *m_resultPage = nullptr;

    // Form: scope, destination, options, footer.
    QComboBox *m_scopePicker = nullptr;
    QLabel *m_scopeHelp = nullptr;
    QLabel *m_destinationIcon = nullptr;
    ElidedLabel *m_destinationPath = nullptr;
    QLabel *m_noDestination = nullptr;
    SegmentedControl *m_placePicker = nullptr;
    QLineEdit *m_folderNameField = nullptr;
    QLabel *m_folderNameError = nullptr;
    QLabel *m_placeHint = nullptr;
    QWidget *m_volumeWarning = nullptr;
    SegmentedControl *m_organizationPicker = nullptr;
    QLabel *m_organizationHelp = nullptr;
    QCheckBox *m_manifestToggle = nullptr;
    QPushButton *m_organizeButton = nullptr;

    // Summary column.
    QLabel *m_countValue = nullptr;
    QLabel *m_countLabel = nullptr;
    QLabel *m_durationValue = nullptr;
    QLabel *m_sizeValue = nullptr;
    QLabel *m_emptyScopeText = nullptr;
    QWidget *m_plannedBlock = nullptr;
    QLabel *m_rootName = nullptr;
    QVBoxLayout *m_treeRows = nullptr;
    QList<ExportTreeFolderRow *> m_rows;
    QList<ExportFolder> m_shownTree;
    QWidget *m_manifestRow = nullptr;
    QLabel *m_manifestName = nullptr;
    QWidget *m_multiTagNote = nullptr;
    QLabel *m_multiTagText = nullptr;
    QLabel *m_willBeMoved = nullptr;
    QWidget *m_leftInPlace = nullptr;
    QLabel *m_leftInPlaceText = nullptr;
    QWidget *m_manifestLine = nullptr;
    QLabel *m_destinationLine = nullptr;

    // Progress.
    QProgressBar *m_progressBar = nullptr;
    ElidedLabel *m_currentFile = nullptr;
    QLabel *m_percentText = nullptr;
};
