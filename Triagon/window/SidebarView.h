#pragma once

#include <QWidget>

class ContentView;
class FilterSectionView;
class GradientButton;
class QFrame;
class QScrollArea;
class ShortlistPanelView;
class SidebarSection;
class SortGroupSectionView;
class ToolsPanelView;
class ViewSectionView;

// The sidebar's content: a scrolling column of the sections "Filter",
// "Sort & Group", "View" and "Tools"; below it the shortlist panel while
// anything is shortlisted; and at the bottom, always, "Organize Clips…".
class SidebarView : public QWidget
{
    Q_OBJECT
public:
    explicit SidebarView(ContentView &window, QWidget *parent = nullptr);

    QList<SidebarSection *> sections() const { return m_sections; }
    FilterSectionView *filterSection() const { return m_filter; }
    SortGroupSectionView *sortGroupSection() const { return m_sortGroup; }
    ViewSectionView *viewSection() const { return m_view; }
    ToolsPanelView *toolsPanel() const { return m_tools; }
    ShortlistPanelView *shortlistPanel() const { return m_shortlist; }

private:
    void refreshShortlist();

    ContentView &m_window;
    QList<SidebarSection *> m_sections;
    FilterSectionView *m_filter = nullptr;
    SortGroupSectionView *m_sortGroup = nullptr;
    ViewSectionView *m_view = nullptr;
    ToolsPanelView *m_tools = nullptr;
    // The shortlist panel's frame (with its divider), shown while anything is shortlisted.
    QWidget *m_shortlistFrame = nullptr;
    ShortlistPanelView *m_shortlist = nullptr;
    GradientButton *m_organize = nullptr;
};
