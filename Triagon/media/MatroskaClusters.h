#pragma once

#include <QtGlobal>

struct AVFormatContext;
struct AVIOContext;

// Where reading a Matroska file can start anywhere but at its beginning
// (a seek by byte position, the scan of its end): the demuxer takes up
// reading again only at the start of a top-level element, and a block's
// packet lies inside its cluster.
class MatroskaClusters
{
public:
    // Whether the file is Matroska (or WebM).
    static bool isMatroska(const AVFormatContext *context);
    // The first cluster that starts at or after `from`, read forwards
    // through `io` (its read position is lost); -1 when none does.
    static qint64 firstFrom(AVIOContext *io, qint64 from);
    // The start of the cluster that holds the block whose data begins at
    // `position`, read backwards through `io` (its read position is lost);
    // -1 when none is found within a reach that covers any cluster a muxer
    // writes.
    static qint64 startOf(AVIOContext *io, qint64 position);
};
