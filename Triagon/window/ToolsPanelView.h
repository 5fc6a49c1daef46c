#pragma once

#include <QWidget>

class ContentView;
class ToolRow;

// The sidebar's "Tools" section: "Audio Triage" and "Detect Hand Markers"
// open their sheets; while the store finds numbering resets, a row counts
// them and "Review" opens the review of the first; while clips are flagged as
// hand markers, a row removes them from the session (files stay on disk,
// undoable). Follows the store's clips.
class ToolsPanelView : public QWidget
{
    Q_OBJECT
public:
    explicit ToolsPanelView(ContentView &window, QWidget *parent = nullptr);

    // "1 numbering reset", "3 numbering resets".
    static QString numberingResetText(qsizetype count);
    // "Review 3 possible numbering resets" (always plural).
    static QString numberingResetAccessibleName(qsizetype count);
    // "Remove 1 Marker Clip", "Remove 2 Marker Clips".
    static QString removeMarkersText(qsizetype count);
    static QString removeMarkersHelp();

    void refresh();

private:
    ContentView &m_window;
    ToolRow *m_audioTriage = nullptr;
    ToolRow *m_detectMarkers = nullptr;
    ToolRow *m_resets = nullptr;
    ToolRow *m_removeMarkers = nullptr;
};
