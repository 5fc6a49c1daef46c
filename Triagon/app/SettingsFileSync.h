#pragma once

#include <QString>

#include <optional>

class QSettings;

// Writes a QSettings' changes to its INI file without ever leaving the file
// damaged. With Qt 6.4, QSettings writes through QSaveFile, which on a full
// disk replaces the file with an empty or cut one while sync() reports no
// error: every setting the user made would be gone at the next launch. So
// the file's bytes are kept before each write and checked after it: the file
// Qt writes has one line per key and ends with a newline, and a write that
// the disk cut short has fewer lines or ends inside one. A damaged file is
// put back as it was before the write (AtomicFile), and the settings then
// read back what the file holds again.
class SettingsFileSync
{
public:
    // Nothing when the file now holds the settings (or when nothing had to
    // be written); else what went wrong, and the file is as it was before.
    static std::optional<QString> sync(QSettings &settings);

    // True when `bytes`, written by QSettings in INI form, hold `keyCount`
    // keys whole.
    static bool holdsWholeIni(const QByteArray &bytes, qsizetype keyCount);
};
