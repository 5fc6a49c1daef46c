#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// Which folder of the sources may include which. A folder is a path under
// Triagon/ ("grid", "media/ui", "library/model"); AppUpdates/ is the folder
// "AppUpdates". An include names the folder of its header; an include without
// a folder is the file's own folder and never an edge.
//
// Every include that crosses folders must be listed here, every listed edge
// must be used by some include, and the listed edges must form no cycle. A new
// edge is a design decision: add it in one direction only, lower folders first.
struct FolderRule
{
    QString folder;
    QStringList mayInclude;
};

inline const QList<FolderRule> &folderLayers()
{
    static const QList<FolderRule> rules = {
        // Value types and the application's core: nothing of Triagon below them.
        {"library/model", {}},
        {"app", {"library/model"}},
        {"app/widgets", {"app"}},
        // Engines and services.
        {"media", {"app", "library/model"}},
        {"organize", {"app", "library/model"}},
        {"markers", {"library/model"}},
        {"settings", {"app"}},
        {"library", {"app", "library/model", "markers", "media", "organize"}},
        {"audiotriage", {"app", "library", "library/model", "media"}},
        // Widgets, lowest first.
        {"media/ui", {"app", "app/widgets", "library/model", "media"}},
        {"grid", {"app", "app/widgets", "library", "library/model", "markers", "media", "media/ui"}},
        {"organize/ui", {"app", "app/widgets", "library", "library/model", "organize"}},
        {"markers/ui", {"app", "app/widgets", "library", "library/model", "markers", "media", "media/ui"}},
        {"audiotriage/ui", {"app", "app/widgets", "audiotriage", "library"}},
        {"settings/ui", {"app", "app/widgets", "library/model", "settings"}},
        {"AppUpdates", {"app", "app/widgets"}},
        {"window",
         {"AppUpdates", "app", "app/widgets", "audiotriage/ui", "grid", "library", "library/model", "markers", "markers/ui", "organize/ui",
          "settings", "settings/ui"}},
        // The application composes everything.
        {"app/ui", {"AppUpdates", "app", "app/widgets", "library", "media", "settings", "settings/ui", "window"}},
    };
    return rules;
}
