#include "media/FileDecodingNotes.h"

#include "media/FileRegistry.h"

namespace {
// Files whose notes are kept: those a session scrubs and plays lately.
constexpr int keptFiles = 64;
} // namespace

std::shared_ptr<FileDecodingNotes> FileDecodingNotes::forFile(const QString &path)
{
    static auto *const registry = new FileRegistry<FileDecodingNotes>(keptFiles); // never destroyed: used until the very end
    return registry->forFile(path);
}

void FileDecodingNotes::noteDamagedGroup(qint64 keyframe)
{
    std::lock_guard lock(m_mutex);
    m_damagedGroups.insert(keyframe);
}

bool FileDecodingNotes::isDamagedGroup(qint64 keyframe) const
{
    std::lock_guard lock(m_mutex);
    return m_damagedGroups.count(keyframe) > 0;
}

std::optional<int> FileDecodingNotes::encoderBuild() const
{
    std::lock_guard lock(m_mutex);
    return m_encoderBuild;
}

void FileDecodingNotes::setEncoderBuild(int build)
{
    std::lock_guard lock(m_mutex);
    m_encoderBuild = build;
}

std::optional<std::optional<double>> FileDecodingNotes::framesEnd() const
{
    std::lock_guard lock(m_mutex);
    return m_framesEnd;
}

void FileDecodingNotes::setFramesEnd(std::optional<double> seconds)
{
    std::lock_guard lock(m_mutex);
    m_framesEnd = seconds;
}
