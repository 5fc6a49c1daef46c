#include "markers/MarkerDetector.h"

#include "library/model/FileName.h"
#include "library/model/FinderOrder.h"

#include <QHash>
#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace {

bool isAsciiDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool isCameraFolderSuffixCharacter(QChar c)
{
    return isAsciiDigit(c) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z')) || (c >= QLatin1Char('a') && c <= QLatin1Char('z'))
           || c == QLatin1Char('_') || c == QLatin1Char('-');
}

// Milliseconds of a recording date; clips without a usable date sort first.
qint64 dateKey(const Clip &clip)
{
    if (clip.recordedAt && clip.recordedAt->isValid())
        return clip.recordedAt->toMSecsSinceEpoch();
    return std::numeric_limits<qint64>::min();
}

bool hasDate(const Clip &clip)
{
    return clip.recordedAt && clip.recordedAt->isValid();
}

} // namespace

QUrl MarkerDetector::folderURL(const QUrl &fileURL)
{
    return fileURL.adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment).adjusted(QUrl::NormalizePathSegments);
}

std::optional<MarkerDetector::ClipNumber> MarkerDetector::clipNumber(const QString &fileName)
{
    const QString name = FileName::lastComponent(fileName);
    const QString stem = FileName::withoutExtension(name);
    qsizetype end = stem.size() - 1;
    while (end >= 0 && !isAsciiDigit(stem[end]))
        --end;
    if (end < 0)
        return std::nullopt;
    qsizetype start = end;
    while (start > 0 && isAsciiDigit(stem[start - 1]))
        --start;

    constexpr qint64 maxValue = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (qsizetype i = start; i <= end; ++i) {
        const int digit = stem[i].unicode() - u'0';
        if (value > (maxValue - digit) / 10)
            return std::nullopt;
        value = value * 10 + digit;
    }
    ClipNumber number;
    number.prefix = stem.left(start);
    number.value = value;
    number.suffix = stem.mid(end + 1);
    number.digits = end - start + 1;
    number.ext = FileName::extension(name).toLower();
    return number;
}

std::optional<MarkerDetector::ClipNumber> MarkerDetector::clipNumber(const Clip &clip)
{
    return clipNumber(clip.urlFileName());
}

bool MarkerDetector::isConsecutive(const Clip &a, const Clip &b)
{
    const auto first = clipNumber(a);
    const auto second = clipNumber(b);
    if (!first || !second)
        return false;
    return first->prefix == second->prefix && first->suffix == second->suffix && first->ext == second->ext
           && first->value != std::numeric_limits<qint64>::max() && second->value == first->value + 1;
}

std::optional<MarkerDetector::CameraFolder> MarkerDetector::cameraFolder(const QUrl &folder)
{
    const QString name = FileName::lastComponent(folder.path(QUrl::FullyDecoded));
    if (name.size() != 8)
        return std::nullopt;
    for (qsizetype i = 0; i < 8; ++i) {
        if (i < 3 ? !isAsciiDigit(name[i]) : !isCameraFolderSuffixCharacter(name[i]))
            return std::nullopt;
    }
    const int number = (name[0].unicode() - u'0') * 100 + (name[1].unicode() - u'0') * 10 + (name[2].unicode() - u'0');
    if (number < 100)
        return std::nullopt;
    CameraFolder camera;
    camera.root = folder.adjusted(QUrl::StripTrailingSlash)
                      .adjusted(QUrl::RemoveFilename | QUrl::RemoveQuery | QUrl::RemoveFragment)
                      .adjusted(QUrl::NormalizePathSegments);
    camera.number = number;
    camera.suffix = name.mid(3);
    return camera;
}

QList<MarkerDetector::SourceGroup> MarkerDetector::clipsBySource(const QList<Clip> &clips)
{
    QList<SourceGroup> groups;
    QHash<Source, qsizetype> groupIndex;
    for (const Clip &clip : clips) {
        const QUrl folder = folderURL(clip.url);
        Source source;
        if (const auto camera = cameraFolder(folder)) {
            source.root = camera->root;
            source.cameraFolderSuffix = camera->suffix;
        } else {
            source.root = folder;
        }
        auto it = groupIndex.constFind(source);
        if (it == groupIndex.constEnd()) {
            it = groupIndex.insert(source, groups.size());
            groups.append(SourceGroup{source, {}});
        }
        groups[*it].clips.append(clip);
    }
    return groups;
}

