#pragma once

#include <QColor>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>

class QWidget;

// Contrast of text as it reaches the screen, read from rendered pixels rather
// than from the colours the code asked for: a style sheet or a palette that
// did not follow a change of appearance shows up here.
namespace RenderedContrast {

// WCAG relative luminance of an opaque sRGB colour, and the contrast ratio of
// two colours (1 to 21).
double luminance(const QColor &color);
double ratio(const QColor &a, const QColor &b);

struct Measure
{
    QColor background; // the most frequent colour of the area
    QColor text;       // the pixel that stands out most from it
    double ratio = 1;
};

// The text contrast within `area` of `image`: background against the pixel
// of greatest contrast with it (the core of the glyphs).
Measure measure(const QImage &image, const QRect &area);

// The whole window of `widget` rendered as it is now.
QImage renderWindow(const QWidget *widget);
// The contrast of `widget`'s text in its window's rendering.
Measure ofWidget(const QWidget *widget);
Measure ofWidget(const QImage &window, const QWidget *widget);

// One text of a view that falls short, for failure messages.
struct Shortfall
{
    QString what;
    Measure measure;
    double required = 0; // 0: not a ratio that falls short, but a wrong background
};
QString describe(const QList<Shortfall> &shortfalls);

// Every visible, enabled widget of `root` that shows text of its own (labels,
// buttons, line edits, tab bars), measured against 4.5 for primary text and 3
// for secondary text (the palette's placeholder role, or a text colour with
// transparency that the code marks as secondary by that role). Returns the
// texts that fall short. Widgets whose class or object name is in `skipped`,
// and texts drawn in or on one of `fixedColours` (the theme colour, which no
// appearance changes), are left out.
QList<Shortfall> checkTexts(const QWidget *root, const QStringList &skipped = {}, const QList<QColor> &fixedColours = {});

} // namespace RenderedContrast
