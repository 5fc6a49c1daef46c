#include "audiotriage/ui/AudioTriageStyle.h"

#include <QLabel>
#include <QPalette>

namespace AudioTriageStyle {

namespace {
const char *const kTextRole = "audioTriageTextRole";
}

QColor secondary()
{
    // From the application's palette: a label's own palette holds the
    // colour it was given.
    return WidgetStyle::secondary(QPalette());
}

QLabel *label(const QString &text, int pixels, QWidget *parent, QFont::Weight weight, bool secondaryColor)
{
    QLabel *label = WidgetStyle::label(text, pixels, parent, weight);
    if (secondaryColor)
        makeSecondary(label);
    return label;
}

void makeSecondary(QLabel *label)
{
    label->setProperty(kTextRole, QStringLiteral("secondary"));
    setTextColor(label, secondary());
}

void makeMuted(QLabel *label)
{
    label->setProperty(kTextRole, QStringLiteral("muted"));
    QColor color = QPalette().color(QPalette::WindowText);
    color.setAlphaF(0.8);
    setTextColor(label, color);
}

void refreshTextColors(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        const QString role = label->property(kTextRole).toString();
        if (role == QStringLiteral("secondary"))
            makeSecondary(label);
        else if (role == QStringLiteral("muted"))
            makeMuted(label);
    }
}

} // namespace AudioTriageStyle
