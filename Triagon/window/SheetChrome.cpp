#include "window/SheetChrome.h"

#include <QFrame>
#include <QLabel>

namespace SheetChrome {

QLabel *label(const QString &text, qreal pixels, QFont::Weight weight, QWidget *parent)
{
    auto *result = new QLabel(parent);
    result->setTextFormat(Qt::PlainText);
    result->setText(text);
    QFont font = result->font();
    font.setPixelSize(qMax(1, qRound(pixels)));
    font.setWeight(weight);
    result->setFont(font);
    return result;
}

QLabel *secondaryLabel(const QString &text, qreal pixels, QWidget *parent)
{
    QLabel *result = label(text, pixels, QFont::Normal, parent);
    result->setForegroundRole(QPalette::PlaceholderText);
    return result;
}

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

} // namespace SheetChrome
