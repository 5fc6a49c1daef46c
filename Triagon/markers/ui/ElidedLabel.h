#pragma once

#include <QLabel>

// A one-line label that shortens its text with an ellipsis (in the middle by
// default) to the width it is given; the full text stays its accessible name.
class ElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ElidedLabel(const QString &text = QString(), QWidget *parent = nullptr, Qt::TextElideMode mode = Qt::ElideMiddle);

    QString fullText() const { return m_text; }
    void setFullText(const QString &text);

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_text;
    Qt::TextElideMode m_mode;
};
