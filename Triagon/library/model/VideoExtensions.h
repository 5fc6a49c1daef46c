#pragma once

#include <QSet>
#include <QString>

// The importable file extensions, lower case. Callers lower-case a file's
// extension before testing it, so "A001.MOV" is accepted.
const QSet<QString> &supportedVideoExtensions();

// True when the lower-cased extension of the path is a supported one.
bool hasSupportedVideoExtension(const QString &path);
