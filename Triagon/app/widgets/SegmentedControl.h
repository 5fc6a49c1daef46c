#pragma once

#include "app/SymbolPainting.h"

#include <QList>
#include <QStringList>
#include <QWidget>

class QAbstractButton;

// A row of joined segments of which one is chosen, or none: the pickers of
// the sheets and of the settings window ("New folder" / "Selected folder",
// "By Tag" / "By Rating", "System" / "Light" / "Dark") and of the window's
// sidebar (the sort order, the folder organization). A segment shows a title
// or a drawn symbol.
//
// Each segment is a checkable button that screen readers announce with its
// title (a symbol segment with its name); the row is one stop of the Tab
// chain (the chosen segment), and the Left and Right arrow keys move the
// choice as a click would. Choosing from code sends nothing; the user's click,
// arrow key or assistive tool's toggle sends activated, also for the segment
// already chosen, and currentIndexChanged when the choice moved.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    enum class Look {
        // Bordered buttons side by side, the chosen one in the highlight
        // colour (the sheets and the settings window).
        joined,
        // Borderless segments on a faint rounded track, the chosen one raised
        // and the others in the secondary text colour (the window's sidebar).
        // A click leaves the keyboard focus where it was, so that the grid
        // keeps its keys while the user sorts.
        track,
    };

    // A joined row of text segments.
    explicit SegmentedControl(const QStringList &titles, QWidget *parent = nullptr);
    // An empty row in `look`; segments are added one by one.
    explicit SegmentedControl(Look look, QWidget *parent = nullptr);

    Look look() const { return m_look; }
    void addTextSegment(const QString &title);
    // A segment that shows a drawing; `name` is its accessible name. It has no
    // tooltip of its own: the control's tooltip shows over every segment.
    void addSymbolSegment(SymbolDrawer symbol, const QString &name);
    // The segments' text size, in pixels.
    void setTextPixels(int pixels);

    int count() const { return static_cast<int>(m_segments.size()); }
    // -1 while nothing is chosen.
    int currentIndex() const { return m_current; }
    // Chooses a segment without a signal; -1 (or any index out of range)
    // chooses none.
    void setCurrentIndex(int index);
    QAbstractButton *segment(int index) const;
    QList<QAbstractButton *> segments() const { return m_segments; }

Q_SIGNALS:
    // The user chose a segment (perhaps the one already chosen).
    void activated(int index);
    // The user chose another segment than the one chosen before.
    void currentIndexChanged(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void addSegment(QAbstractButton *segment);
    void choose(int index);
    void updateTabStop();
    void restyle();

    Look m_look;
    QList<QAbstractButton *> m_segments;
    int m_current = -1;
    // Set while the checks follow a choice, so that they are not taken for a
    // toggle by an assistive tool.
    bool m_settingChecks = false;
};
