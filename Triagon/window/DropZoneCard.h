#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class QLabel;
class QVariantAnimation;

// The picture of the drop target in the empty state: a downward arrow in a
// circle and "Drop folders or video files here" inside a dashed rounded
// border. It accepts nothing itself (the whole window does); it only shows
// whether a drag is over the window.
class DropZoneCard : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    explicit DropZoneCard(ColorSource accent, QWidget *parent = nullptr);

    void setTargeted(bool targeted);
    bool isTargeted() const { return m_targeted; }
    QString text() const;
    // The arrow's current scale (1.0, or growing toward 1.2 while targeted).
    double arrowScale() const { return m_arrowScale; }

    // The colour of the untargeted text, border and arrow, in faint shades:
    // white on a dark surface, dark on a light one.
    void setInk(const QColor &ink);
    QColor ink() const { return m_ink; }
    // The text's colour now.
    QColor textColor() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void updateTextColor();
    QColor accent() const;

    ColorSource m_accent;
    QLabel *m_label = nullptr;
    QColor m_ink = Qt::white;
    bool m_targeted = false;
    double m_arrowScale = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
