#pragma once

#include <QWidget>

class AppSettings;
class ClipStore;
class ContentView;
class GridSizeSlider;
class SwitchRow;

// The sidebar's "View" section: the card size slider between a symbol of
// many small cards and one of a single large card, and the "Scrub audio"
// switch of the window.
class ViewSectionView : public QWidget
{
    Q_OBJECT
public:
    ViewSectionView(ContentView &window, QWidget *parent = nullptr);

    GridSizeSlider *gridSizeSlider() const { return m_slider; }

private:
    ContentView &m_window;
    GridSizeSlider *m_slider = nullptr;
    SwitchRow *m_scrubAudio = nullptr;
};
