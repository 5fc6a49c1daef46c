#include "window/SidebarSection.h"

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
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(title.toUpper());
    label->setAccessibleName(title);
    QFont f = label->font();
    f.setPixelSize(11);
    f.setWeight(QFont::DemiBold);
    f.setLetterSpacing(QFont::AbsoluteSpacing, 0.5);
    label->setFont(f);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

QLabel *SidebarSection::caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    QFont f = label->font();
    f.setPixelSize(11);
    label->setFont(f);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}
