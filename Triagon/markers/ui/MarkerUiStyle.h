#pragma once

#include "app/widgets/WidgetStyle.h"

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QString>

class QLabel;
class QWidget;

// The look the hand-marker and numbering-reset sheets share: fonts by pixel
// size, the secondary text colour, dividers and percentages.
namespace MarkerUiStyle {

using WidgetStyle::secondary;
using WidgetStyle::setTextColor;
using WidgetStyle::sizedFont;

// A horizontal hairline filled in the palette's mid colour at an opacity.
QFrame *divider(QWidget *parent, qreal opacity = 1.0);
// A label in the given font and colour (an invalid colour keeps the palette's).
QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent);
// A label in the given font in the secondary colour, which follows a switch
// of the appearance.
QLabel *secondaryLabel(const QString &text, const QFont &font, QWidget *parent);

// The whole percent of a fraction, truncated toward zero but never one less
// than meant (0.29 is 29, not 28); 0 for a value that is not a number.
int wholePercent(double fraction);
// wholePercent and "%".
QString percentText(double fraction);

} // namespace MarkerUiStyle
