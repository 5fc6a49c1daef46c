#pragma once

#include "library/model/Clip.h"
#include "library/model/MarkerMetrics.h"
#include "library/model/NumberingReset.h"

#include <QByteArray>
#include <QFuture>
#include <QHash>
#include <QHashFunctions>
#include <QImage>
#include <QList>
#include <QPair>
#include <QSet>
#include <QSize>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <atomic>
#include <functional>
#include <memory>
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

    // The value types the store keeps, under the names the detection uses.
    using NumberingReset = ::NumberingReset;
    using FrameStats = ::MarkerFrameStats;
    using Metrics = ::MarkerMetrics;

    // The three inputs of the confidence before their weights, each 0 to 1
    // (1 is the most marker-like): how blurred, how uniform and how covered
    // (skin or dark) the frame is.
    struct ConfidenceTerms
    {
        double blur = 0;
        double uniformity = 0;
        double coverage = 0;
    };

    // A frame drawn into 8-bit RGBA (alpha last, premultiplied), rows of
    // exactly 4 × width bytes, at most 128 × 72 pixels.
    struct Bitmap
    {
        QByteArray rgba;
        int width = 0;
        int height = 0;
    };

    // Where the frames come from: the poster of a file at a time, fitted
    // into a size; a null image when there is none. The store hands in its
    // poster generator.
    using PosterSource = std::function<QFuture<QImage>(const QString &path, double seconds, QSize maxSize)>;
    // Set to true to stop a measurement that has not asked for its frame yet
    // or is waiting for it.
    using CancelFlag = std::shared_ptr<const std::atomic_bool>;

    // Clips longer than this are never sampled, whatever the sheet's settings.
    static constexpr double maxSampledDuration = 10.0;
    // The frame is asked for at the card poster's size, so that it shares
    // the poster generator's cache and decode slots.
    static constexpr QSize frameRequestSize{480, 270};
    static constexpr int bitmapMaxWidth = 128;
    static constexpr int bitmapMaxHeight = 72;
    // Weights of the blur, uniformity and coverage terms.
    static constexpr double blurWeight = 0.6;
    static constexpr double uniformityWeight = 0.2;
    static constexpr double coverageWeight = 0.2;
    // The luma deviation at which a frame no longer counts as uniform.
    static constexpr double uniformLumaSpread = 56.0;
    // Pixels with a luma below this are dark.
    static constexpr int darkLuma = 30;

    // A file name split around the last run of ASCII digits of its stem:
    // "clip_07_take.mov" is prefix "clip_", value 7, suffix "_take", 2 digits, ext "mov".
    struct ClipNumber
    {
        QString prefix;
        qint64 value = 0;
        QString suffix;    // holds no ASCII digit
        qint64 digits = 0; // characters of the run, leading zeros included
        QString ext;       // lower case, empty when the name has none
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

    // ---- Frame statistics and confidence ----------------------------------

    // Measures one clip: its frame at the start, unless the clip is not
    // longer than 0 or longer than maxSampledDuration seconds, the flag is
    // set before the request or while it waits, or no picture comes back
    // (then the metrics have no frame). Never fails. The statistics are
    // computed on a worker thread; the returned future never ends cancelled.
    static QFuture<Metrics> metrics(const Clip &clip, const PosterSource &posters, CancelFlag cancelled = {});
    // The metrics of an image already in hand (a null image gives no frame).
    static Metrics metrics(double duration, const QImage &frame);
    // Draws the image, stretched, into a bitmap of at most 128 × 72 pixels
    // (never enlarged); none when the image is smaller than 5 pixels either way.
    static std::optional<Bitmap> rasterize(const QImage &image);
    // Y = 0.299 R + 0.587 G + 0.114 B per pixel, truncated to a byte.
    static QByteArray lumaPlane(const QByteArray &rgba, int width, int height);
    static FrameStats frameStats(const QByteArray &luma, const QByteArray &rgba, int width, int height, double time);
    // Both are 0 for metrics without a frame or longer than the settings'
    // maximum; the terms are those of the frame whatever its length.
    static ConfidenceTerms confidenceTerms(const FrameStats &frame, const Settings &settings);
    static double confidence(const Metrics &metrics, const Settings &settings);
    // The decision of the sheet: an override of the user wins, else the
    // confidence reaching the threshold.
    static bool isMarker(const Metrics &metrics, const Settings &settings, std::optional<bool> override);

    // ---- Marker targets -----------------------------------------------------

    struct FolderGroup
    {
        QUrl folder;
        QList<Clip> clips; // in input order
    };
    // The clips grouped by folder, groups in order of first appearance.
    static QList<FolderGroup> clipsByFolder(const QList<Clip> &clips);
    // For each take that accepted markers follow directly (by file number in
    // its folder, or across a linked numbering reset), the number of markers
    // stacked after it. Offline clips take no part. Pure.
    static QHash<QUuid, int> markerTargets(const QSet<QUuid> &markers, const QList<Clip> &clips);
    // The tag of a stack of `count` markers: the base below two, else the
    // base, "x" and the count ("bangerx2").
    static QString markerTagName(const QString &base, qint64 count);
};
