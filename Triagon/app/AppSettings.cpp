#include "app/AppSettings.h"

#include "app/Loggers.h"
#include "app/SettingsFileSync.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSettings>

#include <cmath>
#include <limits>

namespace {

const QString kDefaultFolderOrganization = QStringLiteral("defaultFolderOrganization");
const QString kDefaultGridColumns = QStringLiteral("defaultGridColumns");
const QString kCustomDefaultTags = QStringLiteral("customDefaultTags");
const QString kHasCustomTags = QStringLiteral("hasCustomTags");
const QString kScrubModifiersJSON = QStringLiteral("scrubModifiersJSON");
const QString kShowAudioPeaks = QStringLiteral("showAudioPeaks");
const QString kMarkerMaxDuration = QStringLiteral("markerMaxDuration");
const QString kMarkerConfidenceThreshold = QStringLiteral("markerConfidenceThreshold.v2");
const QString kMarkerTagBase = QStringLiteral("markerTagBase");
const QString kAudioLoudLabel = QStringLiteral("audioLoudLabel");
const QString kAudioLoudPercentage = QStringLiteral("audioLoudPercentage");
const QString kAudioQuietLabel = QStringLiteral("audioQuietLabel");
const QString kAudioQuietPercentage = QStringLiteral("audioQuietPercentage");
const QString kAppearanceMode = QStringLiteral("appearanceMode");
const QString kThemeColor = QStringLiteral("themeColor");
const QString kMainWindowFrame = QStringLiteral("mainWindowFrame");
const QString kMainWindowMaximized = QStringLiteral("mainWindowMaximized");

// The text form of a stored value: a string, or a list of exactly one string
// (which is how an INI file hands back a string that was written as a list).
std::optional<QString> asText(const QVariant &value)
{
    if (value.typeId() == QMetaType::QString)
        return value.toString();
    if (value.typeId() == QMetaType::QStringList) {
        const QStringList list = value.toStringList();
        if (list.size() == 1)
            return list.first();
    }
    return std::nullopt;
}

std::optional<qlonglong> asInteger(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return value.toLongLong();
    case QMetaType::UInt:
    case QMetaType::ULongLong: {
        const qulonglong u = value.toULongLong();
        if (u > static_cast<qulonglong>(std::numeric_limits<qlonglong>::max()))
            return std::nullopt;
        return static_cast<qlonglong>(u);
    }
    default:
        break;
    }
    const std::optional<QString> text = asText(value);
    if (!text)
        return std::nullopt;
    static const QRegularExpression integerPattern(QStringLiteral("^[+-]?[0-9]+$"));
    if (!integerPattern.match(*text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const qlonglong parsed = text->toLongLong(&ok);
    if (!ok) {
        // More digits than a 64-bit integer holds: saturate, the callers clamp.
        return text->startsWith(QLatin1Char('-')) ? std::numeric_limits<qlonglong>::min() : std::numeric_limits<qlonglong>::max();
    }
    return parsed;
}

std::optional<double> asNumber(const QVariant &value)
{
    double number = 0.0;
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        number = value.toDouble();
        break;
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        number = value.toDouble();
        break;
    default: {
        const std::optional<QString> text = asText(value);
        if (!text)
            return std::nullopt;
        static const QRegularExpression numberPattern(QStringLiteral("^[+-]?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][+-]?[0-9]+)?$"));
        if (!numberPattern.match(*text).hasMatch())
            return std::nullopt;
        bool ok = false;
        number = QLocale::c().toDouble(*text, &ok);
        if (!ok)
            return std::nullopt;
        break;
    }
    }
    // Nothing downstream can use an infinite or undefined setting.
    if (!std::isfinite(number))
        return std::nullopt;
    return number;
}

std::optional<bool> asBool(const QVariant &value)
{
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    if (const std::optional<qlonglong> integer = asInteger(value)) {
        if (*integer == 0 || *integer == 1)
            return *integer == 1;
        return std::nullopt;
    }
    const std::optional<QString> text = asText(value);
    if (!text)
        return std::nullopt;
    if (*text == QLatin1String("true"))
        return true;
    if (*text == QLatin1String("false"))
        return false;
    return std::nullopt;
}

// JSON text of a list of tag names; nothing when a name cannot be written as
// UTF-8 unchanged (an unpaired surrogate would be replaced silently).
std::optional<QString> encodeTags(const QStringList &tags)
{
    QJsonArray array;
    for (const QString &tag : tags) {
        if (QString::fromUtf8(tag.toUtf8()) != tag)
            return std::nullopt;
        array.append(tag);
    }
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

void logError(const char *message)
{
    qCCritical(settingsLogger, "%s", message);
}

} // namespace

AppSettings::AppSettings(QObject *parent) : QObject(parent), m_settings(std::make_unique<QSettings>())
{
}

AppSettings::AppSettings(const QString &settingsFile, QObject *parent)
    : QObject(parent), m_settings(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat))
{
}

