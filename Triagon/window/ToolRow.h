#pragma once

#include "app/SymbolPainting.h"

#include <QAbstractButton>
#include <QColor>

#include <functional>

// One row of the sidebar's tools: a symbol centred in 16 points, the text,
// and optionally a word at the trailing edge in the accent colour. Plain,
// with a faint wash under the pointer.
class ToolRow : public QAbstractButton
{
    Q_OBJECT
public:
    using Drawer = SymbolDrawer;
    using ColorSource = std::function<QColor()>;

    struct Look
    {
        qreal fontPixels = 12;
        int paddingV = 4;
        // The colour of the symbol and the text; the text colour when unset.
        ColorSource color;
    };

    ToolRow(Drawer symbol, const QString &text, const Look &look, QWidget *parent = nullptr);

    // A word after the spacer ("Review"), drawn in `color`.
    void setTrailing(const QString &text, ColorSource color);
    QString trailing() const { return m_trailing; }
    QColor color() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QFont textFont() const;

    Drawer m_symbol;
    Look m_look;
    QString m_trailing;
    ColorSource m_trailingColor;
};
