#pragma once

#include <QString>

// Which application the desktop would open a folder with, worked out as the
// XDG MIME-applications rules say: the first installed entry of
// [Default Applications] in the mimeapps.list files (the user's
// configuration first, then the system's, then those beside the desktop
// entries, each with its desktop-specific list first); without a default, the
// first [Added Associations] entry or desktop entry claiming the type, folder
// by folder, less the [Removed Associations].
//
// Only files are read, nothing is started, so the answer takes a bounded
// time however the desktop is set up. The folders come from XDG_CONFIG_HOME,
// XDG_CONFIG_DIRS, XDG_DATA_HOME, XDG_DATA_DIRS and XDG_CURRENT_DESKTOP.
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
