#include "media/ui/PlayerKeyHint.h"

#include "app/widgets/GridPainting.h"
#include "app/widgets/WidgetStyle.h"

#include <QPainter>

namespace {

const QString separator = QStringLiteral("  ·  ");

} // namespace

PlayerKeyHint::PlayerKeyHint(const QStringList &groups, QWidget *parent) : QWidget(parent), m_groups(groups)
{
    setFont(WidgetStyle::sizedFont(font(), 10));
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QString PlayerKeyHint::fullText() const
{
    return m_groups.join(separator);
}

QString PlayerKeyHint::fittingText(const QStringList &groups, const QFontMetrics &metrics, int width)
{
    for (qsizetype count = groups.size(); count > 0; --count) {
        const QString text = groups.first(count).join(separator);
        if (metrics.horizontalAdvance(text) <= width)
            return text;
    }
    return QString();
}

QString PlayerKeyHint::shownText() const
{
    return fittingText(m_groups, fontMetrics(), width());
}

QSize PlayerKeyHint::sizeHint() const
{
    return {fontMetrics().horizontalAdvance(fullText()) + 2, fontMetrics().height()};
}

QSize PlayerKeyHint::minimumSizeHint() const
{
    return {0, fontMetrics().height()};
}

void PlayerKeyHint::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    // The secondary colour: fainter would fall below a readable contrast on
    // the light panel.
    p.setPen(GridPainting::withAlpha(palette().color(QPalette::WindowText), 0.55));
    p.drawText(rect(), Qt::AlignRight | Qt::AlignVCenter, shownText());
}
