#pragma once

#include "app/AppearanceMode.h"
#include "app/ScrubModifier.h"
#include "app/ThemeColor.h"
#include "app/WindowFrame.h"
#include "library/model/FolderOrganization.h"

#include <QColor>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

class QSettings;

// The user's preferences, one object for the whole application (created by the
// application and handed to every view that needs it). Every preference lives
// in QSettings under a fixed key and is read from there at each access: an
// absent key, or a stored value of the wrong type, reads as the default, and
// the model never writes a default by itself. Writes are stored (and synced to
// disk) at once.
//
// Values read back from an INI file in a later run are strings, and a list of
// one element comes back as a plain string; every getter converts through a
// strict check, so a value that is not of the expected form reads as the
// default instead of as 0 or garbage.
//
// Two preferences are JSON text (the custom default tags and the scrub
// modifiers); their decoded forms are cached on first use and changed only by
// the operations below (setCustomDefaultTags, resetCustomTags, setScrubModifiers,
// resetScrubModifiers). Writing the raw JSON text through its setter does not
// touch the decoded cache.
//
// Each property has its own change signal, emitted when the value read back
// changes; `changed` follows every change of any preference and every call of
// the operations above.
class AppSettings : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int defaultGridColumnsRaw READ defaultGridColumnsRaw WRITE setDefaultGridColumnsRaw NOTIFY defaultGridColumnsRawChanged)
    Q_PROPERTY(int defaultGridColumns READ defaultGridColumns WRITE setDefaultGridColumns NOTIFY defaultGridColumnsRawChanged)
    Q_PROPERTY(QString customDefaultTagsJSON READ customDefaultTagsJSON WRITE setCustomDefaultTagsJSON NOTIFY customDefaultTagsJSONChanged)
    Q_PROPERTY(bool hasCustomTags READ hasCustomTags WRITE setHasCustomTags NOTIFY hasCustomTagsChanged)
    Q_PROPERTY(QString scrubModifiersJSON READ scrubModifiersJSON WRITE setScrubModifiersJSON NOTIFY scrubModifiersJSONChanged)
    Q_PROPERTY(bool showAudioPeaks READ showAudioPeaks WRITE setShowAudioPeaks NOTIFY showAudioPeaksChanged)
    Q_PROPERTY(double markerMaxDuration READ markerMaxDuration WRITE setMarkerMaxDuration NOTIFY markerMaxDurationChanged)
    Q_PROPERTY(double markerConfidenceThreshold READ markerConfidenceThreshold WRITE setMarkerConfidenceThreshold NOTIFY
                   markerConfidenceThresholdChanged)
    Q_PROPERTY(QString markerTagBase READ markerTagBase WRITE setMarkerTagBase NOTIFY markerTagBaseChanged)
    Q_PROPERTY(QString audioLoudLabel READ audioLoudLabel WRITE setAudioLoudLabel NOTIFY audioLoudLabelChanged)
    Q_PROPERTY(double audioLoudPercentage READ audioLoudPercentage WRITE setAudioLoudPercentage NOTIFY audioLoudPercentageChanged)
    Q_PROPERTY(QString audioQuietLabel READ audioQuietLabel WRITE setAudioQuietLabel NOTIFY audioQuietLabelChanged)
    Q_PROPERTY(double audioQuietPercentage READ audioQuietPercentage WRITE setAudioQuietPercentage NOTIFY audioQuietPercentageChanged)
    Q_PROPERTY(QString appearanceModeRaw READ appearanceModeRaw WRITE setAppearanceModeRaw NOTIFY appearanceModeRawChanged)
    Q_PROPERTY(QString themeColorRaw READ themeColorRaw WRITE setThemeColorRaw NOTIFY themeColorRawChanged)

