#pragma once

#include <QAbstractButton>
#include <QColor>

#include <functional>
#include <optional>

// One filter of the sidebar (a rating, a tag, the hand markers, "All"): an
// optional coloured dot and the title, semibold on an accent wash while the
// filter is active. The row never changes its own state: it reports
// activated() for a click, or for the toggle action of assistive technology
// (which reads it as a checked button while active), and the sidebar shows
// the store's answer with setActive().
class FilterRow : public QAbstractButton
{
    Q_OBJECT
public:
    using ColorSource = std::function<QColor()>;

    FilterRow(const QString &title, std::optional<QColor> dot, ColorSource accent, QWidget *parent = nullptr);

    QString title() const { return text(); }
    const std::optional<QColor> &dotColor() const { return m_dot; }
    void setActive(bool active);
    bool isActive() const { return isChecked(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void activated();

protected:
    void paintEvent(QPaintEvent *event) override;
    void nextCheckState() override {}

private:
    QFont titleFont() const;

    std::optional<QColor> m_dot;
    ColorSource m_accent;
    bool m_settingActive = false;
};