AppSettings::~AppSettings() = default;

const QStringList &AppSettings::builtInDefaultTags()
{
    static const QStringList tags{QStringLiteral("Action"),    QStringLiteral("Three"),       QStringLiteral("Dunk"),
                                  QStringLiteral("Huddle"),    QStringLiteral("Warmup"),      QStringLiteral("Establishment"),
                                  QStringLiteral("Interview"), QStringLiteral("Celebration"), QStringLiteral("Defense"),
                                  QStringLiteral("Fast Break")};
    return tags;
}

const QList<ScrubModifier> &AppSettings::defaultScrubModifiers()
{
    static const QList<ScrubModifier> modifiers{{ModifierKey::option, 3.0}, {ModifierKey::command, 1.0}};
    return modifiers;
}

QString AppSettings::defaultMarkerTagBase()
{
    return QStringLiteral("banger");
}

QVariant AppSettings::storedValue(const QString &key) const
{
    return m_settings->value(key);
}

QString AppSettings::readString(const QString &key, const QString &fallback) const
{
    return asText(storedValue(key)).value_or(fallback);
}

int AppSettings::readInt(const QString &key, int fallback) const
{
    const std::optional<qlonglong> value = asInteger(storedValue(key));
    if (!value)
        return fallback;
    return static_cast<int>(std::clamp<qlonglong>(*value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

double AppSettings::readDouble(const QString &key, double fallback) const
{
    return asNumber(storedValue(key)).value_or(fallback);
}

bool AppSettings::readBool(const QString &key, bool fallback) const
{
    return asBool(storedValue(key)).value_or(fallback);
}

void AppSettings::writeValue(const QString &key, const QVariant &value)
{
    m_settings->setValue(key, value);
    syncToFile();
}

void AppSettings::syncToFile()
{
    if (const std::optional<QString> failure = SettingsFileSync::sync(*m_settings)) {
        // Reported once per run: a slider would otherwise log at every step.
        if (!m_reportedWriteFailure) {
            qCCritical(settingsLogger, "%s", qUtf8Printable(*failure));
            m_reportedWriteFailure = true;
        }
    } else {
        m_reportedWriteFailure = false;
    }
}

template <typename Getter>
void AppSettings::store(const QString &key, const QVariant &value, Getter getter, void (AppSettings::*signal)())
{
    const auto before = (this->*getter)();
    writeValue(key, value);
    if ((this->*getter)() != before) {
        Q_EMIT(this->*signal)();
        Q_EMIT changed();
    }
}

QString AppSettings::defaultFolderOrganizationRaw() const
{
    return readString(kDefaultFolderOrganization, rawValue(FolderOrganization::byTag));
}

FolderOrganization AppSettings::defaultFolderOrganization() const
{
    return folderOrganizationFromRaw(defaultFolderOrganizationRaw()).value_or(FolderOrganization::byTag);
}

void AppSettings::setDefaultFolderOrganization(FolderOrganization value)
{
    store(kDefaultFolderOrganization, rawValue(value), &AppSettings::defaultFolderOrganizationRaw,
          &AppSettings::defaultFolderOrganizationChanged);
}

int AppSettings::defaultGridColumnsRaw() const
{
    return readInt(kDefaultGridColumns, 3);
}

void AppSettings::setDefaultGridColumnsRaw(int value)
{
    store(kDefaultGridColumns, value, &AppSettings::defaultGridColumnsRaw, &AppSettings::defaultGridColumnsRawChanged);
}

int AppSettings::defaultGridColumns() const
{
    return std::clamp(defaultGridColumnsRaw(), 1, 5);
}

void AppSettings::setDefaultGridColumns(int value)
{
    setDefaultGridColumnsRaw(std::clamp(value, 1, 5));
}

QString AppSettings::customDefaultTagsJSON() const
{
    return readString(kCustomDefaultTags, QString());
}

void AppSettings::setCustomDefaultTagsJSON(const QString &value)
{
    store(kCustomDefaultTags, value, &AppSettings::customDefaultTagsJSON, &AppSettings::customDefaultTagsJSONChanged);
}

bool AppSettings::hasCustomTags() const
{
    return readBool(kHasCustomTags, false);
}

void AppSettings::setHasCustomTags(bool value)
{
    store(kHasCustomTags, value, &AppSettings::hasCustomTags, &AppSettings::hasCustomTagsChanged);
}

QString AppSettings::scrubModifiersJSON() const
{
    return readString(kScrubModifiersJSON, QString());
}

void AppSettings::setScrubModifiersJSON(const QString &value)
{
    store(kScrubModifiersJSON, value, &AppSettings::scrubModifiersJSON, &AppSettings::scrubModifiersJSONChanged);
}

bool AppSettings::showAudioPeaks() const
{
    return readBool(kShowAudioPeaks, true);
}

void AppSettings::setShowAudioPeaks(bool value)
{
    store(kShowAudioPeaks, value, &AppSettings::showAudioPeaks, &AppSettings::showAudioPeaksChanged);
}

double AppSettings::markerMaxDuration() const
{
    return readDouble(kMarkerMaxDuration, 5.0);
}

void AppSettings::setMarkerMaxDuration(double value)
{
    if (!std::isfinite(value))
        return;
    store(kMarkerMaxDuration, value, &AppSettings::markerMaxDuration, &AppSettings::markerMaxDurationChanged);
}

double AppSettings::markerConfidenceThreshold() const
{
    return readDouble(kMarkerConfidenceThreshold, 0.3);
}

void AppSettings::setMarkerConfidenceThreshold(double value)
{
    if (!std::isfinite(value))
        return;
    store(kMarkerConfidenceThreshold, value, &AppSettings::markerConfidenceThreshold, &AppSettings::markerConfidenceThresholdChanged);
}

QString AppSettings::markerTagBase() const
{
    return readString(kMarkerTagBase, defaultMarkerTagBase());
}

void AppSettings::setMarkerTagBase(const QString &value)
{
    store(kMarkerTagBase, value, &AppSettings::markerTagBase, &AppSettings::markerTagBaseChanged);
}

QString AppSettings::audioLoudLabel() const
{
    return readString(kAudioLoudLabel, QStringLiteral("Loud Peaks"));
}

void AppSettings::setAudioLoudLabel(const QString &value)
{
    store(kAudioLoudLabel, value, &AppSettings::audioLoudLabel, &AppSettings::audioLoudLabelChanged);
}

double AppSettings::audioLoudPercentage() const
{
    return readDouble(kAudioLoudPercentage, 15.0);
}

void AppSettings::setAudioLoudPercentage(double value)
{
    if (!std::isfinite(value))
        return;
    store(kAudioLoudPercentage, value, &AppSettings::audioLoudPercentage, &AppSettings::audioLoudPercentageChanged);
}

QString AppSettings::audioQuietLabel() const
{
    return readString(kAudioQuietLabel, QStringLiteral("Quiet"));
}

void AppSettings::setAudioQuietLabel(const QString &value)
{
    store(kAudioQuietLabel, value, &AppSettings::audioQuietLabel, &AppSettings::audioQuietLabelChanged);
}

double AppSettings::audioQuietPercentage() const
{
    return readDouble(kAudioQuietPercentage, 15.0);
}

void AppSettings::setAudioQuietPercentage(double value)
{
    if (!std::isfinite(value))
        return;
    store(kAudioQuietPercentage, value, &AppSettings::audioQuietPercentage, &AppSettings::audioQuietPercentageChanged);
}

QString AppSettings::appearanceModeRaw() const
{
    return readString(kAppearanceMode, rawValue(AppearanceMode::system));
}

void AppSettings::setAppearanceModeRaw(const QString &value)
{
    store(kAppearanceMode, value, &AppSettings::appearanceModeRaw, &AppSettings::appearanceModeRawChanged);
}

void AppSettings::setAppearanceMode(AppearanceMode mode)
{
    setAppearanceModeRaw(rawValue(mode));
}

QString AppSettings::themeColorRaw() const
{
    return readString(kThemeColor, QStringLiteral("Orange"));
}

void AppSettings::setThemeColorRaw(const QString &value)
{
    store(kThemeColor, value, &AppSettings::themeColorRaw, &AppSettings::themeColorRawChanged);
}

AppearanceMode AppSettings::appearanceMode() const
{
    return appearanceModeOrDefault(appearanceModeRaw());
}

ThemeColor AppSettings::themeColor() const
{
    return themeColorOrDefault(themeColorRaw());
}

QColor AppSettings::accentColor() const
{
    return themeColorValue(themeColor());
}

std::optional<QStringList> AppSettings::decodeDefaultTags(const QString &json)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(json.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    QStringList tags;
    for (const QJsonValue &element : document.array()) {
        if (!element.isString())
            return std::nullopt;
        tags.append(element.toString());
    }
    return tags;
}

QStringList AppSettings::decodedDefaultTags() const
{
    if (m_decodedDefaultTags)
        return *m_decodedDefaultTags;
    QStringList result = builtInDefaultTags();
    const QString json = customDefaultTagsJSON();
    if (hasCustomTags() && !json.isEmpty()) {
        if (const std::optional<QStringList> decoded = decodeDefaultTags(json))
            result = *decoded;
        else
            logError("Custom tags setting is corrupt \u2014 falling back to built-in defaults");
    }
    m_decodedDefaultTags = result;
    return result;
}

void AppSettings::setCustomDefaultTags(const QStringList &tags)
{
    setHasCustomTags(true);
    if (const std::optional<QString> json = encodeTags(tags))
        setCustomDefaultTagsJSON(*json);
    else
        logError("Failed to encode custom tags \u2014 change will not persist");
    // In effect for this run even when it could not be stored.
    m_decodedDefaultTags = tags;
    Q_EMIT defaultTagsChanged();
    Q_EMIT changed();
}

void AppSettings::resetCustomTags()
{
    setHasCustomTags(false);
    setCustomDefaultTagsJSON(QString());
    m_decodedDefaultTags.reset();
    Q_EMIT defaultTagsChanged();
    Q_EMIT changed();
}

QList<ScrubModifier> AppSettings::decodedScrubModifiers() const
{
    if (m_decodedScrubModifiers)
        return *m_decodedScrubModifiers;
    QList<ScrubModifier> result = defaultScrubModifiers();
    const QString json = scrubModifiersJSON();
    if (!json.isEmpty()) {
        const std::optional<QList<ScrubModifier>> decoded = ScrubModifier::decodeList(json.toUtf8());
        if (decoded && !decoded->isEmpty())
            result = *decoded;
        else
            logError("Scrub modifiers setting is corrupt \u2014 falling back to defaults");
    }
    m_decodedScrubModifiers = result;
    return result;
}

void AppSettings::setScrubModifiers(const QList<ScrubModifier> &modifiers)
{
    if (const std::optional<QByteArray> json = ScrubModifier::encodeList(modifiers))
        setScrubModifiersJSON(QString::fromUtf8(*json));
    else
        logError("Failed to encode scrub modifiers \u2014 change will not persist");
    m_decodedScrubModifiers = modifiers.isEmpty() ? defaultScrubModifiers() : modifiers;
    Q_EMIT scrubModifiersChanged();
    Q_EMIT changed();
}

void AppSettings::resetScrubModifiers()
{
    setScrubModifiersJSON(QString());
    m_decodedScrubModifiers.reset();
    Q_EMIT scrubModifiersChanged();
    Q_EMIT changed();
}

QString AppSettings::effectiveMarkerTagBase() const
{
    const QString trimmed = markerTagBase().trimmed();
    return trimmed.isEmpty() ? defaultMarkerTagBase() : trimmed;
}

QString AppSettings::markerTagName(int count) const
{
    const QString base = effectiveMarkerTagBase();
    if (count < 2)
        return base;
    return base + QLatin1Char('x') + QString::number(count);
}

std::optional<WindowFrame> AppSettings::mainWindowFrame() const
{
    const std::optional<QRect> geometry = WindowFrame::parseGeometry(readString(kMainWindowFrame, QString()));
    if (!geometry)
        return std::nullopt;
    return WindowFrame{*geometry, readBool(kMainWindowMaximized, false)};
}

void AppSettings::setMainWindowFrame(const WindowFrame &frame)
{
    writeValue(kMainWindowFrame, frame.geometryText());
    writeValue(kMainWindowMaximized, frame.maximized);
}