public:
    // Over the application's QSettings (organization and application names as
    // set by the application: ~/.config/brinkwolder/Triagon.conf).
    explicit AppSettings(QObject *parent = nullptr);
    // Over the INI file at `settingsFile` (used where the application's own file
    // must not be touched).
    explicit AppSettings(const QString &settingsFile, QObject *parent = nullptr);
    ~AppSettings() override;

    // Built-in values.
    static const QStringList &builtInDefaultTags();
    static const QList<ScrubModifier> &defaultScrubModifiers();
    static QString defaultMarkerTagBase();

    // Stored preferences (key, default): "defaultFolderOrganization", stored
    // as its raw value; By Tag when missing or naming none (an exact match only).
    FolderOrganization defaultFolderOrganization() const;
    void setDefaultFolderOrganization(FolderOrganization value);
    // "defaultGridColumns" 3, as stored.
    int defaultGridColumnsRaw() const;
    void setDefaultGridColumnsRaw(int value);
    // The stored grid columns clamped to 1...5; writing stores the clamped value.
    int defaultGridColumns() const;
    void setDefaultGridColumns(int value);
    // "customDefaultTags" "" (a JSON array of tag names; empty: never stored).
    QString customDefaultTagsJSON() const;
    void setCustomDefaultTagsJSON(const QString &value);
    // "hasCustomTags" false.
    bool hasCustomTags() const;
    void setHasCustomTags(bool value);
    // "scrubModifiersJSON" "" (a JSON array of scrub modifiers; empty: never stored).
    QString scrubModifiersJSON() const;
    void setScrubModifiersJSON(const QString &value);
    // "showAudioPeaks" true.
    bool showAudioPeaks() const;
    void setShowAudioPeaks(bool value);
    // "markerMaxDuration" 5.0 seconds.
    double markerMaxDuration() const;
    void setMarkerMaxDuration(double value);
    // "markerConfidenceThreshold.v2" 0.3.
    double markerConfidenceThreshold() const;
    void setMarkerConfidenceThreshold(double value);
    // "markerTagBase" "banger", exactly as typed.
    QString markerTagBase() const;
    void setMarkerTagBase(const QString &value);
    // "audioLoudLabel" "Loud Peaks".
    QString audioLoudLabel() const;
    void setAudioLoudLabel(const QString &value);
    // "audioLoudPercentage" 15.0.
    double audioLoudPercentage() const;
    void setAudioLoudPercentage(double value);
    // "audioQuietLabel" "Quiet".
    QString audioQuietLabel() const;
    void setAudioQuietLabel(const QString &value);
    // "audioQuietPercentage" 15.0.
    double audioQuietPercentage() const;
    void setAudioQuietPercentage(double value);
    // "appearanceMode" "System".
    QString appearanceModeRaw() const;
    void setAppearanceModeRaw(const QString &value);
    // "themeColor" "Orange".
    QString themeColorRaw() const;
    void setThemeColorRaw(const QString &value);

    // "mainWindowFrame" (the area as "x y width height") and
    // "mainWindowMaximized" false: where the main window stood when the
    // application last quit; nothing when no usable area is stored.
    std::optional<WindowFrame> mainWindowFrame() const;
    void setMainWindowFrame(const WindowFrame &frame);

    // The appearance the stored text asks for (System for unknown texts);
    // the setter stores its raw value.
    AppearanceMode appearanceMode() const;
    void setAppearanceMode(AppearanceMode mode);
    // The accent choice the stored text stands for (orange for unknown texts)
    // and its colour.
    ThemeColor themeColor() const;
    QColor accentColor() const;

    // The default tags for new sessions: the stored custom list while
    // hasCustomTags is set and the text is not empty (an empty array stays
    // empty), else the built-in list. A text that cannot be decoded gives the
    // built-in list and one error line in the "settings" log.
    QStringList decodedDefaultTags() const;
    // The stored text of custom default tags decoded: a JSON array of texts,
    // else nothing.
    static std::optional<QStringList> decodeDefaultTags(const QString &json);
    // Makes `tags` the custom default tags (hasCustomTags becomes true).
    void setCustomDefaultTags(const QStringList &tags);
    // Back to the built-in list: hasCustomTags false, stored text empty.
    void resetCustomTags();

    // The scrub modifiers in their stored order, or the defaults (Alt 3 s, Ctrl
    // 1 s) when nothing is stored; a text that cannot be decoded, or an empty
    // list, gives the defaults and one error line in the "settings" log.
    QList<ScrubModifier> decodedScrubModifiers() const;
    // Stores the list; an empty list reads back as the defaults.
    void setScrubModifiers(const QList<ScrubModifier> &modifiers);
    // Back to the defaults: stored text empty, decoded cache cleared.
    void resetScrubModifiers();

    // markerTagBase trimmed of white space and newlines; "banger" when nothing
    // remains.
    QString effectiveMarkerTagBase() const;
    // The hand-marker tag for a stack of `count` hands: the base for fewer than
    // two, else the base, "x" and the count ("bangerx2").
    QString markerTagName(int count) const;

    // Values that other models keep in the settings file under keys of their
    // own (the tour manager's finished tours, the what's-new gate's last seen
    // version). They are written and synced like the preferences, but no
    // change signal follows them.
    //
    // A list of texts: a stored list as it is, a stored text as a list of that
    // text alone (an INI file hands a list of one back as a plain text) and an
    // empty text as no list; any other value is no list.
    QStringList storedTextList(const QString &key) const;
    void storeTextList(const QString &key, const QStringList &texts);
    // One text: a stored text, byte array or number as its text, and a list
    // of exactly one text (an INI file hands a text that contains a comma
    // back as a list); nothing for an empty text or any other value.
    std::optional<QString> storedText(const QString &key) const;
    void storeText(const QString &key, const QString &text);
    // Removes the key and what it holds.
    void removeStored(const QString &key);

Q_SIGNALS:
    void changed();
    void defaultFolderOrganizationChanged();
    void defaultGridColumnsRawChanged();
    void customDefaultTagsJSONChanged();
    void hasCustomTagsChanged();
    void scrubModifiersJSONChanged();
    void showAudioPeaksChanged();
    void markerMaxDurationChanged();
    void markerConfidenceThresholdChanged();
    void markerTagBaseChanged();
    void audioLoudLabelChanged();
    void audioLoudPercentageChanged();
    void audioQuietLabelChanged();
    void audioQuietPercentageChanged();
    void appearanceModeRawChanged();
    void themeColorRawChanged();
    // The decoded default tags or scrub modifiers may have changed.
    void defaultTagsChanged();
    void scrubModifiersChanged();

private:
    QVariant storedValue(const QString &key) const;
    QString readString(const QString &key, const QString &fallback) const;
    int readInt(const QString &key, int fallback) const;
    double readDouble(const QString &key, double fallback) const;
    bool readBool(const QString &key, bool fallback) const;
    void writeValue(const QString &key, const QVariant &value);
    // Writes the changes to the file, keeping the file whole when the disk is
    // full; a failure is logged once until a write succeeds again.
    void syncToFile();

    template <typename Getter>
    void store(const QString &key, const QVariant &value, Getter getter, void (AppSettings::*signal)());
    // The stored text, as it stands: a change of it is what the signal reports.
    QString defaultFolderOrganizationRaw() const;

    std::unique_ptr<QSettings> m_settings;
    mutable std::optional<QStringList> m_decodedDefaultTags;
    mutable std::optional<QList<ScrubModifier>> m_decodedScrubModifiers;
    bool m_reportedWriteFailure = false;
};
