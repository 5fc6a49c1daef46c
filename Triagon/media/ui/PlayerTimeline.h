#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

// The full player's timeline: a thin rounded bar, gray, filled in the accent
// colour up to the current time. A press anywhere on it, and every move of a
// drag that started there, reports the pointer's place as a fraction of the
// bar's width (not clamped; the player clamps it). For accessibility it is
// one element named "Timeline" whose description is the time and the length.
class PlayerTimeline : public QWidget
{
    Q_OBJECT
public:
    static constexpr int barHeight = 5;
    static constexpr int topPadding = 6;

    explicit PlayerTimeline(QWidget *parent = nullptr);

    // 0 … 1; anything else (not finite) draws no fill.
    void setFraction(double fraction);
    double fraction() const { return m_fraction; }
    void setAccent(const QColor &accent);
    // "0:03 of 0:10".
    void setValueText(const QString &text);
    QString valueText() const { return m_valueText; }

    QSize sizeHint() const override { return {200, topPadding + barHeight}; }
    QSize minimumSizeHint() const override { return {20, topPadding + barHeight}; }

Q_SIGNALS:
    void dragged(double fraction);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    double m_fraction = 0;
    QColor m_accent{249, 115, 22};
    QString m_valueText;
    bool m_dragging = false;
};
