#pragma once

#include <QWidget>

class QLabel;
class QVBoxLayout;

// One section of the sidebar: its title in small upper-case secondary letters,
// then its content, spaced 10 points, with 12 points above and below.
class SidebarSection : public QWidget
{
    Q_OBJECT
public:
    SidebarSection(const QString &title, QWidget *parent = nullptr);

    QLabel *header() const { return m_header; }
    QVBoxLayout *content() const { return m_content; }

    // The section header style: 11 points, semibold, secondary, upper case,
    // letters 0.5 points apart.
    static QLabel *headerLabel(const QString &title, QWidget *parent);
    // A small secondary caption above a control ("Rating", "Sort by").
    static QLabel *caption(const QString &text, QWidget *parent);

private:
    QLabel *m_header = nullptr;
    QVBoxLayout *m_content = nullptr;
};
