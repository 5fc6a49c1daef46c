#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QString>

class QLabel;
class QWidget;

// The look the hand-marker and numbering-reset sheets share: fonts by pixel
// size, the secondary text colour, dividers and percentages.
namespace MarkerUiStyle {

QFont sizedFont(const QWidget *widget, qreal pixels, QFont::Weight weight = QFont::Normal, bool monospaced = false);
// The palette's secondary (placeholder) text colour at an opacity.
QColor secondary(const QWidget *widget, qreal opacity = 1.0);
// A horizontal hairline.
QFrame *divider(QWidget *parent, qreal opacity = 1.0);
// A label in the given font and colour (an invalid colour keeps the palette's).
QLabel *label(const QString &text, const QFont &font, const QColor &color, QWidget *parent);
void setTextColor(QWidget *widget, const QColor &color);

// The whole percent of a fraction, truncated toward zero but never one less
// than meant (0.29 is 29, not 28); 0 for a value that is not a number.
int wholePercent(double fraction);
// wholePercent and "%".
QString percentText(double fraction);

} // namespace MarkerUiStyle
