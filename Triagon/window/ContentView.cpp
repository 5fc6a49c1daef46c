#include "window/ContentView.h"

#include "AppUpdates/WhatsNewPresenter.h"
#include "app/AppSettings.h"
#include "app/Loggers.h"
#include "app/ThemeColor.h"
#include "app/widgets/WidgetStyle.h"
#include "grid/ClipGridView.h"
#include "library/ClipStore.h"
#include "library/model/VideoExtensions.h"
#include "settings/TourManager.h"
#include "settings/ui/OnboardingOverlay.h"
#include "window/EmptyStateView.h"
#include "window/GridAreaView.h"
#include "window/LogoView.h"
#include "window/MainToolbar.h"
#include "window/OpenPanel.h"
#include "window/SidebarView.h"
#include "window/StoreIntake.h"
#include "window/WindowSheets.h"
#include "markers/MarkerDetector.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDragLeaveEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QMimeData>
#include <QTimer>
#include <QVBoxLayout>

namespace {

bool carriesFileUrls(const QMimeData *mime)
{
    if (!mime || !mime->hasUrls())
        return false;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            return true;
    }
    return false;
}

} // namespace

const QList<ContentView::ShortcutSection> &ContentView::keyboardShortcutSections()
{
    static const QList<ShortcutSection> sections{
        {QStringLiteral("Grid"),
         {{QStringLiteral("1\u20135"), QStringLiteral("Rate selected clip(s)")},
          {QStringLiteral("T"), QStringLiteral("Open tag picker")},
          {QStringLiteral("Return"), QStringLiteral("Expand selected clip")},
          {QStringLiteral("Delete"), QStringLiteral("Remove selected clip(s)")},
          {QStringLiteral("Arrow keys"), QStringLiteral("Navigate grid")},
          {QStringLiteral("Shift+Click"), QStringLiteral("Range select")},
          {QStringLiteral("Ctrl+Click"), QStringLiteral("Toggle select")},
          {QStringLiteral("Ctrl+A"), QStringLiteral("Select all")},
          {QStringLiteral("Escape"), QStringLiteral("Deselect all")}}},
        {QStringLiteral("Player"),
         {{QStringLiteral("Space"), QStringLiteral("Play / Pause")},
          {QStringLiteral("J"), QStringLiteral("Reverse shuttle (press again to go faster)")},
          {QStringLiteral("K"), QStringLiteral("Stop / Pause")},
          {QStringLiteral("L"), QStringLiteral("Forward shuttle (press again to go faster)")},
          {QStringLiteral(", (comma)"), QStringLiteral("Step one frame back")},
          {QStringLiteral(". (period)"), QStringLiteral("Step one frame forward")},
          {QStringLiteral("["), QStringLiteral("Jump back 5 seconds")},
          {QStringLiteral("]"), QStringLiteral("Jump forward 5 seconds")},
          {QStringLiteral("\u2190 \u2192"), QStringLiteral("Previous / Next clip")},
          {QStringLiteral("1\u20135"), QStringLiteral("Rate current clip")},
          {QStringLiteral("T"), QStringLiteral("Open tag picker")},
          {QStringLiteral("Escape"), QStringLiteral("Close player")}}},
        {QStringLiteral("App"),
         {{QStringLiteral("Ctrl+Z"), QStringLiteral("Undo")},
          {QStringLiteral("Ctrl+Shift+Z"), QStringLiteral("Redo")},
          {QStringLiteral("Ctrl+?"), QStringLiteral("Take a Tour")}}},
    };
    return sections;
}

QString ContentView::saveFailureMessage(const QString &error)
{
    return QStringLiteral("Your ratings and tags could not be written to disk, so recent triage work may be lost if you quit. ") + error;
}

QString ContentView::restoreFailureMessage(const UnreadableSession &error)
{
    if (error.keptAs.isEmpty())
        return QStringLiteral("The saved session file was empty, so Triagon started with an empty session.");
    const QString kept = error.keptAs == ClipStore::sessionFilePath()
                             ? QStringLiteral("The unreadable file is still at \u201C") + error.keptAs + QStringLiteral("\u201D.")
                             : QStringLiteral("The unreadable file was kept as \u201C") + error.keptAs + QStringLiteral("\u201D.");
    return QStringLiteral("The saved session could not be read, so Triagon started with an empty session. ") + kept + QStringLiteral(" (")
           + error.reason + QLatin1Char(')');
}

