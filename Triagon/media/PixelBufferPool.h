#pragma once

#include <cstddef>
#include <deque>
#include <mutex>

// Pixel buffers for converted pictures, kept for reuse once their picture is
// gone. A picture the size the player shows is over 2 MB: memory fresh from
// the system costs a page fault every 4 KB and is cleared by the kernel, and
// the faults of a process's threads wait for each other, so that a decoder
// filling a frame cache would spend longer on its pictures' memory than on
// scaling them. Buffers freed go back here (up to a bound in bytes, the
// oldest leaving first) and the next picture of that size takes one.
// Thread-safe.
class PixelBufferPool
{
public:
    static PixelBufferPool &instance();

    explicit PixelBufferPool(std::size_t keptBytes) : m_keptBytes(keptBytes) {}
    ~PixelBufferPool();
    PixelBufferPool(const PixelBufferPool &) = delete;
    PixelBufferPool &operator=(const PixelBufferPool &) = delete;

    // A buffer of `bytes`, aligned as av_malloc aligns (nullptr when out of
    // memory); its contents are whatever they were.
    void *take(std::size_t bytes);
    // Hands a buffer from take() back.
    void give(void *buffer);
    // Frees the buffers kept.
    void clear();
    std::size_t keptBytes() const;

    // A QImage cleanup function that gives `buffer` back to the shared pool.
    static void giveBack(void *buffer);

private:
    struct Kept
    {
        void *block = nullptr;
        std::size_t bytes = 0;
    };

    const std::size_t m_keptBytes;
    mutable std::mutex m_mutex;
    std::deque<Kept> m_kept; // the oldest first
    std::size_t m_bytes = 0;
};
