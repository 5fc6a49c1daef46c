#include "media/ui/TrackpadScrubOverlay.h"

#include <QEvent>
#include <QWheelEvent>

#include <cmath>

TrackpadScrubOverlay::TrackpadScrubOverlay(QWidget *parent, ScrubCallback onScrub) : QWidget(parent), m_onScrub(std::move(onScrub))
{
    // Clicks, drags and hover go to the widget below; the wheel events that
    // reach that widget come through the event filter.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    if (parent) {
        parent->installEventFilter(this);
        setGeometry(parent->rect());
    }
}

std::optional<qreal> TrackpadScrubOverlay::trackpadDelta(const QWheelEvent *event)
{
    const bool phased = event->phase() != Qt::NoScrollPhase;
    const bool precise = !event->pixelDelta().isNull();
    if (!phased && !precise)
        return std::nullopt;
    if (precise)
        return qreal(event->pixelDelta().x());
    // A phase without pixel deltas: angle deltas are eighths of a degree.
    return qreal(event->angleDelta().x()) / 8.0;
}

bool TrackpadScrubOverlay::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == parent()) {
        if (event->type() == QEvent::Resize) {
            setGeometry(static_cast<QWidget *>(watched)->rect());
        } else if (event->type() == QEvent::Wheel) {
            auto *wheel = static_cast<QWheelEvent *>(event);
            const std::optional<qreal> delta = trackpadDelta(wheel);
            if (!delta)
                return false;
            if (std::abs(*delta) > 0.5) {
                if (m_onScrub)
                    m_onScrub(*delta);
                Q_EMIT scrubbed(*delta);
            }
            wheel->accept();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
