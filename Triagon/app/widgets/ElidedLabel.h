#pragma once

#include <QLabel>

// A one-line label that shortens its text to the width it gets, with the
// ellipsis where its mode puts it ("clip_0…_final.mov" in the middle, the end
// of a path at the left), instead of growing or wrapping. The full text stays
// the label's text and its accessible name; only what is painted is shortened.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(Qt::TextElideMode mode = Qt::ElideMiddle, QWidget *parent = nullptr);
    ElidedLabel(const QString &text, Qt::TextElideMode mode, QWidget *parent = nullptr);

    Qt::TextElideMode elideMode() const { return m_mode; }
    void setElideMode(Qt::TextElideMode mode);
    // The text as painted at the current width.
    QString shownText() const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

public Q_SLOTS:
    // Sets the full text and, with it, the accessible name.
    void setText(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Qt::TextElideMode m_mode;
};
