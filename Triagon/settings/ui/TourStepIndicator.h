#pragma once

#include <QColor>
#include <QList>
#include <QWidget>

class QVariantAnimation;

// The row of capsules under a tour card: one per step, the current one wide
// and in the accent colour, the others narrow and faint. A change of the
// current step slides the widths and colours over 0.2 s.
class TourStepIndicator : public QWidget
{
    Q_OBJECT
public:
    static constexpr int currentWidth = 16;
    static constexpr int otherWidth = 6;
    static constexpr int capsuleHeight = 6;
    static constexpr int spacing = 5;

    TourStepIndicator(const QColor &accent, QWidget *parent = nullptr);

    void setSteps(int count, int current, bool animated);
    int count() const { return m_count; }
    int current() const { return m_current; }
    // The widths the capsules settle at, in order.
    QList<int> capsuleWidths() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_accent;
    int m_count = 0;
    int m_current = 0;
    int m_previous = 0;
    double m_progress = 1.0;
    QVariantAnimation *m_animation = nullptr;
};
