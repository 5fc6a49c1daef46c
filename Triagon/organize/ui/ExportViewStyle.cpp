#include "organize/ui/ExportViewStyle.h"

#include "app/SymbolCatalog.h"
#include "app/SystemColor.h"

#include <QHBoxLayout>
#include <QLabel>

namespace ExportViewStyle {

QColor red()
{
    return systemColor(SystemColor::red);
}
QColor green()
{
    return systemColor(SystemColor::green);
}
QColor orange()
{
    return systemColor(SystemColor::orange);
}
QColor blue()
{
    return systemColor(SystemColor::blue);
}

QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight, bool secondaryColor)
{
    QLabel *l = WidgetStyle::label(text, pixels, parent, weight);
    if (secondaryColor)
        WidgetStyle::setSecondaryText(l);
    return l;
}

QLabel *heading(const QString &text, QWidget *parent)
{
    QLabel *l = label(text, 13, parent, QFont::DemiBold, true);
    l->setAccessibleName(text);
    return l;
}

namespace {

// The neutral symbols the desktop's icon theme may show instead; pictures
// whose colour carries meaning are always our own drawings.
QString themeNameFor(const QString &name)
{
    if (name == QLatin1String("folder.badge.plus"))
        return QStringLiteral("folder-new");
    if (name == QLatin1String("film/organize"))
        return QStringLiteral("video-x-generic");
    if (name == QLatin1String("doc.text"))
        return QStringLiteral("text-x-generic");
    if (name == QLatin1String("xmark.circle.fill/organize"))
        return QStringLiteral("window-close");
    return QString();
}

} // namespace

QLabel *symbol(const QString &name, int pixels, const QColor &color, QWidget *parent, bool themed)
{
    auto *l = new QLabel(parent);
    l->setPixmap(
        SymbolCatalog::pixmap(name, pixels, color, parent ? parent->devicePixelRatioF() : 1.0, themed ? themeNameFor(name) : QString()));
    l->setFixedSize(pixels, pixels);
    l->setAccessibleName(QString());
    l->setFocusPolicy(Qt::NoFocus);
    // A picture only: screen readers skip it.
    l->setAccessibleDescription(QString());
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QWidget *symbolRow(const QString &name, int pixels, const QColor &color, QLabel *text, QWidget *parent, int spacing, bool themed)
{
    auto *row = new QWidget(parent);
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(spacing);
    layout->addWidget(ExportViewStyle::symbol(name, pixels, color, row, themed), 0, Qt::AlignVCenter);
    text->setParent(row);
    layout->addWidget(text, 1, Qt::AlignVCenter);
    return row;
}

} // namespace ExportViewStyle
