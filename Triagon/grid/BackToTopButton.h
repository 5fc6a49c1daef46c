#pragma once

#include <QAbstractButton>
#include <QColor>

// The small floating "Top" button in the grid's bottom trailing corner that
// scrolls back to the top. It stays there at every scroll position.
class BackToTopButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit BackToTopButton(QWidget *parent = nullptr);

    void setAccent(const QColor &accent);
    bool isHovered() const { return m_isHovered; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    QColor m_accent;
    bool m_isHovered = false;
};
