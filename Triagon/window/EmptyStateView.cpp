#include "window/EmptyStateView.h"

#include "app/widgets/WidgetStyle.h"
#include "window/ChooseFootageButton.h"
#include "window/DropZoneCard.h"
#include "window/LogoView.h"
#include "window/RoundedPanel.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace {

QColor shade(const QColor &ink, double opacity)
{
    QColor c = ink;
    c.setAlphaF(opacity);
    return c;
}

QFrame *rule(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setFixedHeight(1);
    line->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return line;
}

} // namespace

EmptyStateView::EmptyStateView(ColorSource accent, const QColor &surface, QWidget *parent) : QWidget(parent)
{
    setAutoFillBackground(true);

    auto *column = new QVBoxLayout(this);
    column->setSpacing(40);
    column->addStretch(1);

    m_logo = new LogoView(48, accent, this);
    column->addWidget(m_logo, 0, Qt::AlignHCenter);

    auto *panel = new RoundedPanel(20, shade(m_ink, 0.03), shade(m_ink, 0.06), this);
    m_panel = panel;
    panel->setObjectName(QStringLiteral("intakePanel"));
    panel->setMaximumWidth(440);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *stack = new QVBoxLayout(panel);
    stack->setSpacing(20);
    stack->setContentsMargins(32, 32, 32, 32);

    m_button = new ChooseFootageButton(accent, panel);
    connect(m_button, &QAbstractButton::clicked, this, &EmptyStateView::chooseFootage);
    stack->addWidget(m_button, 0, Qt::AlignHCenter);

    auto *separatorRow = new QWidget(panel);
    separatorRow->setMaximumWidth(280);
    auto *separatorLayout = new QHBoxLayout(separatorRow);
    separatorLayout->setContentsMargins(0, 0, 0, 0);
    m_rules.append(rule(separatorRow));
    separatorLayout->addWidget(m_rules.last(), 1);
    m_separator = new QLabel(QStringLiteral("or drag & drop"), separatorRow);
    m_separator->setFont(WidgetStyle::sizedFont(m_separator, 13));
    m_separator->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    separatorLayout->addWidget(m_separator);
    m_rules.append(rule(separatorRow));
    separatorLayout->addWidget(m_rules.last(), 1);
    stack->addWidget(separatorRow);
    stack->setAlignment(separatorRow, Qt::AlignHCenter);

    m_card = new DropZoneCard(accent, panel);
    stack->addWidget(m_card);
    stack->setAlignment(m_card, Qt::AlignHCenter);

    column->addWidget(panel, 0, Qt::AlignHCenter);
    column->addStretch(1);
    setSurface(surface, Qt::white);
}

void EmptyStateView::setSurface(const QColor &surface, const QColor &ink)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, surface);
    setPalette(pal);
    m_ink = ink;
    m_panel->setColors(shade(ink, 0.03), shade(ink, 0.06));
    for (QFrame *line : std::as_const(m_rules))
        line->setStyleSheet(QStringLiteral("background: %1; border: none;").arg(shade(ink, 0.08).name(QColor::HexArgb)));
    m_separator->setStyleSheet(QStringLiteral("color: %1;").arg(shade(ink, 0.35).name(QColor::HexArgb)));
    m_card->setInk(ink);
}

QColor EmptyStateView::surface() const
{
    return palette().color(QPalette::Window);
}

void EmptyStateView::setDragTargeted(bool targeted)
{
    if (m_targeted == targeted)
        return;
    m_targeted = targeted;
    m_logo->setScale(targeted ? 1.15 : 1.0);
    m_card->setTargeted(targeted);
}
