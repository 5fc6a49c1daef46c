#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

// The layer that the grid lays over itself while a clip is open in the full
// player: the grid dimmed by black at half opacity, and the player's panel
// centred on it, at most 1000 by 720 points and 48 points from every edge,
// as large as fits with its video at 16:9. A press on the dimmed area
// beside the panel reports itself; the grid then closes the player.
class ExpandedClipOverlay : public QWidget
{
    Q_OBJECT
public:
    static constexpr int maxPanelWidth = 1000;
    static constexpr int maxPanelHeight = 720;
    static constexpr int padding = 48;

    explicit ExpandedClipOverlay(QWidget *parent);

    // Takes the panel as a child; the old one, if any, goes.
    void setPanel(QWidget *panel);
    QWidget *panel() const { return m_panel; }
    // The panel's place for the overlay's size.
    QRect panelGeometry() const;

Q_SIGNALS:
    void pressedOutsidePanel();

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void placePanel();

    QPointer<QWidget> m_panel;
};
