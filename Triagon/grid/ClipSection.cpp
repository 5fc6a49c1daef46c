#include "grid/ClipSection.h"

#include <QHash>

#include <algorithm>

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

QList<ClipSection> clipSections(const QList<Clip> &displayed, GroupMode mode)
{
    QList<ClipSection> sections;
    switch (mode) {
    case GroupMode::none:
        sections.append(ClipSection{QStringLiteral("All"), displayed});
        return sections;
    case GroupMode::rating: {
        QList<Clip> groups[6];
        for (const Clip &clip : displayed) {
            // Ratings outside 0...5 cannot come from the store's edits; such a
            // clip still has to show somewhere, and "Unrated" is its title.
            const qint64 r = clip.rating >= 1 && clip.rating <= 5 ? clip.rating : 0;
            groups[r].append(clip);
        }
        for (int r = 5; r >= 0; --r) {
            if (!groups[r].isEmpty())
                sections.append(ClipSection{ratingSectionTitle(r), groups[r]});
        }
        return sections;
    }
    case GroupMode::category: {
        QHash<QString, qsizetype> indexOfTitle;
        for (const Clip &clip : displayed) {
            const QStringList titles = clip.tags.isEmpty() ? QStringList{untagged} : clip.tags;
            for (const QString &title : titles) {
                auto it = indexOfTitle.find(title);
                if (it == indexOfTitle.end()) {
                    it = indexOfTitle.insert(title, sections.size());
                    sections.append(ClipSection{title, {}});
                }
                ClipSection &section = sections[*it];
                // A clip listing the same tag twice is still one card there.
                if (section.clips.isEmpty() || section.clips.constLast().id != clip.id)
                    section.clips.append(clip);
            }
        }
        // Plain code-point order (QString's operator<), not the locale's.
        std::stable_sort(sections.begin(), sections.end(), [](const ClipSection &a, const ClipSection &b) {
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

std::optional<QColor> ratingColor(qint64 rating)
{
    switch (rating) {
    case 5: return QColor::fromRgbF(0.133f, 0.773f, 0.369f);
    case 4: return QColor::fromRgbF(0.518f, 0.8f, 0.086f);
    case 3: return QColor::fromRgbF(0.918f, 0.702f, 0.031f);
    case 2: return QColor::fromRgbF(0.976f, 0.451f, 0.086f);
    case 1: return QColor::fromRgbF(0.937f, 0.267f, 0.267f);
    default: return std::nullopt;
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