ContentView::ContentView(ClipStore &store, AppSettings &settings, TourManager &tourManager, QWidget *parent)
    : QWidget(parent), m_store(store), m_settings(settings), m_tourManager(tourManager), m_intake(new StoreIntake(store, this)),
      m_ownPanel(std::make_unique<OpenPanel>(this)), m_panel(m_ownPanel.get())
{
    setObjectName(QStringLiteral("contentView"));
    setMinimumSize(800, 600);
    setAcceptDrops(true);
    setAutoFillBackground(true);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);

    m_sheets = new WindowSheets(*this);
    connect(m_sheets, &WindowSheets::changed, this, &ContentView::windowStateChanged);
    m_toolbar = new MainToolbar(*this, this);
    root->addWidget(m_toolbar);
    m_toolbarDivider = WidgetStyle::hairline(this);
    root->addWidget(m_toolbarDivider);

    auto *contentRow = new QHBoxLayout;
    contentRow->setContentsMargins(0, 0, 0, 0);
    contentRow->setSpacing(0);
    m_sidebar = new QWidget(this);
    m_sidebar->setObjectName(QStringLiteral("sidebar"));
    m_sidebar->setFixedWidth(sidebarWidth);
    m_sidebar->setAutoFillBackground(true);
    auto *sidebarColumn = new QVBoxLayout(m_sidebar);
    sidebarColumn->setContentsMargins(0, 0, 0, 0);
    sidebarColumn->setSpacing(0);
    m_sidebarView = new SidebarView(*this, m_sidebar);
    sidebarColumn->addWidget(m_sidebarView);
    contentRow->addWidget(m_sidebar);
    m_sidebarDivider = WidgetStyle::hairline(this, Qt::Vertical);
    contentRow->addWidget(m_sidebarDivider);

    m_gridArea = new GridAreaView(
        m_store, m_settings, [this] { return m_settings.accentColor(); }, surfaceBg(), this);
    connect(m_gridArea, &GridAreaView::chooseFootage, this, &ContentView::chooseFootage);
    connect(m_gridArea, &GridAreaView::locateFiles, this, [this] { setShowMissingMedia(true); });
    m_gridArea->setNumberingResetHandler([this](const MarkerDetector::NumberingReset &reset) { reviewNumberingReset(reset); });
    setRemoveMarkerClipsAction([this] { m_store.removeMarkerClips(); });
    contentRow->addWidget(m_gridArea, 1);
    root->addLayout(contentRow, 1);

    connect(&m_store, &ClipStore::clipsChanged, this, &ContentView::onClipsChanged);
    connect(&m_store, &ClipStore::loadingChanged, this, &ContentView::updateLayout);
    connect(&m_settings, &AppSettings::themeColorRawChanged, this, &ContentView::updateTint);
    connect(qApp, &QGuiApplication::applicationStateChanged, this, &ContentView::onApplicationStateChanged);

    // The guided tour lies over the whole window while a tour is active; the
    // notes of a new version are offered each time the window comes on screen.
    new OnboardingOverlay(m_tourManager, brandAccentColor(), this);
    // However the tour ends (a click, a key, a screen reader's action on
    // "Skip"), the keys go back to the clips; connected after the overlay,
    // which lets go of the focus first.
    connect(&m_tourManager, &TourManager::activeTourChanged, this, [this] {
        if (!m_tourManager.activeTour())
            returnKeyboardFocus();
    });
    auto *whatsNew = new WhatsNewPresenter(this, m_settings, brandAccentColor(),
                                           [] { return new LogoView(40, [] { return brandAccentColor(); }); });
    connect(whatsNew, &WhatsNewPresenter::sheetClosed, this, &ContentView::returnKeyboardFocus);

    m_intake->setImportPanel(m_panel);
    m_lastClipCount = m_store.clips().size();
    watchTopLevelWindow();
    updateTint();
    updateLayout();
}

ContentView::~ContentView()
{
    // The store outlives the window: it must not keep the window's panel.
    m_intake->setImportPanel(nullptr);
}

void ContentView::setImportPanel(ImportPanel *panel)
{
    m_panel = panel ? panel : m_ownPanel.get();
    m_intake->setImportPanel(m_panel);
}

QWidget *ContentView::toolbarRow() const
{
    return m_toolbar;
}

void ContentView::chooseFootage()
{
    m_intake->showImportPanel(*m_panel);
    // Not left on "Add Clips": the next key goes to the clips.
    returnKeyboardFocus();
}

// ---- Layout and look ----------------------------------------------------------

void ContentView::updateLayout()
{
    const bool hasClips = !m_store.clips().isEmpty();
    const bool showToolbar = hasClips || m_store.isLoading();
    m_toolbar->setVisible(showToolbar);
    m_toolbarDivider->setVisible(showToolbar);
    const bool showSidebar = m_sidebarVisible && hasClips;
    m_sidebar->setVisible(showSidebar);
    m_sidebarDivider->setVisible(showSidebar);
}

void ContentView::updateTint()
{
    QPalette pal = QApplication::palette();
    const QColor accent = m_settings.accentColor();
    pal.setColor(QPalette::Highlight, accent);
    pal.setColor(QPalette::Link, accent);
    pal.setColor(QPalette::HighlightedText, Qt::white);
    setPalette(pal);
    updateSurface();
}

