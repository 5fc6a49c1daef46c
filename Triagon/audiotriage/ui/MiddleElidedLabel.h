#pragma once

#include <QLabel>

// A one-line label that shortens its text in the middle ("clip_0…_final.mov")
// when it does not fit; text() is what is shown, fullText() what was set.
class MiddleElidedLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MiddleElidedLabel(QWidget *parent = nullptr);

    void setFullText(const QString &text);
    const QString &fullText() const { return m_fullText; }

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void elide();

    QString m_fullText;
};
