#pragma once

#include "app/widgets/WidgetStyle.h"

#include <QColor>
#include <QFont>
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

} // namespace AudioTriageStyle
