#pragma once

#include <QAbstractButton>
#include <QColor>

#include <functional>

// The empty state's call to action: a folder-with-plus symbol and the text
// "Choose Footage" in white on a rounded gradient of the accent colour, with a
// soft accent shadow below it. No system chrome.
class ChooseFootageButton : public QAbstractButton
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    explicit ChooseFootageButton(ColorSource accent, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QFont labelFont() const;
    // The painted shadow lies outside the button's face; keep room for it.
    static constexpr int shadowRoom = 12;

    ColorSource m_accent;
    bool m_hovered = false;
};
