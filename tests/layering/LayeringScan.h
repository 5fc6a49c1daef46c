#pragma once

#include "FolderLayers.h"

#include <QList>
#include <QString>
#include <QStringList>

// One include that crosses from the folder of the including file into another.
struct FolderInclude
{
    QString file; // relative to the source root
    int line = 0;
    QString from;
    QString to;
};

// Reads every header and source under root/Triagon and root/AppUpdates and
// returns the includes that cross folders. filesRead counts the files read.
QList<FolderInclude> crossFolderIncludes(const QString &root, int *filesRead = nullptr);

// The includes whose edge no rule lists, as "file:line  from -> to".
QStringList includesAgainst(const QList<FolderRule> &rules, const QList<FolderInclude> &includes);

// The listed edges that no include uses, as "from -> to".
QStringList unusedEdges(const QList<FolderRule> &rules, const QList<FolderInclude> &includes);

// A cycle among the listed edges, as the folders
// along it ("a -> b -> a"); empty when there is none.
QString cycleIn(const QList<FolderRule> &rules);
