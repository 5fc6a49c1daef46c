#pragma once

#include <QWidget>

class QLabel;

// The header of one grid section: the title (with the rating grouping, the
// stars coloured by rating), then the count badge 10 points after it. For
// assistive technologies the title of a rating section reads as its number
// of stars ("3 stars") and the badge as its count of clips ("12 clips").
class SectionHeaderView : public QWidget
{
    Q_OBJECT
public:
    explicit SectionHeaderView(QWidget *parent = nullptr);

    // `ratingTitle`: the title is a rating section's row of stars.
    void setSection(const QString &title, qsizetype count, bool ratingTitle);
    QString title() const { return m_title; }
    QLabel *titleLabel() const { return m_titleLabel; }
    QLabel *countBadge() const { return m_badge; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void applyColors();

    QString m_title;
    qsizetype m_count = -1;
    bool m_ratingTitle = false;
    QLabel *m_titleLabel = nullptr;
    QLabel *m_badge = nullptr;
};
