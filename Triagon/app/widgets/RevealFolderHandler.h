#pragma once

#include <QString>

// Which application the desktop would open a folder with, as the desktop's
// own launcher decides it: GIO's default application for the type (the
// mimeapps.list defaults and the desktop entries that claim the type, with
// XDG_CONFIG_HOME, XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and
// XDG_CURRENT_DESKTOP read when first asked). Only files are read, nothing
// is started. GIO stays inside this class: its headers are nobody else's.
class RevealFolderHandler
{
public:
    struct Handler
    {
        // The desktop entry's ID ("org.example.Files.desktop"); empty when
        // nothing opens the type.
        QString desktopId;
        // The entry is Triagon's: its own ID, or an Exec that runs a program
        // named "triagon" or the running program under another file name.
        bool ours = false;

        bool found() const { return !desktopId.isEmpty(); }
    };

    static Handler lookup(const QString &mimeType = QStringLiteral("inode/directory"));

    // The ID of Triagon's own desktop entry.
    static QString ownDesktopId();
};
