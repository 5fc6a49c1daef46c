#pragma once

#include "library/model/Clip.h"

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>

// Hand-marker and numbering-reset logic: static functions over clips, no instances.
class MarkerDetector
{
public:
    MarkerDetector() = delete;

    // The detection settings of one hand-marker sheet.
    struct Settings
    {
        double maxMarkerDuration = 5.0;   // seconds; longer clips are never markers
        double confidenceThreshold = 0.3; // 0 to 1; at or above it a clip is a marker
        double sharpnessCeiling = 3000.0; // Laplacian variance of a fully sharp frame
        friend bool operator==(const Settings &, const Settings &) = default;
    };

    // A place where a camera's file numbering restarts.
    struct NumberingReset
    {
        QUuid previousClipID; // the last clip before the restart
        QUuid firstClipID;    // the first clip after it
        friend bool operator==(const NumberingReset &, const NumberingReset &) = default;
    };

    // The statistics of one sampled frame.
    struct FrameStats
    {
        double time = 0;
        double laplacianVariance = 0;
        double skinFraction = 0;
        double darkFraction = 0;
        double lumaStdDev = 0;
    };

    // The detection input of one clip.
    struct Metrics
    {
        double duration = 0;
        std::optional<FrameStats> frame;
    };

    // A file name split around the last run of ASCII digits of its stem:
    // "clip_07_take.mov" is prefix "clip_", value 7, suffix "_take", 2 digits, ext "mov".
    struct ClipNumber
    {
        QString prefix;
        qint64 value = 0;
        QString suffix;  // holds no ASCII digit
        qint64 digits = 0; // characters of the run, leading zeros included
        QString ext;     // lower case, empty when the name has none
        friend bool operator==(const ClipNumber &, const ClipNumber &) = default;
    };

    // A camera's numbered folder such as "100ABCDE": three digits (100 to 999)
    // and five letters, digits, underscores or hyphens.
    struct CameraFolder
    {
        QUrl root; // the folder holding the camera folder, standardized, with a trailing slash
        int number = 0;
        QString suffix;
        friend bool operator==(const CameraFolder &, const CameraFolder &) = default;
    };

    // The key under which clips form one camera's sequence: the camera
    // folders of one card (100ABCDE, 101ABCDE under one parent) share a source.
    struct Source
    {
        QUrl root;
        std::optional<QString> cameraFolderSuffix;
        friend bool operator==(const Source &, const Source &) = default;
        friend size_t qHash(const Source &source, size_t seed = 0)
        {
            return qHashMulti(seed, source.root, source.cameraFolderSuffix.value_or(QString()), source.cameraFolderSuffix.has_value());
        }
    };

    struct SourceGroup
    {
        Source source;
        QList<Clip> clips; // in input order
    };

    // The folder of a file: the URL without its last path component,
    // standardized ("." and ".." resolved), with a trailing slash.
    static QUrl folderURL(const QUrl &fileURL);

    // The number in a file name (the last path component is used), or none
    // when its stem holds no digit or the run exceeds the 64-bit range.
    static std::optional<ClipNumber> clipNumber(const QString &fileName);
    // The number in the clip's file name as its URL has it.
    static std::optional<ClipNumber> clipNumber(const Clip &clip);
    // True when b's number directly follows a's, with the same prefix,
    // suffix and extension; the digit counts may differ (C9 then C10).
    static bool isConsecutive(const Clip &a, const Clip &b);
    // The camera folder of a folder URL, or none.
    static std::optional<CameraFolder> cameraFolder(const QUrl &folder);
    // The clips grouped by source, groups in order of first appearance.
    static QList<SourceGroup> clipsBySource(const QList<Clip> &clips);

    // The shooting order of one sequence: by recording date when useDates,
    // then by folder path and file name in Finder order, then by input
    // position. This is a total order, so that sorting is well defined for
    // any clips (folders whose paths compare equal in Finder order are kept
    // apart by their exact text).
    static QList<Clip> sequenceOrder(const QList<Clip> &clips, bool useDates);

    // The resets among the session's clips (in store order), sorted by the
    // first clip's UUID text.
    static QList<NumberingReset> numberingResets(const QList<Clip> &clips);
};
