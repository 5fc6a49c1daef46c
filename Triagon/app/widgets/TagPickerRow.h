#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

#include <functional>

// One capsule of the tag picker's flow: a tag row or the trailing "New tag"
// row. It paints itself; clicks and the pointer entering go to the picker.
// To assistive technologies it is a button named after its tag ("New tag" for
// the last row) with the selected state while the tag is on; pressing it
// through its action does what a click does. The row the picker's arrow keys
// highlight is the focus a screen reader reads while the picker has the
// keyboard (the rows themselves never take it).
class TagPickerRow : public QWidget
{
    Q_OBJECT
public:
    TagPickerRow(QWidget *parent, std::function<void()> clicked, std::function<void()> entered);

    // `selected`: the tag is on for the clips being edited.
    void setLook(const QString &text, bool selected, const QColor &textColor, const QColor &fill, bool focused, const QColor &accent,
                 bool isNewRow);
    QString text() const { return m_text; }
    bool isSelectedTag() const { return m_selected; }
    bool isFocusedRow() const { return m_focused; }
    bool isNewRow() const { return m_isNewRow; }
    // What a click does.
    void activate();
    // Whether the picker around it has the keyboard and highlights it.
    bool isAccessibleFocus() const;
    // Tells screen readers that it is the focus now, if it is.
    void announceFocus();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void enterEvent(QEnterEvent *event) override;

private:
    std::function<void()> m_clicked;
    std::function<void()> m_entered;
    QString m_text;
    bool m_selected = false;
    QColor m_textColor;
    QColor m_fill;
    bool m_focused = false;
    QColor m_accent;
    bool m_isNewRow = false;
    QFont m_font;
};
