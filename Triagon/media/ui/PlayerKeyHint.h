#pragma once

#include <QStringList>
#include <QWidget>

// The player's key hint ("J K L  scrub  ·  , .  frame  · …"): text painted
// without an accessible name of its own, since the controls it names carry
// their keys as tooltips. Its groups come most important first; when the row
// leaves too little room, the groups at the end are dropped whole, so what
// shows always starts with the first group, and nothing shows rather than a
// group cut short.
class PlayerKeyHint : public QWidget
{
    Q_OBJECT
public:
    explicit PlayerKeyHint(const QStringList &groups, QWidget *parent = nullptr);

    // The groups joined by the separator.
    QString fullText() const;
    // What fits in `width` pixels with `metrics`, and what shows now.
    static QString fittingText(const QStringList &groups, const QFontMetrics &metrics, int width);
    QString shownText() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList m_groups;
};
