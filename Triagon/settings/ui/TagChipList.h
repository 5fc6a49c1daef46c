#pragma once

#include "app/widgets/FlowLayout.h"

#include <QAbstractScrollArea>
#include <QHash>
#include <QList>
#include <QSize>
#include <QStringList>

class TagChip;

// The default tags as chips, left to right and wrapping like words (the
// flow layout's rule: 6 points apart within a row and between rows),
// scrolling when they do not fit. However long the list, only the chips in
// view exist as widgets: they are made (or reused) as they scroll into view,
// so that showing a list of a hundred thousand tags costs no more than
// measuring their names.
class TagChipList : public QAbstractScrollArea
{
    Q_OBJECT
public:
    static constexpr int spacing = 6;

    explicit TagChipList(QWidget *parent = nullptr);

    // Shows these tags in their order, each text once (a repeated text keeps
    // its first place).
    void setTags(const QStringList &tags);
    const QStringList &tags() const { return m_tags; }
    // The same as setTags() with the tag added at the end, or taken out,
    // without measuring the others again.
    void appendTag(const QString &tag);
    void removeTag(const QString &tag);

    // The chips in view, in the order of their tags.
    QList<TagChip *> chips() const;
    // The chip of a tag when it is in view, else null.
    TagChip *chip(const QString &tag) const;
    // Scrolls the chip of a tag into view (it then exists).
    void scrollToTag(const QString &tag);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void removeRequested(const QString &tag);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    bool viewportEvent(QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Puts every chip aside: the tags on show have moved.
    void setAsideAllChips();
    // Places every chip for the viewport's width (sizes are measured once).
    void arrange();
    // Makes the chips in view exist, and only those.
    void showChipsInView();
    int contentHeight() const;

    QStringList m_tags;
    QList<QSizeF> m_sizes;
    qreal m_tallest = 0; // the tallest chip: how far above the view a row may start and still show
    FlowLayout::Arrangement m_arrangement;
    qreal m_arrangedWidth = -1;
    QHash<int, TagChip *> m_shown; // by index into m_tags
    QList<TagChip *> m_spare;
};
