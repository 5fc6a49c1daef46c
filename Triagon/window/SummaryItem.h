#pragma once

#include <QWidget>

// One item of the toolbar's session summary: a value in semibold, then a
// label in the secondary colour, and optionally a note in the secondary
// colour at 70 % ("12 clips", "2m 30s shortlisted (10m 5s total)"). It keeps
// its natural width and reads as one element to assistive technology.
class SummaryItem : public QWidget
{
    Q_OBJECT
public:
    explicit SummaryItem(QWidget *parent = nullptr);

    void setTexts(const QString &value, const QString &label, const QString &note = {});
    QString value() const { return m_value; }
    QString label() const { return m_label; }
    QString note() const { return m_note; }
    // The three texts as one line, as read aloud.
    QString text() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    QFont valueFont() const;
    QFont labelFont() const;

    QString m_value;
    QString m_label;
    QString m_note;
};
