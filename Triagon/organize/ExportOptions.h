#pragma once

#include <QString>
#include <optional>

// The Organize Clips sheet's options for a run.
struct ExportOptions
{
    // A new folder to make inside the destination; none places the rating or
    // tag folders directly in the destination.
    std::optional<QString> folderName;
    bool generateManifest = false;

    friend bool operator==(const ExportOptions &, const ExportOptions &) = default;
};
