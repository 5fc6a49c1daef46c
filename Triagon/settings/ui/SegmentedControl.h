#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

class QAbstractButton;
class QButtonGroup;

// A row of joined, mutually exclusive buttons (a segmented picker). Setting
// the selection from code emits nothing; a click on a segment, also on the
// one already selected, emits segmentClicked.
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    explicit SegmentedControl(const QStringList &labels, QWidget *parent = nullptr);

    int selectedIndex() const;
    // -1 selects nothing.
    void setSelectedIndex(int index);
    QList<QAbstractButton *> segments() const { return m_segments; }

Q_SIGNALS:
    void segmentClicked(int index);

protected:
    void changeEvent(QEvent *event) override;

private:
    void restyle();

    QButtonGroup *m_group = nullptr;
    QList<QAbstractButton *> m_segments;
};
