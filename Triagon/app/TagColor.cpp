#include "app/TagColor.h"

#include "app/SystemColor.h"

#include <array>

std::uint64_t tagColorHash(const QString &tag)
{
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    const QByteArray bytes = tag.toUtf8();
    for (const char byte : bytes) {
        hash ^= static_cast<std::uint8_t>(byte);
        hash *= 0x100000001b3ULL;
    }
    return hash;
}

int tagColorIndex(const QString &tag)
{
    return static_cast<int>(tagColorHash(tag) % 10);
}

QColor tagColor(const QString &tag)
{
    static const std::array<SystemColor, 10> palette{SystemColor::blue, SystemColor::green, SystemColor::orange, SystemColor::purple,
                                                     SystemColor::pink, SystemColor::red,   SystemColor::teal,   SystemColor::indigo,
                                                     SystemColor::mint, SystemColor::cyan};
    return systemColor(palette[static_cast<std::size_t>(tagColorIndex(tag))]);
}
