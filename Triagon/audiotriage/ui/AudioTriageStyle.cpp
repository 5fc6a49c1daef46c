#include "audiotriage/ui/AudioTriageStyle.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>

QFont AudioTriageStyle::font(const QFont &base, int pixels, QFont::Weight weight, bool monospaced)
{
    QFont font = base;
    if (monospaced) {
        font.setFamily(QStringLiteral("monospace"));
        font.setStyleHint(QFont::Monospace);
    }
    font.setPixelSize(qMax(1, pixels));
    font.setWeight(weight);
    return font;
}

QColor AudioTriageStyle::secondary()
{
    // From the application's palette: a label's own palette holds the
    // colour it was given.
    return QPalette().color(QPalette::PlaceholderText);
}

QLabel *AudioTriageStyle::label(const QString &text, int pixels, QWidget *parent, QFont::Weight weight, bool secondaryColor)
{
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setFont(font(label->font(), pixels, weight));
    if (secondaryColor)
        makeSecondary(label);
    return label;
}

namespace {
const char *const kTextRole = "audioTriageTextRole";
}

void AudioTriageStyle::makeSecondary(QLabel *label)
{
    label->setProperty(kTextRole, QStringLiteral("secondary"));
    setTextColor(label, secondary());
}

void AudioTriageStyle::makeMuted(QLabel *label)
{
    label->setProperty(kTextRole, QStringLiteral("muted"));
    QColor color = QPalette().color(QPalette::WindowText);
    color.setAlphaF(0.8);
    setTextColor(label, color);
}

void AudioTriageStyle::refreshTextColors(QWidget *root)
{
    for (QLabel *label : root->findChildren<QLabel *>()) {
        const QString role = label->property(kTextRole).toString();
        if (role == QStringLiteral("secondary"))
            makeSecondary(label);
        else if (role == QStringLiteral("muted"))
            makeMuted(label);
    }
}

void AudioTriageStyle::setTextColor(QLabel *label, const QColor &color)
{
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, color);
    palette.setColor(QPalette::Text, color);
    label->setPalette(palette);
}

QFrame *AudioTriageStyle::divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Plain);
    line->setForegroundRole(QPalette::Mid);
    return line;
}
