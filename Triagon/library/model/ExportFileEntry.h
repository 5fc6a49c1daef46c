#pragma once

#include <QString>
#include <optional>

// One planned file of the organize preview: the clip's name in the session and
// an annotation such as "also: B, C" for its other tags.
struct ExportFileEntry
{
    QString filename;
    std::optional<QString> annotation;

    friend bool operator==(const ExportFileEntry &, const ExportFileEntry &) = default;
};
