#include "media/PixelBufferPool.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <cstring>

namespace {
// Each block starts with its size; the pixels follow at an offset that
// keeps av_malloc's alignment.
constexpr std::size_t headerBytes = 64;
// About a dozen pictures of the full player's size.
constexpr std::size_t sharedKeptBytes = 32u * 1024 * 1024;

std::size_t sizeOf(void *buffer)
{
    std::size_t bytes = 0;
    std::memcpy(&bytes, static_cast<char *>(buffer) - headerBytes, sizeof bytes);
    return bytes;
}
} // namespace

PixelBufferPool &PixelBufferPool::instance()
{
    static PixelBufferPool pool(sharedKeptBytes);
    return pool;
}

PixelBufferPool::~PixelBufferPool()
{
    clear();
}

void *PixelBufferPool::take(std::size_t bytes)
{
    {
        std::lock_guard lock(m_mutex);
        for (auto it = m_kept.rbegin(); it != m_kept.rend(); ++it) {
            if (it->bytes == bytes) {
                void *block = it->block;
                m_bytes -= bytes;
                m_kept.erase(std::next(it).base());
                return static_cast<char *>(block) + headerBytes;
            }
        }
    }
    void *block = av_malloc(bytes + headerBytes);
    if (!block)
        return nullptr;
    std::memcpy(block, &bytes, sizeof bytes);
    return static_cast<char *>(block) + headerBytes;
}

void PixelBufferPool::give(void *buffer)
{
    if (!buffer)
        return;
    void *block = static_cast<char *>(buffer) - headerBytes;
    const std::size_t bytes = sizeOf(buffer);
    std::deque<Kept> dropped;
    {
        std::lock_guard lock(m_mutex);
        if (bytes > m_keptBytes) {
            dropped.push_back({block, bytes});
        } else {
            m_kept.push_back({block, bytes});
            m_bytes += bytes;
            while (m_bytes > m_keptBytes) {
                dropped.push_back(m_kept.front());
                m_bytes -= m_kept.front().bytes;
                m_kept.pop_front();
            }
        }
    }
    for (const Kept &kept : dropped)
        av_free(kept.block);
}

void PixelBufferPool::clear()
{
    std::deque<Kept> dropped;
    {
        std::lock_guard lock(m_mutex);
        dropped.swap(m_kept);
        m_bytes = 0;
    }
    for (const Kept &kept : dropped)
        av_free(kept.block);
}

std::size_t PixelBufferPool::keptBytes() const
{
    std::lock_guard lock(m_mutex);
    return m_bytes;
}

void PixelBufferPool::giveBack(void *buffer)
{
    instance().give(buffer);
}
