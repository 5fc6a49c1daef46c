#pragma once

#include <QList>
#include <QString>

// A long file made to look like a damaged card: random bytes (the same each
// time, from a fixed seed) written over the middle of the keyframes nearest
// to chosen times, where a decoder cannot read past them.
class DamagedKeyframes
{
public:
    // Damages the file at path in place: `bytes` bytes of each video
    // keyframe packet shown nearest to one of `seconds` (from the first
    // picture; at most its packet's size less its first 16 bytes). The
    // times of the keyframes damaged go to *damaged. False with *error when
    // the file cannot be read or written.
    static bool damage(const QString &path, const QList<double> &seconds, int bytes, QString *error = nullptr,
                       QList<double> *damaged = nullptr);
};
