#include "window/MainToolbar.h"

#include "app/ThemeColor.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "settings/TourManager.h"
#include "window/ContentView.h"
#include "app/SymbolCatalog.h"
#include "window/LogoView.h"
#include "window/SessionActionsButton.h"
#include "window/SessionSummaryView.h"
#include "window/SymbolButton.h"
#include "window/UndoRedoButtons.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QPushButton>

MainToolbar::MainToolbar(ContentView &window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setObjectName(QStringLiteral("toolbarRow"));
    m_row = new QHBoxLayout(this);
    m_row->setContentsMargins(16, 10, 16, 10);
    m_row->setSpacing(12);

    m_sidebarButton = new SymbolButton(QString(), SymbolCatalog::drawer(QStringLiteral("sidebar.left")), 14, this);
    m_sidebarButton->setObjectName(QStringLiteral("sidebarButton"));
    connect(m_sidebarButton, &QAbstractButton::clicked, this, [this] { m_window.setSidebarVisible(!m_window.sidebarVisible()); });
    m_row->addWidget(m_sidebarButton);

    m_logo = new LogoView(
        20, [] { return brandAccentColor(); }, this);
    m_row->addWidget(m_logo);

    m_summaryGroup = new QWidget(this);
    auto *summaryRow = new QHBoxLayout(m_summaryGroup);
    summaryRow->setContentsMargins(0, 0, 0, 0);
    summaryRow->setSpacing(12);
    QFrame *rule = WidgetStyle::hairline(m_summaryGroup, Qt::Vertical);
    rule->setFixedHeight(20);
    summaryRow->addWidget(rule);
    m_summary = new SessionSummaryView(m_window.store(), m_summaryGroup);
    summaryRow->addWidget(m_summary);
    m_row->addWidget(m_summaryGroup);

    m_row->addStretch(1);

    m_undoRedo = new UndoRedoButtons(m_window.store(), this);
    m_row->addWidget(m_undoRedo);

    m_tour = new SymbolButton(QString(), SymbolCatalog::drawer(QStringLiteral("questionmark.circle")), 14, this);
    m_tour->setObjectName(QStringLiteral("tourButton"));
    m_tour->setHelp(QStringLiteral("Take a Tour"));
    // Shown again even when it was finished before, like the Help menu's item.
    connect(m_tour, &QAbstractButton::clicked, this, [this] { m_window.tourManager().setActiveTour(TourManager::onboardingTour()); });
    m_row->addWidget(m_tour);

    m_actions = new SessionActionsButton(m_window, this);
    m_row->addWidget(m_actions);

    m_addClips = new QPushButton(SymbolCatalog::icon(QStringLiteral("plus.rectangle.on.folder"), QStringLiteral("folder-new")),
                                 QStringLiteral("Add Clips"), this);
    m_addClips->setObjectName(QStringLiteral("addClipsButton"));
    connect(m_addClips, &QPushButton::clicked, &m_window, &ContentView::chooseFootage);
    m_row->addWidget(m_addClips);

    connect(&m_window.store(), &ClipStore::clipsChanged, this, &MainToolbar::refresh);
    connect(&m_window, &ContentView::windowStateChanged, this, &MainToolbar::refresh);
    refresh();
}

void MainToolbar::refresh()
{
    const bool hasClips = !m_window.store().clips().isEmpty();
    m_sidebarButton->setVisible(hasClips);
    m_sidebarButton->setHelp(m_window.sidebarVisible() ? hideSidebarText() : showSidebarText());
    m_summaryGroup->setVisible(hasClips);
}
