#include "support/RenderedContrast.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace RenderedContrast {

namespace {

double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

bool near(const QColor &a, const QColor &b, int tolerance)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance
           && std::abs(a.blue() - b.blue()) <= tolerance;
}

// Whether the widget shows text that it draws itself.
QString shownText(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    if (const auto *field = qobject_cast<const QLineEdit *>(widget))
        return field->text();
    if (const auto *combo = qobject_cast<const QComboBox *>(widget))
        return combo->currentText();
    if (const auto *tabs = qobject_cast<const QTabBar *>(widget))
        return tabs->count() > 0 ? tabs->tabText(0) : QString();
    return QString();
}

// Rows of rating stars are pictures of a state, not words to read.
bool isRatingGlyphs(const QString &text)
{
    for (const QChar c : text) {
        if (c != QChar(0x2605) && c != QChar(0x2606) && !c.isSpace())
            return false;
    }
    return true;
}

bool shownOnScreen(const QWidget *widget)
{
    if (!widget->isVisible() || widget->width() <= 0 || widget->height() <= 0)
        return false;
    // Clipped away entirely by a scroll area or a parent.
    return !widget->visibleRegion().isEmpty();
}

} // namespace

double luminance(const QColor &color)
{
    return 0.2126 * channel(color.red()) + 0.7152 * channel(color.green()) + 0.0722 * channel(color.blue());
}

double ratio(const QColor &a, const QColor &b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Measure measure(const QImage &image, const QRect &area)
{
    Measure result;
    const QRect box = area.intersected(image.rect());
    if (box.isEmpty())
        return result;
    const QImage pixels = image.convertToFormat(QImage::Format_RGB32);
    QHash<QRgb, int> counts;
    for (int y = box.top(); y <= box.bottom(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(pixels.constScanLine(y));
        for (int x = box.left(); x <= box.right(); ++x)
            ++counts[line[x] | 0xff000000u];
    }
    QRgb background = 0;
    int best = -1;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        if (it.value() > best) {
            best = it.value();
            background = it.key();
        }
    }
    result.background = QColor::fromRgb(background);
    result.text = result.background;
    for (auto it = counts.cbegin(); it != counts.cend(); ++it) {
        const QColor candidate = QColor::fromRgb(it.key());
        const double r = ratio(candidate, result.background);
        if (r > result.ratio) {
            result.ratio = r;
            result.text = candidate;
        }
    }
    return result;
}

QImage renderWindow(const QWidget *widget)
{
    QWidget *window = widget->window();
    const QPixmap shot = window->grab();
    QImage image = shot.toImage();
    image.setDevicePixelRatio(1);
    if (shot.devicePixelRatio() != 1)
        image = image.scaled(window->size());
    return image;
}

Measure ofWidget(const QImage &window, const QWidget *widget)
{
    const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
    QRect area(origin, widget->size());
    // Only what is not clipped by a parent.
    area = widget->visibleRegion().boundingRect().translated(origin);
    return measure(window, area);
}

Measure ofWidget(const QWidget *widget)
{
    return ofWidget(renderWindow(widget), widget);
}

QString describe(const QList<Shortfall> &shortfalls)
{
    QString out;
    for (const Shortfall &s : shortfalls) {
        if (s.required <= 0) {
            out += QStringLiteral("%1: on %2\n").arg(s.what, s.measure.background.name());
            continue;
        }
        out += QStringLiteral("%1: %2 on %3 is %4:1 (needs %5:1)\n")
                   .arg(s.what, s.measure.text.name(), s.measure.background.name())
                   .arg(s.measure.ratio, 0, 'f', 2)
                   .arg(s.required, 0, 'f', 1);
    }
    return out;
}

QList<Shortfall> checkTexts(const QWidget *root, const QStringList &skipped, const QList<QColor> &fixedColours)
{
    QList<Shortfall> out;
    const QImage image = renderWindow(root);
    QList<const QWidget *> widgets{root};
    for (const QWidget *child : root->findChildren<const QWidget *>())
        widgets.append(child);
    for (const QWidget *widget : std::as_const(widgets)) {
        if (widget->window() != root->window() || !widget->isEnabled() || !shownOnScreen(widget)
            || skipped.contains(QString::fromLatin1(widget->metaObject()->className()))
            || (!widget->objectName().isEmpty() && skipped.contains(widget->objectName())))
            continue;
        const QString text = shownText(widget);
        if (text.trimmed().isEmpty() || isRatingGlyphs(text))
            continue;
        const Measure m = ofWidget(image, widget);
        const bool fixed = std::any_of(fixedColours.cbegin(), fixedColours.cend(),
                                       [&m](const QColor &c) { return near(m.text, c, 24) || near(m.background, c, 24); });
        if (fixed)
            continue;
        // Text in the application palette's own text colours is primary; the
        // rest (the placeholder role, faded or tinted text) is secondary. The
        // application's palette, not the widget's: a style sheet writes its
        // colour into the widget's palette.
        const QPalette pal = QApplication::palette();
        bool primary = false;
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::BrightText})
            primary = primary || near(m.text, pal.color(role), 24);
        if (widget->foregroundRole() == QPalette::PlaceholderText)
            primary = false;
        const double required = primary ? 4.5 : 3.0;
        if (m.ratio + 1e-9 < required) {
            out.append(
                {QStringLiteral("%1 \"%2\"").arg(QString::fromLatin1(widget->metaObject()->className()), text.left(40)), m, required});
        }
    }
    return out;
}

} // namespace RenderedContrast
