#pragma once

#include <QList>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of joined segments of which one is chosen, or none: the pickers of
// the sheets and of the settings window ("New folder" / "Selected folder",
// "By Tag" / "By Rating", "System" / "Light" / "Dark").
//
// Each segment is a checkable button that screen readers announce with its
// title; the row is one stop of the Tab chain (the chosen segment), and the
// Left and Right arrow keys move the choice as a click would. Choosing from
// code sends nothing; the user's click or arrow key sends activated, also for
// the segment already chosen, and currentIndexChanged when the choice moved.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList &titles, QWidget *parent = nullptr);

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

private:
    void choose(int index);
    void updateTabStop();
    void restyle();

    QButtonGroup *m_group = nullptr;
    QList<QAbstractButton *> m_segments;
    int m_current = -1;
};
