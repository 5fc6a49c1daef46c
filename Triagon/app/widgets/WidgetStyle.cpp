#include "app/widgets/WidgetStyle.h"

#include <QApplication>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QWidget>

namespace WidgetStyle {

QFont sizedFont(const QFont &base, qreal pixels, QFont::Weight weight, bool monospaced)
{
    QFont font = base;
    if (monospaced) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
    }
    font.setPixelSize(qMax(1, qRound(pixels)));
    font.setWeight(weight);
    return font;
}

QFont sizedFont(const QWidget *widget, qreal pixels, QFont::Weight weight, bool monospaced)
{
    return sizedFont(widget ? widget->font() : QFont(), pixels, weight, monospaced);
}

QColor secondary(const QPalette &palette, qreal opacity)
{
    QColor color = palette.color(QPalette::PlaceholderText);
    color.setAlphaF(color.alphaF() * opacity);
    return color;
}

QColor secondary(const QWidget *widget, qreal opacity)
{
    return secondary(widget ? widget->palette() : QPalette(), opacity);
}

void setTextColor(QWidget *widget, const QColor &color)
{
    if (!color.isValid())
        return;
    QPalette palette = widget->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    palette.setColor(QPalette::ButtonText, color);
    widget->setPalette(palette);
}

namespace {

// Keeps a widget's text in the secondary colour of the palette around it.
class SecondaryTextFollower : public QObject
{
public:
    static constexpr const char *name = "secondaryTextFollower";

    SecondaryTextFollower(QWidget *widget, qreal opacity) : QObject(widget), m_widget(widget), m_opacity(opacity)
    {
        setObjectName(QLatin1String(name));
        widget->installEventFilter(this);
        apply();
    }

    void setOpacity(qreal opacity)
    {
        m_opacity = opacity;
        apply();
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == m_widget && !m_applying
            && (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange
                || event->type() == QEvent::ParentChange))
            apply();
        return false;
    }

private:
    void apply()
    {
        const QWidget *around = m_widget->parentWidget();
        const QColor color = secondary(around ? around->palette() : QApplication::palette(m_widget), m_opacity);
        if (m_widget->palette().color(QPalette::WindowText) == color && m_widget->palette().color(QPalette::ButtonText) == color)
            return;
        m_applying = true;
        setTextColor(m_widget, color);
        m_applying = false;
    }

    QWidget *m_widget;
    qreal m_opacity;
    bool m_applying = false;
};

} // namespace

void setSecondaryText(QWidget *widget, qreal opacity)
{
    if (!widget)
        return;
    if (QObject *follower = widget->findChild<QObject *>(QLatin1String(SecondaryTextFollower::name), Qt::FindDirectChildrenOnly))
        static_cast<SecondaryTextFollower *>(follower)->setOpacity(opacity);
    else
        new SecondaryTextFollower(widget, opacity);
}

QLabel *label(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight)
{
    auto *result = new QLabel(text, parent);
    result->setTextFormat(Qt::PlainText);
    result->setFont(sizedFont(static_cast<const QWidget *>(result), pixels, weight));
    return result;
}

QLabel *secondaryLabel(const QString &text, qreal pixels, QWidget *parent, QFont::Weight weight)
{
    QLabel *result = label(text, pixels, parent, weight);
    result->setForegroundRole(QPalette::PlaceholderText);
    return result;
}

QFrame *hairline(QWidget *parent, Qt::Orientation orientation)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(orientation == Qt::Vertical ? QFrame::VLine : QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}

} // namespace WidgetStyle
