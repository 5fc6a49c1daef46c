#pragma once

#include <QToolButton>

// A button of the full player drawn on a soft gray shape: a circle for the
// header's reveal and close buttons, a pill for the tag button (its icon,
// then its text when it has one). The shape darkens under the pointer.
class PlayerButton : public QToolButton
{
    Q_OBJECT
public:
    explicit PlayerButton(QWidget *parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    bool m_hovered = false;
};
