// The settings file itself (an INI file the user or another version may have
// edited): every value is read through the settings model, as the
// application reads it at start.
#include "FuzzSupport.h"

#include "app/AppSettings.h"

#include <QDir>
#include <QFile>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    fuzz::initialize(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // A new name each time: QSettings keeps a process-wide cache of the files
    // it has read, which a rewrite within the same second could hide behind.
    static qint64 counter = 0;
    const QString path = QDir::tempPath()
                         + QStringLiteral("/triagon-fuzz-settings-%1-%2.conf").arg(QCoreApplication::applicationPid()).arg(++counter);
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return 0;
        file.write(fuzz::bytes(data, size));
    }
    {
        AppSettings settings(path);
        (void)settings.defaultFolderOrganization();
        (void)settings.defaultGridColumnsRaw();
        (void)settings.defaultGridColumns();
        (void)settings.customDefaultTagsJSON();
        (void)settings.hasCustomTags();
        (void)settings.scrubModifiersJSON();
        (void)settings.showAudioPeaks();
        (void)settings.markerMaxDuration();
        (void)settings.markerConfidenceThreshold();
        (void)settings.markerTagBase();
        (void)settings.audioLoudLabel();
        (void)settings.audioLoudPercentage();
        (void)settings.audioQuietLabel();
        (void)settings.audioQuietPercentage();
        (void)settings.appearanceModeRaw();
        (void)settings.themeColorRaw();
        (void)settings.appearanceMode();
        (void)settings.themeColor();
        (void)settings.accentColor();
        (void)settings.decodedDefaultTags();
        (void)settings.decodedScrubModifiers();
        (void)settings.effectiveMarkerTagBase();
        // The values the tour and the what's-new gate keep there.
        (void)settings.storedTextList(QStringLiteral("completedTourIDs"));
        (void)settings.storedText(QStringLiteral("whatsNew.lastSeenVersion"));
        (void)settings.storedText(QStringLiteral("lastSeenVersion"));
    }
    QFile::remove(path);
    return 0;
}
