#include "organize/CommitRecordRecovery.h"

#include "organize/CommitRecord.h"
#include "organize/ManifestEntry.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

using Kind = FileOperations::Entry::Kind;

std::optional<FileOperations::Entry> regularFileAt(FileOperations &files, const QString &path)
{
    const auto found = files.entry(path);
    const auto *entry = std::get_if<FileOperations::Entry>(&found);
    if (entry && entry->kind == Kind::regularFile)
        return *entry;
    return std::nullopt;
}

// The records that a stopped run left: those still "in_progress". The word
// is looked for before a record is parsed, so that the finished ones, nearly
// all of them, cost a read and no more.
QList<QJsonArray> interruptedRuns(const QString &recordsFolder)
{
    static const QByteArray inProgress = QByteArrayLiteral("\"") + CommitRecord::inProgress.toUtf8() + '"';
    QList<QJsonArray> runs;
    const QDir folder(recordsFolder);
    for (const QString &name : folder.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QByteArray bytes = file.readAll();
        if (!bytes.contains(inProgress))
            continue;
        const QJsonObject record = QJsonDocument::fromJson(bytes).object();
        if (record.value(QStringLiteral("status")).toString() == CommitRecord::inProgress)
            runs.append(record.value(QStringLiteral("files")).toArray());
    }
    return runs;
}

// The reservation of the file in flight in one stopped run, if it left one.
std::optional<QString> reservationOf(FileOperations &files, const QJsonArray &entries)
{
    for (const QJsonValue &value : entries) {
        const QJsonObject entry = value.toObject();
        if (entry.value(QStringLiteral("status")).toString() != ManifestEntry::pending)
            continue;
        const QString from = entry.value(QStringLiteral("from")).toString();
        const QString to = entry.value(QStringLiteral("to")).toString();
        if (!QDir::isAbsolutePath(from) || !QDir::isAbsolutePath(to))
            continue;
        const auto source = files.entry(from);
        if (!std::holds_alternative<FileOperations::Entry>(source))
            continue; // moved, or offline
        const qint64 expected = entry.value(QStringLiteral("expectedSize")).toInteger();
        const std::optional<FileOperations::Entry> clip = regularFileAt(files, from);
        const std::optional<FileOperations::Entry> target = regularFileAt(files, to);
        if (clip && target && target->size == 0 && (expected == 0 || clip->size == expected))
            return to;
        if (clip && target && clip->size == 0 && expected != 0 && target->size > 0)
            return from;
        return std::nullopt;
    }
    return std::nullopt;
}

} // namespace

QList<CommitRecordRecovery::Leftover> CommitRecordRecovery::clearLeftovers(FileOperations &files, const QString &recordsFolder)
{
    QList<Leftover> leftovers;
    for (const QJsonArray &entries : interruptedRuns(recordsFolder)) {
        if (const std::optional<QString> path = reservationOf(files, entries))
            leftovers.append({*path, files.removeEmptyFile(*path)});
    }
    return leftovers;
}
