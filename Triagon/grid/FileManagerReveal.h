#pragma once

#include <QString>

// Shows a file selected in the desktop's file manager (the freedesktop
// FileManager1 service), or, where no file manager offers that service,
// opens the file's folder. Returns false when neither could be started.
bool showInFileManager(const QString &filePath);
