#pragma once

#include <QList>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QPainter;

// A row of exclusive segments in one rounded frame (the sort order, the
// organize folder choice). A segment shows a text or a drawn symbol; the
// chosen one is filled. Each segment is a button of its own for assistive
// technology, checked while chosen. Choosing reports activated(); the owner
// shows changes made elsewhere with setCurrentIndex().
class SegmentedControl : public QWidget
{
    Q_OBJECT
public:
    using Drawer = std::function<void(QPainter &painter, const QRectF &box, const QColor &color)>;

    explicit SegmentedControl(QWidget *parent = nullptr);

    void addTextSegment(const QString &text);
    // A symbol segment; `name` is its accessible name.
    void addSymbolSegment(Drawer symbol, const QString &name);

    int count() const { return int(m_segments.size()); }
    int currentIndex() const { return m_current; }
    // Shows a choice without reporting it.
    void setCurrentIndex(int index);
    QAbstractButton *segment(int index) const { return m_segments.value(index); }
    // Font size of the texts, in points.
    void setTextPixels(int pixels);

Q_SIGNALS:
    void activated(int index);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void addSegment(QAbstractButton *segment);

    QList<QAbstractButton *> m_segments;
    int m_current = -1;
    bool m_settingCurrent = false;
};