void ContentView::updateSurface()
{
    QPalette pal = palette();
    const bool darkPalette = QApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
    const QColor surface = darkPalette ? surfaceBg() : QApplication::palette().color(QPalette::Window);
    pal.setColor(QPalette::Window, surface);
    setPalette(pal);
    // The empty state stands in the same window: with a light palette it is
    // light too, so the window does not flip at the first import.
    m_gridArea->emptyState()->setSurface(surface, darkPalette ? QColor(Qt::white) : QApplication::palette().color(QPalette::WindowText));

    QPalette side = pal;
    QColor control = QApplication::palette().color(QPalette::Base);
    control.setAlphaF(0.5);
    side.setColor(QPalette::Window, control);
    m_sidebar->setPalette(side);
}

bool ContentView::event(QEvent *event)
{
    if (event->type() == QEvent::ApplicationPaletteChange)
        updateTint();
    else if (event->type() == QEvent::ParentChange)
        watchTopLevelWindow();
    return QWidget::event(event);
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_watchedWindow && event->type() == QEvent::ApplicationPaletteChange)
        updateTint();
    return QWidget::eventFilter(watched, event);
}

void ContentView::watchTopLevelWindow()
{
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window() != this ? window() : nullptr;
    if (m_watchedWindow)
        m_watchedWindow->installEventFilter(this);
}

void ContentView::setAudioEnabled(bool enabled)
{
    if (m_audioEnabled == enabled)
        return;
    m_audioEnabled = enabled;
    m_gridArea->setAudioEnabled(enabled);
    Q_EMIT windowStateChanged();
}

void ContentView::setSidebarVisible(bool visible)
{
    if (m_sidebarVisible == visible)
        return;
    m_sidebarVisible = visible;
    updateLayout();
    Q_EMIT windowStateChanged();
}

// ---- Store observation ----------------------------------------------------------

void ContentView::onClipsChanged()
{
    updateLayout();
    const qsizetype count = m_store.clips().size();
    if (count == m_lastClipCount)
        return;
    m_lastClipCount = count;
    // The first clips of this window (restored or imported) start the first
    // tour the user has not finished, once per window.
    if (count > 0 && !m_didCheckTour) {
        m_didCheckTour = true;
        QPointer<TourManager> tours(&m_tourManager);
        QTimer::singleShot(500, this, [tours] {
            if (tours)
                tours->startFirstPendingTour();
        });
    }
}

void ContentView::onApplicationStateChanged(Qt::ApplicationState state)
{
    // Files may have come back or gone while the user was elsewhere.
    if (state == Qt::ApplicationActive && !m_store.clips().isEmpty())
        m_intake->refreshAvailability();
}

void ContentView::returnKeyboardFocus()
{
    if (ClipGridView *grid = m_gridArea->grid())
        grid->takeKeyboardFocus();
}

void ContentView::discardAndStartFresh()
{
    m_intake->startNewSession(m_settings.decodedDefaultTags());
}

void ContentView::setRemoveMarkerClipsAction(std::function<void()> action)
{
    m_removeMarkerClips = std::move(action);
}

void ContentView::removeMarkerClips()
{
    if (m_removeMarkerClips)
        m_removeMarkerClips();
}

// ---- Drop intake ------------------------------------------------------------------

void ContentView::setDragTargeted(bool targeted)
{
    if (m_isDragTargeted == targeted)
        return;
    m_isDragTargeted = targeted;
    m_gridArea->emptyState()->setDragTargeted(targeted);
}

void ContentView::dragEnterEvent(QDragEnterEvent *event)
{
    if (!carriesFileUrls(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    setDragTargeted(true);
}

void ContentView::dragMoveEvent(QDragMoveEvent *event)
{
    if (carriesFileUrls(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

void ContentView::dragLeaveEvent(QDragLeaveEvent *event)
{
    setDragTargeted(false);
    QWidget::dragLeaveEvent(event);
}

void ContentView::dropEvent(QDropEvent *event)
{
    setDragTargeted(false);
    const QMimeData *mime = event->mimeData();
    if (mime && mime->hasUrls())
        importDroppedURLs(mime->urls());
    // Accepted whatever the items turn out to be.
    event->acceptProposedAction();
}

void ContentView::importDroppedURLs(const QList<QUrl> &urls)
{
    for (const QUrl &url : urls)
        handleDroppedURL(url);
}

void ContentView::handleDroppedURL(const QUrl &url)
{
    if (!url.isValid() || !url.isLocalFile())
        return;
    const QString path = url.toLocalFile();
    if (path.isEmpty())
        return;
    // Links are followed: a link to a folder is a folder. A path that does not
    // exist counts as a file.
    const bool isDirectory = QFileInfo(path).isDir();
    QPointer<ContentView> self(this);
    QMetaObject::invokeMethod(
        this,
        [self, isDirectory, url] {
            if (self)
                self->importURL(isDirectory, url);
        },
        Qt::QueuedConnection);
}

void ContentView::importURL(bool isDirectory, const QUrl &url)
{
    if (isDirectory) {
        m_intake->importFolder(url);
        return;
    }
    if (hasSupportedVideoExtension(url.toLocalFile()))
        m_intake->importFile(url);
    else
        qCInfo(sessionLogger).noquote() << QStringLiteral("Skipped %1: neither a folder nor a video file").arg(url.toLocalFile());
}
