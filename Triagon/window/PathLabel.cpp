#include "window/PathLabel.h"

#include "app/widgets/WidgetStyle.h"
#include "window/PlainToolTip.h"
#include "window/SheetChrome.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextLayout>

PathLabel::PathLabel(const QString &path, int maxLines, QWidget *parent) : QWidget(parent), m_path(path), m_maxLines(qMax(1, maxLines))
{
    setFont(WidgetStyle::sizedFont(this, SheetChrome::captionPixels));
    setToolTip(plainToolTip(path));
    setAccessibleName(path);
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
}

QStringList PathLabel::linesFor(int width) const
{
    QStringList lines;
    if (width <= 0)
        return {m_path};
    QTextLayout layout(m_path, font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    while (true) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width);
        if (lines.size() == m_maxLines - 1) {
            // The last line takes the rest, shortened to fit.
            const QString rest = m_path.mid(line.textStart());
            lines.append(QFontMetrics(font()).elidedText(rest, Qt::ElideRight, width));
            break;
        }
        lines.append(m_path.mid(line.textStart(), line.textLength()));
    }
    layout.endLayout();
    return lines;
}

QStringList PathLabel::visibleLines() const
{
    return linesFor(width());
}

// Room below the last line for descenders such as "_".
constexpr int kDescentRoom = 2;

int PathLabel::heightForWidth(int width) const
{
    return int(linesFor(width).size()) * QFontMetrics(font()).lineSpacing() + kDescentRoom;
}

QSize PathLabel::sizeHint() const
{
    const QFontMetrics metrics(font());
    return QSize(qMin(metrics.horizontalAdvance(m_path), 400), metrics.lineSpacing() + kDescentRoom);
}

QSize PathLabel::minimumSizeHint() const
{
    return QSize(40, QFontMetrics(font()).lineSpacing() + kDescentRoom);
}

void PathLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(WidgetStyle::secondary(this));
    const int spacing = QFontMetrics(font()).lineSpacing();
    const int ascent = QFontMetrics(font()).ascent();
    int y = 0;
    for (const QString &line : linesFor(width())) {
        painter.drawText(QPoint(0, y + ascent), line);
        y += spacing;
    }
}
