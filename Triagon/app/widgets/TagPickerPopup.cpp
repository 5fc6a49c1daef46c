#include "app/widgets/TagPickerPopup.h"

#include "app/widgets/TagPickerView.h"

#include <QScreen>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

TagPickerPopup::TagPickerPopup(const QStringList &availableTags, const QStringList &selectedTags, const QSet<QString> &mixedTags,
                               bool startInAddMode, const QColor &accent, QWidget *owner)
    : QFrame(owner, Qt::Popup)
{
    setFrameShape(QFrame::NoFrame);
    setAttribute(Qt::WA_DeleteOnClose, false);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_picker = new TagPickerView(availableTags, selectedTags, mixedTags, startInAddMode, accent, this);
    layout->addWidget(m_picker);
}

void TagPickerPopup::release(TagPickerPopup *&popup, QObject *owner)
{
    if (TagPickerPopup *gone = std::exchange(popup, nullptr)) {
        gone->disconnect(owner);
        gone->deleteLater();
    }
}

void TagPickerPopup::placeNear(const QRect &row, int centreX, int gap)
{
    adjustSize();
    QPoint topLeft(centreX - width() / 2, row.bottom() + gap);
    if (QScreen *screen = parentWidget() ? parentWidget()->screen() : this->screen()) {
        const QRect area = screen->availableGeometry();
        topLeft.setX(std::clamp(topLeft.x(), area.left(), std::max(area.left(), area.right() - width())));
        if (topLeft.y() + height() > area.bottom())
            topLeft.setY(row.top() - gap - height());
    }
    move(topLeft);
}

void TagPickerPopup::hideEvent(QHideEvent *event)
{
    QFrame::hideEvent(event);
    Q_EMIT hidden();
}
