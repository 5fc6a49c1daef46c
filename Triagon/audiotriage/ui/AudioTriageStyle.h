#pragma once

#include "app/SymbolPainting.h"
#include "app/widgets/WidgetStyle.h"

#include <QColor>
#include <QFont>
#include <QIcon>
#include <QString>

class QLabel;
class QWidget;

// Fonts, colours and small pieces shared by the audio triage sheet's parts.
namespace AudioTriageStyle {

using WidgetStyle::hairline;
using WidgetStyle::setTextColor;
using WidgetStyle::sizedFont;

// The application palette's secondary text colour.
QColor secondary();
// A label in the interface font, optionally secondary.
QLabel *label(const QString &text, int pixels, QWidget *parent, QFont::Weight weight = QFont::Normal, bool secondaryColor = false);
// Text in the secondary colour, or in the primary one at 80 %; such labels
// follow a change of the application's palette through refreshTextColors().
void makeSecondary(QLabel *label);
void makeMuted(QLabel *label);
void refreshTextColors(QWidget *root);

// The sheet's pictures (SymbolCatalog names), in a colour of the caller's
// choice: the desktop icon theme's symbolic picture where the theme has one
// that shows the same thing (symbolic pictures are one colour, so they take
// the tint), else our own drawing.
SymbolDrawer symbol(const QString &name);
// That picture in one colour, for buttons.
QIcon symbolIcon(const QString &name, const QColor &color);

} // namespace AudioTriageStyle
