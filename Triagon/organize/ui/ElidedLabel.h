#pragma once

#include <QLabel>

// A one-line label that shortens its text to the width it gets, at the
// chosen side, instead of growing or wrapping. The full text stays the
// label's text (and its accessible name); only what is painted is shortened.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode, QWidget *parent = nullptr);

    // The text as painted at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode;
};
