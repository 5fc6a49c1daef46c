#pragma once

#include <QtGlobal>

struct AVIOContext;

// Where a seek by byte position into a Matroska file can start: the
// demuxer takes up reading again only at the start of a top-level element,
// and a block's packet lies inside its cluster.
class MatroskaClusters
{
public:
    // The start of the cluster that holds the block whose data begins at
    // `position`, read backwards through `io` (its read position is lost);
    // -1 when none is found within a reach that covers any cluster a muxer
    // writes.
    static qint64 startOf(AVIOContext *io, qint64 position);
};
