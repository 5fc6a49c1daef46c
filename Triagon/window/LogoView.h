#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class QVariantAnimation;

// The application logo as a widget: the mark at `size` with the logo's own
// padding, in a colour asked for at every paint (so that a changed accent
// shows at once). It can grow about its centre, animated, without changing
// the space it takes in a layout.
class LogoView : public QWidget
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    LogoView(double size, ColorSource color, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // Scales the drawing about its centre; animated with a springy ease when
    // `animated` is true.
    void setScale(double scale, bool animated = true);
    double scale() const { return m_scale; }
    double targetScale() const { return m_targetScale; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    double m_size;
    ColorSource m_color;
    double m_scale = 1.0;
    double m_targetScale = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
