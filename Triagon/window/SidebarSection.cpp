#include "window/SidebarSection.h"

#include "app/widgets/WidgetStyle.h"

#include <QLabel>
#include <QVBoxLayout>

SidebarSection::SidebarSection(const QString &title, QWidget *parent) : QWidget(parent)
{
    m_content = new QVBoxLayout(this);
    m_content->setContentsMargins(0, 12, 0, 12);
    m_content->setSpacing(10);
    m_header = headerLabel(title, this);
    m_content->addWidget(m_header);
}

QLabel *SidebarSection::headerLabel(const QString &title, QWidget *parent)
{
    QLabel *label = WidgetStyle::secondaryLabel(title.toUpper(), 11, parent, QFont::DemiBold);
    label->setAccessibleName(title);
    QFont f = label->font();
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    label->setFont(f);
    return label;
}

QLabel *SidebarSection::caption(const QString &text, QWidget *parent)
{
    return WidgetStyle::secondaryLabel(text, 11, parent);
}
