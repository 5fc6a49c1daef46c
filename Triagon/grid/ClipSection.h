#pragma once

#include "library/model/Clip.h"
#include "library/model/GroupMode.h"

#include <QColor>
#include <QList>
#include <QString>

// One titled block of the grid: the displayed clips of one rating or one tag,
// or every displayed clip under "All" when the grid is not grouped. The title
// is the section's identity; titles are unique within one list.
struct ClipSection
{
    QString title;
    QList<Clip> clips;
};

// A section as positions in a list of clips: what the grid lays out, made
// without copying a clip.
struct ClipSectionPositions
{
    QString title;
    QList<qsizetype> positions;
};

// Divides the displayed clips (already filtered and sorted), given as their
// positions in `clips`, into sections for the grouping. No grouping gives one
// "All" section, also for an empty list; the rating grouping runs from five
// stars down to "Unrated", leaving out empty ratings; the tag grouping puts a
// clip in one section per tag, in code-point order of the titles with
// "Untagged" last. The keyboard's row moves and the grid's layout both use
// this one division.
QList<ClipSectionPositions> clipSectionPositions(const QList<Clip> &clips, const QList<qsizetype> &displayed, GroupMode mode);
// The same sections holding the clips themselves.
QList<ClipSection> clipSections(const QList<Clip> &clips, const QList<ClipSectionPositions> &sections);
// The division of a displayed list of clips.
QList<ClipSection> clipSections(const QList<Clip> &displayed, GroupMode mode);

// "★★★☆☆" for 3, "Unrated" for 0.
QString ratingSectionTitle(qint64 rating);

// The number of "★" in a section title (0 for "Unrated" and tag titles).
int starCount(const QString &title);

// The colour of a rating (1 to 5), shared by the card's rating badge and the
// rating section titles. No value for other ratings; callers use gray.
std::optional<QColor> ratingColor(qint64 rating);

// "12 clips", "1 clip": the count badge's spoken label.
QString clipCountLabel(qsizetype count);
// "3 stars", "1 star"; the title itself when it holds no star.
QString starTitleLabel(const QString &title);
