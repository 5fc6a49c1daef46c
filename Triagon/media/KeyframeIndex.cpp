#include "media/KeyframeIndex.h"

#include "media/FileRegistry.h"

#include <algorithm>
#include <vector>

namespace {

// Files whose keyframes are kept: those a session scrubs and plays lately.
constexpr int keptFiles = 64;
// How far back from a time the keyframe that shows it is looked for among
// those decoded before it (reordered frames put a few there).
constexpr int keyframesWalkedBack = 16;

} // namespace

std::shared_ptr<KeyframeIndex> KeyframeIndex::forFile(const QString &path)
{
    static auto *const registry = new FileRegistry<KeyframeIndex>(keptFiles); // never destroyed: used until the very end
    return registry->forFile(path);
}

void KeyframeIndex::record(qint64 runStart, qint64 decoded, qint64 shown, qint64 position, bool keyframe)
{
    std::lock_guard lock(m_mutex);
    if (keyframe)
        m_keyframes[decoded] = Keyframe{shown, decoded, position};
    coverLocked(std::min(runStart, decoded), decoded);
}

void KeyframeIndex::recordEndOfFile(qint64 runStart)
{
    std::lock_guard lock(m_mutex);
    coverLocked(runStart, std::numeric_limits<qint64>::max());
}

void KeyframeIndex::coverLocked(qint64 from, qint64 to)
{
    auto it = m_runs.upper_bound(from);
    if (it != m_runs.begin()) {
        const auto before = std::prev(it);
        if (before->second >= from) {
            from = before->first;
            to = std::max(to, before->second);
            it = m_runs.erase(before);
        }
    }
    while (it != m_runs.end() && it->first <= to) {
        to = std::max(to, it->second);
        it = m_runs.erase(it);
    }
    m_runs.emplace(from, to);
}

bool KeyframeIndex::coversLocked(qint64 from, qint64 to) const
{
    auto it = m_runs.upper_bound(from);
    if (it == m_runs.begin())
        return false;
    --it;
    return it->first <= from && it->second >= to;
}

bool KeyframeIndex::covers(qint64 from, qint64 to) const
{
    std::lock_guard lock(m_mutex);
    return coversLocked(from, to);
}

KeyframeIndex::Lookup KeyframeIndex::keyframeAtOrBefore(qint64 shown, Keyframe *keyframe) const
{
    std::lock_guard lock(m_mutex);
    // A frame is decoded before it is shown: keyframes decoded after the
    // time are shown after it too.
    auto it = m_keyframes.upper_bound(shown);
    for (int walked = 0; it != m_keyframes.begin() && walked < keyframesWalkedBack; ++walked) {
        --it;
        if (it->second.shown > shown)
            continue;
        if (!coversLocked(it->second.decoded, shown))
            return Lookup::Unknown;
        if (keyframe)
            *keyframe = it->second;
        return Lookup::Found;
    }
    return coversLocked(fileStart, shown) ? Lookup::BeforeFirst : Lookup::Unknown;
}

std::optional<KeyframeIndex::Keyframe> KeyframeIndex::keyframeAfter(qint64 shown) const
{
    std::lock_guard lock(m_mutex);
    // Keyframes decoded a little before the time may be shown after it.
    auto it = m_keyframes.upper_bound(shown);
    for (int walked = 0; it != m_keyframes.begin() && walked < keyframesWalkedBack; ++walked)
        --it;
    std::optional<Keyframe> first;
    for (; it != m_keyframes.end(); ++it) {
        // Keyframes decoded past the earliest found are shown after it too.
        if (first && it->second.decoded > first->shown)
            break;
        if (it->second.shown > shown && (!first || it->second.shown < first->shown))
            first = it->second;
    }
    if (first && !coversLocked(std::min(shown, first->decoded), first->decoded))
        return std::nullopt;
    return first;
}

qint64 KeyframeIndex::typicalKeyframeDistance() const
{
    std::lock_guard lock(m_mutex);
    std::vector<qint64> gaps;
    qint64 previous = 0;
    bool first = true;
    for (const auto &[decoded, keyframe] : m_keyframes) {
        if (!first)
            gaps.push_back(keyframe.shown - previous);
        previous = keyframe.shown;
        first = false;
        if (gaps.size() >= 64)
            break;
    }
    if (gaps.empty())
        return 0;
    std::nth_element(gaps.begin(), gaps.begin() + gaps.size() / 2, gaps.end());
    return std::max<qint64>(0, gaps[gaps.size() / 2]);
}

int KeyframeIndex::keyframeCount() const
{
    std::lock_guard lock(m_mutex);
    return int(m_keyframes.size());
}
