#include "window/SelectionBar.h"

#include "app/widgets/WidgetStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

QString SelectionBar::textFor(qsizetype selected, qsizetype hidden)
{
    QString text = QString::number(selected) + QStringLiteral(" selected");
    if (hidden > 0)
        text += QStringLiteral(" \u00B7 ") + QString::number(hidden) + QStringLiteral(" hidden by filters");
    return text;
}

SelectionBar::SelectionBar(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("selectionBar"));
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    const QFont caption = WidgetStyle::sizedFont(this, 11);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("selectionText"));
    m_text->setFont(caption);
    m_text->setTextFormat(Qt::PlainText);
    m_text->setForegroundRole(QPalette::PlaceholderText);
    row->addWidget(m_text);
    row->addStretch(1);
    m_button = new QPushButton(QStringLiteral("Clear Selection"), this);
    m_button->setFont(caption);
    connect(m_button, &QPushButton::clicked, this, &SelectionBar::clearSelection);
    row->addWidget(m_button);
    setCounts(0, 0);
}

void SelectionBar::setCounts(qsizetype selected, qsizetype hidden)
{
    m_text->setText(textFor(selected, hidden));
}

QString SelectionBar::text() const
{
    return m_text->text();
}
