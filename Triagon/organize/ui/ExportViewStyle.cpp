#include "organize/ui/ExportViewStyle.h"

#include "app/SystemColor.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ExportViewStyle {

QColor red() { return systemColor(SystemColor::red); }
QColor green() { return systemColor(SystemColor::green); }
QColor orange() { return systemColor(SystemColor::orange); }
QColor blue() { return systemColor(SystemColor::blue); }

QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight, bool secondaryColor)
{
    QLabel *l = WidgetStyle::label(text, pixels, parent, weight);
    if (secondaryColor)
        WidgetStyle::setSecondaryText(l);
    return l;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    QLabel *l = label(text, 13, parent, QFont::DemiBold, true);
    l->setAccessibleName(text);
    return l;
}

QLabel *symbol(OrganizeIcons::Symbol symbol, int pixels, const QColor &color, QWidget *parent, bool themed)
{
    auto *l = new QLabel(parent);
    l->setPixmap(OrganizeIcons::pixmap(symbol, pixels, color, parent ? parent->devicePixelRatioF() : 1.0, themed));
    l->setFixedSize(pixels, pixels);
    l->setAccessibleName(QString());
    l->setFocusPolicy(Qt::NoFocus);
    // A picture only: screen readers skip it.
    l->setAccessibleDescription(QString());
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QWidget *symbolRow(OrganizeIcons::Symbol symbol, int pixels, const QColor &color, QLabel *text, QWidget *parent, int spacing, bool themed)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(ExportViewStyle::symbol(symbol, pixels, color, row, themed), 0, Qt::AlignVCenter);
    text->setParent(row);
    layout->addWidget(text, 1, Qt::AlignVCenter);
    return row;
}

} // namespace ExportViewStyle