QList<Clip> MarkerDetector::sequenceOrder(const QList<Clip> &clips, bool useDates)
{
    // Every clip gets its whole key up front; the comparison below is a
    // lexicographic order over that key, hence a strict weak ordering for
    // any input. Comparing dates for some pairs and names for others would
    // not be one, and sorting by it is undefined.
    struct Key
    {
        qint64 date;
        QString folderPath;
        QString folderText;
        QString name;
    };
    std::vector<Key> keys;
    keys.reserve(clips.size());
    for (const Clip &clip : clips) {
        const QUrl folder = folderURL(clip.url);
        keys.push_back(
            Key{useDates ? dateKey(clip) : 0, folder.path(QUrl::FullyDecoded), folder.toString(QUrl::FullyEncoded), clip.urlFileName()});
    }
    std::vector<qsizetype> order(clips.size());
    std::iota(order.begin(), order.end(), qsizetype(0));
    std::sort(order.begin(), order.end(), [&keys](qsizetype a, qsizetype b) {
        const Key &ka = keys[a];
        const Key &kb = keys[b];
        if (ka.date != kb.date)
            return ka.date < kb.date;
        if (const int c = FinderOrder::compare(ka.folderPath, kb.folderPath))
            return c < 0;
        if (const int c = QString::compare(ka.folderText, kb.folderText))
            return c < 0;
        if (const int c = FinderOrder::compare(ka.name, kb.name))
            return c < 0;
        return a < b;
    });
    QList<Clip> sorted;
    sorted.reserve(clips.size());
    for (qsizetype i : order)
        sorted.append(clips[i]);
    return sorted;
}

QList<MarkerDetector::NumberingReset> MarkerDetector::numberingResets(const QList<Clip> &clips)
{
    QList<NumberingReset> resets;
    for (const SourceGroup &group : clipsBySource(clips)) {
        if (group.clips.size() < 4)
            continue;
        const bool useDates = std::all_of(group.clips.begin(), group.clips.end(), hasDate);
        if (!useDates && !group.source.cameraFolderSuffix)
            continue;

        const QList<Clip> sorted = sequenceOrder(group.clips, useDates);
        struct Facts
        {
            QUrl folder;
            std::optional<ClipNumber> number;
            std::optional<CameraFolder> camera;
        };
        std::vector<Facts> facts;
        facts.reserve(sorted.size());
        for (const Clip &clip : sorted) {
            const QUrl folder = folderURL(clip.url);
            facts.push_back(Facts{folder, clipNumber(clip), cameraFolder(folder)});
        }
        const auto consecutive = [&facts](qsizetype a, qsizetype b) {
            const auto &first = facts[a].number;
            const auto &second = facts[b].number;
            return first && second && first->prefix == second->prefix && first->suffix == second->suffix && first->ext == second->ext
                   && first->value != std::numeric_limits<qint64>::max() && second->value == first->value + 1;
        };

        for (qsizetype i = 0; i + 3 < sorted.size(); ++i) {
            const Clip &c0 = sorted[i];
            const Clip &c1 = sorted[i + 1];
            const Clip &c2 = sorted[i + 2];
            const Clip &c3 = sorted[i + 3];
            if (c0.isMissing || c1.isMissing || c2.isMissing || c3.isMissing)
                continue;
            if (!consecutive(i, i + 1) || !consecutive(i + 2, i + 3))
                continue;
            if (facts[i].folder != facts[i + 1].folder || facts[i + 2].folder != facts[i + 3].folder)
                continue;
            const ClipNumber &before = *facts[i + 1].number;
            const ClipNumber &after = *facts[i + 2].number;
            if (before.prefix != after.prefix || before.suffix != after.suffix || before.ext != after.ext || before.digits != after.digits)
                continue;
            if (after.value > 9 || before.value < (after.value + 1) * 10)
                continue;
            if (c2.numberingResetReview && c2.numberingResetReview->previousClipID == c1.id)
                continue;
            const auto &camera1 = facts[i + 1].camera;
            const auto &camera2 = facts[i + 2].camera;
            const bool sameFolderByDate = useDates && facts[i + 1].folder == facts[i + 2].folder;
            const bool nextCameraFolder = camera1 && camera2 && camera1->root == camera2->root && camera1->suffix == camera2->suffix
                                          && camera2->number == camera1->number + 1;
            if (!sameFolderByDate && !nextCameraFolder)
                continue;
            if (useDates && !(dateKey(c0) < dateKey(c1) && dateKey(c1) < dateKey(c2) && dateKey(c2) < dateKey(c3)))
                continue;
            resets.append(NumberingReset{c1.id, c2.id});
        }
    }
    std::stable_sort(resets.begin(), resets.end(),
                     [](const NumberingReset &a, const NumberingReset &b) { return uuidText(a.firstClipID) < uuidText(b.firstClipID); });
    return resets;
}
