#pragma once

#include <QFont>
#include <QString>

class QFrame;
class QLabel;
class QWidget;

// Pieces that the window's sheets share.
namespace SheetChrome {

// A plain-text label (names from the session must never be read as markup)
// in the widget's font at `pixels` and `weight`.
QLabel *label(const QString &text, qreal pixels, QFont::Weight weight, QWidget *parent);
// The same in the secondary text colour.
QLabel *secondaryLabel(const QString &text, qreal pixels, QWidget *parent);
// A horizontal hairline.
QFrame *divider(QWidget *parent);
// Sizes of the text styles the sheets use.
constexpr qreal title2Pixels = 17;
constexpr qreal calloutPixels = 12;
constexpr qreal captionPixels = 10;
constexpr qreal bodyPixels = 13;

} // namespace SheetChrome
