#include "window/OfflineStatusBar.h"

#include "app/widgets/WidgetStyle.h"
#include "app/SymbolCatalog.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

QString OfflineStatusBar::textFor(qsizetype offlineCount)
{
    return QString::number(offlineCount) + (offlineCount == 1 ? QStringLiteral(" file") : QStringLiteral(" files"))
           + QStringLiteral(" offline \u00B7 Review saved");
}

OfflineStatusBar::OfflineStatusBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("offlineStatusBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    const QFont caption = WidgetStyle::sizedFont(this, 11);

    m_icon = new QLabel(this);
    m_icon->setObjectName(QStringLiteral("offlineIcon"));
    showIcon();
    row->addWidget(m_icon);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("offlineText"));
    m_text->setFont(caption);
    row->addWidget(m_text);
    row->addStretch(1);
    m_button = new QPushButton(QStringLiteral("Locate Files\u2026"), this);
    m_button->setFont(caption);
    connect(m_button, &QPushButton::clicked, this, &OfflineStatusBar::locateFiles);
    row->addWidget(m_button);
    setOfflineCount(0);
}

void OfflineStatusBar::showIcon()
{
    // Drawn in the palette's text colour of the moment.
    const int side = 14;
    m_icon->setPixmap(
        SymbolCatalog::icon(QStringLiteral("externaldrive.badge.exclamationmark"), QStringLiteral("drive-harddisk")).pixmap(side, side));
}

void OfflineStatusBar::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        showIcon();
}

void OfflineStatusBar::setOfflineCount(qsizetype count)
{
    m_text->setText(textFor(count));
}

QString OfflineStatusBar::text() const
{
    return m_text->text();
}
