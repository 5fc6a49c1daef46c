#pragma once

#include "library/model/Clip.h"
#include "library/model/CrossResetPlan.h"
#include "library/model/MarkerFlag.h"
#include "library/model/NumberingReset.h"
#include "markers/MarkerDetector.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <optional>

class ClipEditor;
class HandMarkerScan;
class QObject;

// The session's hand-marker operations: the edits behind the hand-marker
// sheet, the clip cards' marker flag and the numbering-reset review, and the
// hand-marker scan. It changes the session only through the editor's edits:
// each operation is one clip assignment (or none), one undo record and one
// scheduled save, with the catalog kept in step.
class MarkerService
{
public:
    explicit MarkerService(ClipEditor &editor);

    // Sets or clears one clip's hand-marker flag.
    void setMarkerFlag(std::optional<MarkerFlag> flag, QUuid clipID);
    // Takes every clip flagged as a marker (not "special") out of the
    // session, as one "Remove N marker clip(s)"; the files stay on disk.
    void removeMarkerClips();
    // Applies a hand-marker scan to the clips of the scope (all clips when
    // none): accepted markers flagged, other flags cleared, marker-family
    // tags other than a clip's planned tag removed, planned tags added,
    // optionally the markers removed, the catalog kept in step; one
    // "Detect Markers (N changes)". A planned tag that is not a valid tag
    // name is never written.
    void applyDetectedMarkers(const QSet<QUuid> &markers, const QHash<QUuid, QString> &tagPerTarget, QString base, bool removeMarkers,
                              const std::optional<QSet<QUuid>> &scope);
    // Read-only: the clip that linking the reset would tag, or none.
    std::optional<CrossResetPlan> crossResetMarkerPlan(const NumberingReset &reset) const;
    // Records that a current reset needs nothing (the reset then disappears).
    void dismissNumberingReset(NumberingReset reset);
    // Links a current reset and tags the clip before the marker across it,
    // as one "Confirm Hand Marker Across Reset"; false when nothing changed.
    bool applyNumberingResetDecisions(NumberingReset reset, QString base);
    // Drops from the catalog the marker-family tags (not the base) that no
    // clip carries. No undo record: the callers record the catalog change.
    void pruneUnusedMarkerTags(const QString &base);

    // The base itself, or the base, "x" and a decimal integer (an optional
    // sign and digits, nothing else); exact and case-sensitive.
    static bool isMarkerTag(const QString &tag, const QString &base);
    static bool containsNumberingReset(const NumberingReset &reset, const QList<NumberingReset> &resets);

    // A hand-marker scan over the clips that are online, in session order,
    // reusing the editor's marker metrics and measuring with `posters`; not
    // yet started, owned by `owner`. Connect to it (directly: the result is
    // not a queued type), then start() it. A run that finishes with a result
    // has already stored its metrics in the editor; a cancelled run, or one
    // that outlives its session, stores nothing.
    HandMarkerScan *scanForHandMarkers(QObject *owner, MarkerDetector::PosterSource posters);

private:
    ClipEditor &m_editor;
};
