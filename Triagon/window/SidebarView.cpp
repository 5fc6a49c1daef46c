#include "window/SidebarView.h"

#include "app/AppSettings.h"
#include "app/widgets/WidgetStyle.h"
#include "library/ClipStore.h"
#include "window/ContentView.h"
#include "window/FilterSectionView.h"
#include "window/GradientButton.h"
#include "app/SymbolCatalog.h"
#include "window/ShortlistPanelView.h"
#include "window/SidebarSection.h"
#include "window/SortGroupSectionView.h"
#include "window/ToolsPanelView.h"
#include "window/ViewSectionView.h"

#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr GradientButton::Style organizeStyle{
    .iconSize = 16, .spacing = 8, .paddingH = 12, .paddingV = 10, .radius = 10, .fontPixels = 14, .shadow = false};

} // namespace

SidebarView::SidebarView(ContentView &window, QWidget *parent) : QWidget(parent), m_window(window)
{
    setObjectName(QStringLiteral("sidebarContent"));
    const int padding = ContentView::sidebarContentPadding;
    auto *frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    frame->setSpacing(0);

    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("sidebarScroll"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A scroll bar whenever the sections pass the window's height: without
    // one, tools below the fold (the folder preview takes its room at the
    // bottom) would be cut off with no sign that the column scrolls.
    scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll->viewport()->setAutoFillBackground(false);
    // The grid keeps the keyboard whatever is clicked in the sidebar: the
    // column itself never takes the focus (a click on bare space or a
    // caption would give it to the scroll area), and its controls are
    // reached with Tab only.
    scroll->setFocusPolicy(Qt::NoFocus);
    auto *column = new QWidget(scroll);
    auto *sections = new QVBoxLayout(column);
    sections->setContentsMargins(padding, 0, padding, 0);
    sections->setSpacing(0);

    const auto addSection = [&](const QString &title, QWidget *content) {
        if (!m_sections.isEmpty())
            sections->addWidget(WidgetStyle::hairline(column));
        auto *section = new SidebarSection(title, column);
        content->setParent(section);
        section->content()->addWidget(content);
        sections->addWidget(section);
        m_sections.append(section);
    };
    m_filter = new FilterSectionView(window.store(), window.settings());
    addSection(QStringLiteral("Filter"), m_filter);
    m_sortGroup = new SortGroupSectionView(window.store());
    addSection(QStringLiteral("Sort & Group"), m_sortGroup);
    m_view = new ViewSectionView(window);
    addSection(QStringLiteral("View"), m_view);
    m_tools = new ToolsPanelView(window);
    addSection(QStringLiteral("Tools"), m_tools);
    sections->addSpacing(16);
    sections->addStretch(1);
    scroll->setWidget(column);
    // The sidebar's own tint shows through.
    column->setAutoFillBackground(false);
    frame->addWidget(scroll, 1);

    m_shortlistFrame = new QWidget(this);
    m_shortlistFrame->setObjectName(QStringLiteral("shortlistFrame"));
    auto *shortlistColumn = new QVBoxLayout(m_shortlistFrame);
    shortlistColumn->setContentsMargins(0, 0, 0, 0);
    shortlistColumn->setSpacing(0);
    shortlistColumn->addWidget(WidgetStyle::hairline(m_shortlistFrame));
    m_shortlist = new ShortlistPanelView(window.store(), m_shortlistFrame);
    m_shortlist->setContentsMargins(padding, 12, padding, 12);
    shortlistColumn->addWidget(m_shortlist);
    frame->addWidget(m_shortlistFrame);

    frame->addWidget(WidgetStyle::hairline(this));
    m_organize = new GradientButton(
        QStringLiteral("Organize Clips\u2026"), SymbolCatalog::drawer(QStringLiteral("checkmark.circle.fill")), organizeStyle,
        [this] { return m_window.settings().accentColor(); }, this);
    m_organize->setObjectName(QStringLiteral("organizeButton"));
    m_organize->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_organize->setFocusPolicy(Qt::TabFocus);
    connect(m_organize, &QAbstractButton::clicked, this, [this] { m_window.setShowCommit(true); });
    auto *organizeRow = new QVBoxLayout;
    organizeRow->setContentsMargins(padding, 12, padding, 12);
    organizeRow->addWidget(m_organize);
    frame->addLayout(organizeRow);

    connect(&window.store(), &ClipStore::clipsChanged, this, &SidebarView::refreshShortlist);
    connect(&window.store(), &ClipStore::folderOrganizationChanged, this, &SidebarView::refreshShortlist);
    connect(&window.settings(), &AppSettings::themeColorRawChanged, m_organize, qOverload<>(&QWidget::update));
    refreshShortlist();
}

void SidebarView::refreshShortlist()
{
    m_shortlistFrame->setVisible(m_window.store().exportPreviewTree().has_value());
}
