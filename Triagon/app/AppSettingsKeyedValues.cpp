// The values other models keep in the settings file under keys of their own:
// read with the tolerance their older stored forms need, written and synced
// like the preferences.
#include "app/AppSettings.h"

#include <QSettings>

QStringList AppSettings::storedTextList(const QString &key) const
{
    const QVariant value = storedValue(key);
    switch (value.typeId()) {
    case QMetaType::QStringList:
        return value.toStringList();
    case QMetaType::QString:
        // An INI file hands a one-element list back as a plain string.
        if (value.toString().isEmpty())
            return {};
        return QStringList{value.toString()};
    default:
        return {};
    }
}

void AppSettings::storeTextList(const QString &key, const QStringList &texts)
{
    writeValue(key, texts);
}

std::optional<QString> AppSettings::storedText(const QString &key) const
{
    const QVariant value = storedValue(key);
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

void AppSettings::storeText(const QString &key, const QString &text)
{
    writeValue(key, text);
}

void AppSettings::removeStored(const QString &key)
{
    m_settings->remove(key);
    syncToFile();
}
