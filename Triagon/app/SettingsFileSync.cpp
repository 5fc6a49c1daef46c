#include "app/SettingsFileSync.h"

#include "app/AtomicFile.h"

#include <QFile>
#include <QSettings>

namespace {

std::optional<QByteArray> contentOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return std::nullopt;
    return bytes;
}

// The keys this QSettings writes to its own file, without those that only
// its fallbacks (the organization's and the system's files) hold.
qsizetype ownKeyCount(QSettings &settings)
{
    const bool fallbacks = settings.fallbacksEnabled();
    settings.setFallbacksEnabled(false);
    const qsizetype count = settings.allKeys().size();
    settings.setFallbacksEnabled(fallbacks);
    return count;
}

} // namespace

bool SettingsFileSync::holdsWholeIni(const QByteArray &bytes, qsizetype keyCount)
{
    if (bytes.isEmpty())
        return keyCount == 0;
    if (!bytes.endsWith('\n'))
        return false;
    // Each key is one "key=value" line (line breaks inside values are
    // escaped); section headers and the blank lines between sections aside.
    qsizetype keyLines = 0;
    bool atLineStart = true;
    for (const char c : bytes) {
        if (c == '\n') {
            atLineStart = true;
        } else if (atLineStart && c != ' ' && c != '\t' && c != '\r') {
            atLineStart = false;
            if (c != '[')
                ++keyLines;
        }
    }
    return keyLines == keyCount;
}

std::optional<QString> SettingsFileSync::sync(QSettings &settings)
{
    const QString path = settings.fileName();
    const bool ini = settings.format() == QSettings::IniFormat || settings.format() == QSettings::NativeFormat;
    const std::optional<QByteArray> before = ini ? contentOf(path) : std::nullopt;

    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QStringLiteral("Settings could not be written to ") + path;
    if (!ini)
        return std::nullopt;

    const std::optional<QByteArray> after = contentOf(path);
    if (after == before || (after && holdsWholeIni(*after, ownKeyCount(settings))))
        return std::nullopt;

    // The write was cut short: put the file back as it was.
    QString text = QStringLiteral("Settings could not be written whole to ") + path;
    if (before) {
        if (const auto failure = AtomicFile::write(path, *before))
            return text + QStringLiteral("; the previous settings could not be put back either: ") + failure->message;
    } else if (after) {
        QFile::remove(path);
    }
    // Read the file again, so that the settings show what it holds.
    settings.sync();
    return text + QStringLiteral("; the previous settings were kept");
}
