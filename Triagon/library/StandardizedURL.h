#pragma once

#include <QUrl>

// The one spelling of a file URL that the store keeps: "." and ".." segments
// resolved, repeated and trailing slashes removed. Symbolic links are not
// resolved, so a link and its target stay two different files. Other URLs
// only get their path segments normalized.
QUrl standardizedFileURL(const QUrl &url);
