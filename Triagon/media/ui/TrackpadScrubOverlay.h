#pragma once

#include <QWidget>

#include <functional>
#include <optional>

class QWheelEvent;

// Turns two-finger horizontal trackpad swipes over a widget (a clip card, the
// player's video), including the inertial motion after the fingers lift, into
// horizontal deltas, while clicks and ordinary mouse-wheel scrolling keep
// their usual meaning. Lay it over the widget as a child: it is invisible,
// takes no clicks or focus, and reads the wheel events that reach the widget.
class TrackpadScrubOverlay : public QWidget
{
    Q_OBJECT

public:
    using ScrubCallback = std::function<void(qreal delta)>;

    explicit TrackpadScrubOverlay(QWidget *parent, ScrubCallback onScrub = {});

    // Replaces the callback, so that it always sees its owner's current state.
    void setOnScrub(ScrubCallback onScrub) { m_onScrub = std::move(onScrub); }

    // What the overlay makes of one wheel event: none for a classic mouse
    // wheel (pass it on), else the horizontal delta of a trackpad gesture
    // (the event is consumed; the callback runs only above 0.5 in size).
    // Touchpads on X11 often report no scroll phase: pixel-precise deltas
    // without a phase count as trackpad scrolling.
    static std::optional<qreal> trackpadDelta(const QWheelEvent *event);

Q_SIGNALS:
    void scrubbed(qreal delta);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ScrubCallback m_onScrub;
};
