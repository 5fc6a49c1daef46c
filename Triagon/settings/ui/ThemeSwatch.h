#pragma once

#include "app/ThemeColor.h"

#include <QAbstractButton>

// One accent colour choice: a filled circle, with an outline around it and a
// checkmark on it while it is the chosen colour. Its tooltip and accessible
// name are the colour's name; screen readers read the chosen one as checked.
class ThemeSwatch : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int diameter = 26;

    explicit ThemeSwatch(ThemeColor theme, QWidget *parent = nullptr);

    ThemeColor theme() const { return m_theme; }
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ThemeColor m_theme;
};
