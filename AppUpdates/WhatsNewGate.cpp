#include "AppUpdates/WhatsNewGate.h"

#include "app/Loggers.h"
#include "app/SettingsFileSync.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>

WhatsNewGate::WhatsNewGate(QSettings &defaults, QString key) : m_defaults(defaults), m_key(std::move(key))
{
}

QString WhatsNewGate::defaultKey()
{
    return QStringLiteral("whatsNew.lastSeenVersion");
}

QString WhatsNewGate::legacyKey()
{
    return QStringLiteral("lastSeenVersion");
}

std::optional<QString> WhatsNewGate::readText(const QString &key) const
{
    const QVariant value = m_defaults.value(key);
    QString text;
    switch (value.typeId()) {
    case QMetaType::QString:
    case QMetaType::QByteArray:
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Double:
        text = value.toString();
        break;
    case QMetaType::QStringList: {
        // A settings file hands a text that contains a comma back as a list;
        // only a list of one element is still one text.
        const QStringList list = value.toStringList();
        if (list.size() != 1)
            return std::nullopt;
        text = list.first();
        break;
    }
    default:
        return std::nullopt;
    }
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

void WhatsNewGate::sync()
{
    if (const std::optional<QString> failure = SettingsFileSync::sync(m_defaults))
        qCCritical(settingsLogger, "%s", qUtf8Printable(*failure));
}

void WhatsNewGate::write(const QString &key, const QString &value)
{
    m_defaults.setValue(key, value);
    sync();
}

std::optional<QString> WhatsNewGate::storedVersion() const
{
    return readText(m_key);
}

std::optional<ReleaseNotes> WhatsNewGate::check(const QString &currentVersion, const NotesLoader &loadNotes)
{
    if (currentVersion.isEmpty())
        return std::nullopt;
    const std::optional<QString> previous = storedVersion();
    if (previous && *previous == currentVersion)
        return std::nullopt;
    write(m_key, currentVersion);
    if (!previous || !loadNotes)
        return std::nullopt;
    return loadNotes(currentVersion);
}

void WhatsNewGate::migrate(const QString &legacyKey)
{
    if (storedVersion())
        return;
    const std::optional<QString> legacy = readText(legacyKey);
    if (!legacy)
        return;
    write(m_key, *legacy);
    m_defaults.remove(legacyKey);
    sync();
}
