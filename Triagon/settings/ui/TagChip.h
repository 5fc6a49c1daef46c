#pragma once

#include <QString>
#include <QWidget>

class QFontMetricsF;
class QLabel;
class QPushButton;

// A default tag as a chip: its name and a small remove button on a faint
// rounded ground. Its accessible name is the tag, its button's "Remove "
// and the tag. A chip can be given another tag (the chip list reuses the
// chips it shows while it scrolls).
class TagChip : public QWidget
{
    Q_OBJECT
public:
    explicit TagChip(const QString &tag, QWidget *parent = nullptr);

    QString tag() const { return m_tag; }
    void setTag(const QString &tag);
    QPushButton *removeButton() const { return m_remove; }
    QSize sizeHint() const override { return sizeFor(m_tag, font()); }

    // The chip's size for a tag, without making a chip: the name's width in
    // the chip's font and the fixed parts around it (its size hint).
    static QSize sizeFor(const QString &tag, const QFont &baseFont);
    // The same with the metrics of nameFont() at hand, for measuring many.
    static QSize sizeFor(const QString &tag, const QFontMetricsF &nameMetrics);
    // The font of the name, from the chip's own font.
    static QFont nameFont(const QFont &baseFont);

Q_SIGNALS:
    void removeClicked(const QString &tag);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_tag;
    QLabel *m_name = nullptr;
    QPushButton *m_remove = nullptr;
};
