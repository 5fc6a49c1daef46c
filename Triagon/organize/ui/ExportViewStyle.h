#pragma once

#include "app/widgets/WidgetStyle.h"

#include <QColor>
#include <QFont>
#include <QString>

class QBoxLayout;
class QLabel;
class QWidget;

// The type sizes, colours and small building blocks that the parts of the
// Organize Clips sheet share. Sizes are in pixels of the sheet's fonts.
namespace ExportViewStyle {

using WidgetStyle::hairline;
using WidgetStyle::secondary;
using WidgetStyle::setTextColor;
using WidgetStyle::sizedFont;

QColor red();
QColor green();
QColor orange();
QColor blue();

// A plain-text label in the given size and weight, in the secondary colour
// when asked.
QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight = QFont::Normal, bool secondaryColor = false);
// A section heading: 13 px semibold, secondary colour.
QLabel *heading(const QString &text, QWidget *parent);
// A picture of a symbol (a SymbolCatalog name), hidden from screen readers (the
// text beside it says it all). With `themed`, a neutral symbol comes from the
// desktop icon theme when it has one.
QLabel *symbol(const QString &name, int pixels, const QColor &color, QWidget *parent, bool themed = false);
// A row of a symbol and a text, centred vertically.
QWidget *symbolRow(const QString &name, int pixels, const QColor &color, QLabel *text, QWidget *parent, int spacing = 6,
                   bool themed = false);

} // namespace ExportViewStyle
