#include "media/PixelBufferPool.h"

extern "C" {
#include <libavutil/mem.h>
}

#include <sys/mman.h>

#include <cstring>

namespace {
// Each block starts with its size; the pixels follow at an offset that
// keeps av_malloc's alignment.
constexpr std::size_t headerBytes = 64;
// About a dozen pictures of the full player's size.
constexpr std::size_t sharedKeptBytes = 32u * 1024 * 1024;
// Blocks this large are mapped with their pages filled in at once: one
// call instead of a page fault every 4 KB (several times faster on a
// virtual machine, where faults are dear).
constexpr std::size_t mappedBytes = 1024u * 1024;

std::size_t sizeOf(void *buffer)
{
    std::size_t bytes = 0;
    std::memcpy(&bytes, static_cast<char *>(buffer) - headerBytes, sizeof bytes);
    return bytes;
}

void *allocateBlock(std::size_t bytes)
{
    if (bytes + headerBytes >= mappedBytes) {
        void *block = mmap(nullptr, bytes + headerBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        return block == MAP_FAILED ? nullptr : block;
    }
    return av_malloc(bytes + headerBytes);
}

void freeBlock(void *block, std::size_t bytes)
{
    if (bytes + headerBytes >= mappedBytes)
        munmap(block, bytes + headerBytes);
    else
        av_free(block);
}
} // namespace

PixelBufferPool &PixelBufferPool::instance()
{
    // Never destroyed: pictures may outlive every static of the process (a
    // poster decode finishing on a process-wide thread while it exits), and
    // each gives its buffer back here when it goes.
    static PixelBufferPool *pool = new PixelBufferPool(sharedKeptBytes);
    return *pool;
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
    void *block = allocateBlock(bytes);
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
        freeBlock(kept.block, kept.bytes);
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
        freeBlock(kept.block, kept.bytes);
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
