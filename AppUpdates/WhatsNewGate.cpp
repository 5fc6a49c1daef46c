#include "AppUpdates/WhatsNewGate.h"

#include "app/AppSettings.h"

WhatsNewGate::WhatsNewGate(AppSettings &defaults, QString key) : m_defaults(defaults), m_key(std::move(key))
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

std::optional<QString> WhatsNewGate::storedVersion() const
{
    return m_defaults.storedText(m_key);
}

std::optional<ReleaseNotes> WhatsNewGate::check(const QString &currentVersion, const NotesLoader &loadNotes)
{
    if (currentVersion.isEmpty())
        return std::nullopt;
    const std::optional<QString> previous = storedVersion();
    if (previous && *previous == currentVersion)
        return std::nullopt;
    m_defaults.storeText(m_key, currentVersion);
    if (!previous || !loadNotes)
        return std::nullopt;
    return loadNotes(currentVersion);
}

void WhatsNewGate::migrate(const QString &legacyKey)
{
    if (storedVersion())
        return;
    const std::optional<QString> legacy = m_defaults.storedText(legacyKey);
    if (!legacy)
        return;
    m_defaults.storeText(m_key, *legacy);
    m_defaults.removeStored(legacyKey);
}
