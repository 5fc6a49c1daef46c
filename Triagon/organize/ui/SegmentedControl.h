#pragma once

#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of joined segments of which exactly one is chosen: the sheet's
// pickers ("New folder" / "Selected folder", "By Tag" / "By Rating").
// Arrow keys move the choice; each segment is a checkable button that screen
// readers announce with its title.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    SegmentedControl(const QStringList &titles, QWidget *parent = nullptr);

    int currentIndex() const { return m_current; }
    // Chooses a segment without sending currentIndexChanged.
    void setCurrentIndex(int index);
    QAbstractButton *segment(int index) const;
    int count() const;

Q_SIGNALS:
    // The user chose another segment.
    void currentIndexChanged(int index);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void choose(int index);
    QButtonGroup *m_group = nullptr;
    int m_current = 0;
};
