#include "audiotriage/ui/AudioTriageStyle.h"

#include "app/DrawnIconEngine.h"
#include "app/SymbolCatalog.h"

#include <QHash>
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

namespace {

// The theme's symbolic picture that shows the same thing, if any.
QString themeNameFor(const QString &name)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("xmark.circle.fill/audio"), QStringLiteral("window-close-symbolic")},
        {QStringLiteral("speaker.wave.3"), QStringLiteral("audio-volume-high-symbolic")},
        {QStringLiteral("speaker.wave.3.fill"), QStringLiteral("audio-volume-high-symbolic")},
        {QStringLiteral("speaker.fill"), QStringLiteral("audio-volume-low-symbolic")},
        {QStringLiteral("arrow.uturn.backward/audio"), QStringLiteral("edit-undo-symbolic")},
        {QStringLiteral("exclamationmark.triangle/audio"), QStringLiteral("dialog-warning-symbolic")},
        {QStringLiteral("checkmark.circle.fill/audio"), QStringLiteral("emblem-ok-symbolic")},
        {QStringLiteral("minus.circle"), QStringLiteral("list-remove-symbolic")},
    };
    return names.value(name);
}

} // namespace

SymbolDrawer symbol(const QString &name)
{
    return SymbolCatalog::tintedThemeDrawer(name, themeNameFor(name));
}

QIcon symbolIcon(const QString &name, const QColor &color)
{
    SymbolDrawer drawer = symbol(name);
    return QIcon(
        new DrawnIconEngine([drawer, color](QPainter &painter, const QRectF &box, const QColor &) { drawer(painter, box, color); }));
}

} // namespace AudioTriageStyle
