#pragma once

#include <QColor>
#include <QString>
#include <QWidget>

// One of the settings window's and the tour's pictures (see SettingsSymbols)
// drawn at `pixelSize` in a fixed colour, centred in the widget. It only
// paints: it takes no input and has no name of its own for screen readers
// (the text beside it says what it means).
class SymbolView : public QWidget
{
    Q_OBJECT
public:
    SymbolView(const QString &name, double pixelSize, const QColor &color, QWidget *parent = nullptr);

    QString name() const { return m_name; }
    void setName(const QString &name);
    QColor color() const { return m_color; }
    void setColor(const QColor &color);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    double m_pixelSize;
    QColor m_color;
};
