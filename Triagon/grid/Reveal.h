#pragma once

#include <QUrl>

// Shows a file (or folder) selected in the desktop's file manager. Asks the
// file manager over D-Bus (org.freedesktop.FileManager1 ShowItems); when no
// file manager answers, opens the containing folder instead. Returns at once.
void revealInFileManager(const QUrl &url);

// The folder that the fallback opens for `url`: the parent folder of the item.
QUrl containingFolderUrl(const QUrl &url);
