#pragma once

#include <QColor>
#include <QFont>
#include <QFrame>
#include <QPalette>
#include <QString>

class QLabel;
class QWidget;

// The small pieces of look that the sheets, the settings window, the grid
// and the window share: fonts by pixel size, the secondary text colour, text
// colours and hairlines. Each subsystem builds its own look on these.
namespace WidgetStyle {

// `base` at a size in pixels (at least one) and a weight, optionally in the
// monospaced family.
QFont sizedFont(const QFont &base, qreal pixels, QFont::Weight weight = QFont::Normal, bool monospaced = false);
// The same from a widget's font (the default font without a widget).
QFont sizedFont(const QWidget *widget, qreal pixels, QFont::Weight weight = QFont::Normal, bool monospaced = false);

// The palette's secondary (placeholder) text colour, at an opacity.
QColor secondary(const QPalette &palette, qreal opacity = 1.0);
// The same from a widget's palette (the application's without a widget).
QColor secondary(const QWidget *widget, qreal opacity = 1.0);

// Gives a widget a text colour of its own (an invalid colour leaves it be).
void setTextColor(QWidget *widget, const QColor &color);
// Gives a widget's text (a label's or a button's) the secondary colour at an
// opacity, taken again from its parent's palette whenever that changes (a
// switch of the appearance): a colour fixed once would stay that of the
// appearance the widget was made under.
void setSecondaryText(QWidget *widget, qreal opacity = 1.0);
// A plain-text label at a size in pixels and a weight, in its parent's font.
QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight = QFont::Normal);
// The same in the secondary text colour, which follows the palette.
QLabel *secondaryLabel(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight = QFont::Normal);
// A thin line in the palette's mid colour, across (horizontal) or upright.
QFrame *hairline(QWidget *parent, Qt::Orientation orientation = Qt::Horizontal);

} // namespace WidgetStyle
