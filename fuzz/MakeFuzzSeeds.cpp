// Writes the seed corpus of every fuzz target into the folder given, one
// subfolder per target, through the project's own writers where it has them,
// so that the seeds are what the application really reads. Media seeds are
// made with the ffmpeg command-line tool by the run script.
#include "app/AppSettings.h"
#include "app/ScrubModifier.h"
#include "library/ClipStore.h"
#include "library/SessionJsonWriter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>

#include <cstdio>

namespace {

bool writeSeed(const QString &folder, const QString &name, const QByteArray &bytes)
{
    QDir().mkpath(folder);
    QFile file(folder + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        return false;
    }
    return true;
}

QList<Clip> sampleClips()
{
    QList<Clip> clips;
    const QStringList names{QStringLiteral("A001.MOV"), QStringLiteral("A002.mp4"), QStringLiteral("C0001.MP4"),
                            QStringLiteral("C0002.MP4"), QStringLiteral("clip.mkv")};
    for (int i = 0; i < names.size(); ++i) {
        Clip clip;
        clip.id = QUuid::createUuid();
        clip.url = QUrl::fromLocalFile(QStringLiteral("/footage/card%1/").arg(i % 2) + names[i]);
        clip.filename = names[i];
        clip.duration = 1.5 + i * 7.25;
        clip.width = i == 2 ? 1080 : 1920;
        clip.height = i == 2 ? 1920 : 1080;
        clip.fileSize = 1000000LL * (i + 1);
        clip.codec = QStringLiteral("H.264");
        clip.frameRate = i == 3 ? 29.97 : 25;
        clip.rating = i % 6;
        if (i % 2 == 0)
            clip.tags = {QStringLiteral("Action"), QStringLiteral("B-roll")};
        if (i == 1)
            clip.markerFlag = MarkerFlag::marker();
        if (i == 4)
            clip.markerFlag = MarkerFlag::special(2);
        if (i != 0) {
            clip.recordedAt = QDateTime(QDate(2024, 5, 1), QTime(10, 20, 30 + i), Qt::UTC);
            clip.recordingDateChecked = true;
        }
        if (i == 3)
            clip.numberingResetReview = NumberingResetReview{clips[2].id, NumberingResetReview::Decision::linked};
        clips.append(clip);
    }
    return clips;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s SEED_FOLDER\n", argv[0]);
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    bool ok = true;

    ClipStore::SessionData session;
    session.clips = sampleClips();
    session.availableTags = ClipStore::builtInTags();
    session.folderOrganization = QStringLiteral("By Rating");
    session.gridColumns = 4;
    session.sourceFolderURL = QUrl::fromLocalFile(QStringLiteral("/footage"));
    session.savedAt = QDateTime(QDate(2024, 5, 2), QTime(9, 0), Qt::UTC);
    ok &= writeSeed(root + QStringLiteral("/session_file"), QStringLiteral("session.json"), SessionJsonWriter::encode(session));
    ClipStore::SessionData empty;
    empty.folderOrganization = QStringLiteral("By Tag");
    ok &= writeSeed(root + QStringLiteral("/session_file"), QStringLiteral("empty.json"), SessionJsonWriter::encode(empty));

    int n = 0;
    for (const Clip &clip : session.clips)
        ok &= writeSeed(root + QStringLiteral("/clip_json"), QStringLiteral("clip%1.json").arg(++n),
                        QJsonDocument(clip.toJson()).toJson(QJsonDocument::Compact));
    for (const QByteArray &flag : {QByteArrayLiteral("marker"), MarkerFlag::special(3).encoded().toUtf8()})
        ok &= writeSeed(root + QStringLiteral("/clip_json"), QStringLiteral("flag%1.txt").arg(++n), flag);

    ok &= writeSeed(root + QStringLiteral("/settings_values"), QStringLiteral("tags.json"),
                    QByteArrayLiteral("[\"Action\",\"B-roll\",\"Interview\"]"));
    if (const std::optional<QByteArray> modifiers = ScrubModifier::encodeList(AppSettings::defaultScrubModifiers()))
        ok &= writeSeed(root + QStringLiteral("/settings_values"), QStringLiteral("modifiers.json"), *modifiers);

    // A settings file as the settings model writes it, every key set.
    QTemporaryDir temporary;
    const QString settingsPath = temporary.path() + QStringLiteral("/Triagon.conf");
    {
        AppSettings settings(settingsPath);
        settings.setDefaultFolderOrganization(FolderOrganization::byRating);
        settings.setDefaultGridColumnsRaw(4);
        settings.setCustomDefaultTags({QStringLiteral("Action"), QStringLiteral("B-roll")});
        settings.setScrubModifiers(AppSettings::defaultScrubModifiers());
        settings.setShowAudioPeaks(false);
        settings.setMarkerMaxDuration(4.5);
        settings.setMarkerConfidenceThreshold(0.35);
        settings.setMarkerTagBase(QStringLiteral("keeper"));
        settings.setAudioLoudLabel(QStringLiteral("Loud"));
        settings.setAudioLoudPercentage(20);
        settings.setAudioQuietLabel(QStringLiteral("Quiet"));
        settings.setAudioQuietPercentage(10);
        settings.setAppearanceModeRaw(QStringLiteral("Dark"));
        settings.setThemeColorRaw(QStringLiteral("Teal"));
    }
    QFile settingsFile(settingsPath);
    if (settingsFile.open(QIODevice::ReadOnly))
        ok &= writeSeed(root + QStringLiteral("/settings_file"), QStringLiteral("Triagon.conf"), settingsFile.readAll());
    else
        ok = false;

    ok &= writeSeed(
        root + QStringLiteral("/update_feed"), QStringLiteral("feed.json"),
        QByteArrayLiteral("{\"version\": \"1.4.0\", \"url\": \"https://example.org/download\", \"notes\": \"Faster posters.\"}"));
    ok &= writeSeed(root + QStringLiteral("/update_feed"), QStringLiteral("minimal.json"), QByteArrayLiteral("{\"version\":\"2\"}"));
    // The application's own notes, and a changelog of two versions.
    QFile notes(QStringLiteral(":/ReleaseNotes.md"));
    if (notes.open(QIODevice::ReadOnly))
        ok &= writeSeed(root + QStringLiteral("/release_notes"), QStringLiteral("ReleaseNotes.md"), notes.readAll());
    else
        ok = false;
    ok &= writeSeed(
        root + QStringLiteral("/release_notes"), QStringLiteral("changelog.md"),
        QByteArrayLiteral("# Changelog\r\n\r\n## [1.0.0] - 2026-12-01\r\n### Added\r\n- Cards *with* posters\r\n  and more.\r\n\r\n"
                          "A paragraph.\r\n### Fixed\r\n- Saving.\r\n## [0.9.0]\r\n### Added\r\n- Beta.\r\n"));
    return ok ? 0 : 1;
}
