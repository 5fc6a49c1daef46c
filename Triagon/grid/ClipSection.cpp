#include "grid/ClipSection.h"

#include <QHash>

#include <algorithm>
#include <numeric>

namespace {
const QChar blackStar(0x2605);
const QChar whiteStar(0x2606);
const QString untagged = QStringLiteral("Untagged");
} // namespace

QString ratingSectionTitle(qint64 rating)
{
    if (rating < 1 || rating > 5)
        return QStringLiteral("Unrated");
    return QString(rating, blackStar) + QString(5 - rating, whiteStar);
}

int starCount(const QString &title)
{
    return static_cast<int>(title.count(blackStar));
}

QList<ClipSectionPositions> clipSectionPositions(const QList<Clip> &clips, const QList<qsizetype> &displayed, GroupMode mode)
{
    QList<ClipSectionPositions> sections;
    switch (mode) {
    case GroupMode::none:
        sections.append(ClipSectionPositions{QStringLiteral("All"), displayed});
        return sections;
    case GroupMode::rating: {
        QList<qsizetype> groups[6];
        for (const qsizetype i : displayed) {
            // Ratings outside 0...5 cannot come from the store's edits; such a
            // clip still has to show somewhere, and "Unrated" is its title.
            const qint64 rating = clips.at(i).rating;
            groups[rating >= 1 && rating <= 5 ? rating : 0].append(i);
        }
        for (int r = 5; r >= 0; --r) {
            if (!groups[r].isEmpty())
                sections.append(ClipSectionPositions{ratingSectionTitle(r), std::move(groups[r])});
        }
        return sections;
    }
    case GroupMode::category: {
        QHash<QString, qsizetype> indexOfTitle;
        auto add = [&](const QString &title, qsizetype i) {
            auto it = indexOfTitle.find(title);
            if (it == indexOfTitle.end()) {
                it = indexOfTitle.insert(title, sections.size());
                sections.append(ClipSectionPositions{title, {}});
            }
            QList<qsizetype> &members = sections[*it].positions;
            // A clip listing the same tag twice is still one card there.
            if (members.isEmpty() || members.constLast() != i)
                members.append(i);
        };
        for (const qsizetype i : displayed) {
            const QStringList &tags = clips.at(i).tags;
            if (tags.isEmpty())
                add(untagged, i);
            for (const QString &tag : tags)
                add(tag, i);
        }
        // Plain code-point order (QString's operator<), not the locale's.
        std::stable_sort(sections.begin(), sections.end(), [](const ClipSectionPositions &a, const ClipSectionPositions &b) {
            const bool aLast = a.title == untagged;
            const bool bLast = b.title == untagged;
            if (aLast || bLast)
                return !aLast && bLast;
            return a.title < b.title;
        });
        return sections;
    }
    }
    return sections;
}

QList<ClipSection> clipSections(const QList<Clip> &clips, const QList<ClipSectionPositions> &sections)
{
    QList<ClipSection> result;
    result.reserve(sections.size());
    for (const ClipSectionPositions &section : sections) {
        QList<Clip> members;
        members.reserve(section.positions.size());
        for (const qsizetype i : section.positions)
            members.append(clips.at(i));
        result.append(ClipSection{section.title, std::move(members)});
    }
    return result;
}

QList<ClipSection> clipSections(const QList<Clip> &displayed, GroupMode mode)
{
    // No grouping shares the list itself.
    if (mode == GroupMode::none)
        return {ClipSection{QStringLiteral("All"), displayed}};
    QList<qsizetype> all(displayed.size());
    std::iota(all.begin(), all.end(), qsizetype(0));
    return clipSections(displayed, clipSectionPositions(displayed, all, mode));
}

std::optional<QColor> ratingColor(qint64 rating)
{
    switch (rating) {
    case 5:
        return QColor::fromRgbF(0.133f, 0.773f, 0.369f);
    case 4:
        return QColor::fromRgbF(0.518f, 0.8f, 0.086f);
    case 3:
        return QColor::fromRgbF(0.918f, 0.702f, 0.031f);
    case 2:
        return QColor::fromRgbF(0.976f, 0.451f, 0.086f);
    case 1:
        return QColor::fromRgbF(0.937f, 0.267f, 0.267f);
    default:
        return std::nullopt;
    }
}

QString clipCountLabel(qsizetype count)
{
    return QString::number(count) + QStringLiteral(" clip") + (count == 1 ? QString() : QStringLiteral("s"));
}

QString starTitleLabel(const QString &title)
{
    const int n = starCount(title);
    if (n == 0)
        return title;
    return QString::number(n) + QStringLiteral(" star") + (n == 1 ? QString() : QStringLiteral("s"));
}
