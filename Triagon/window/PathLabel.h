#pragma once

#include <QWidget>

// A file path in small secondary text, wrapped at any character (paths have
// few spaces) over at most `maxLines` lines; what does not fit ends in an
// ellipsis, and the whole path is in the tooltip and the accessible name.
class PathLabel : public QWidget
{
    Q_OBJECT
public:
    PathLabel(const QString &path, int maxLines, QWidget *parent = nullptr);

    QString path() const { return m_path; }
    // The lines as drawn at the current width.
    QStringList visibleLines() const;

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QStringList linesFor(int width) const;

    QString m_path;
    int m_maxLines;
};
