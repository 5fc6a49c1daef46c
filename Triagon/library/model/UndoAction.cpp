#include "library/model/UndoAction.h"

#include "library/model/Overloaded.h"

#include <algorithm>

QString UndoAction::description() const
{
    return std::visit(Overloaded{
                          [](const SetRating &a) {
                              if (a.newRating == 0)
                                  return QStringLiteral("Clear Rating");
                              return QStringLiteral("Rate ") + QString::number(a.oldRating) + QChar(0x2192) + QString::number(a.newRating)
                                     + QChar(0x2605);
                          },
                          [](const SetTags &) { return QStringLiteral("Change Tags"); },
                          [](const SetTagCatalog &) { return QStringLiteral("Change Tag List"); },
                          [](const RemoveClip &a) { return QStringLiteral("Remove '") + a.clip.filename + QLatin1Char('\''); },
                          [](const AddClips &a) {
                              const qsizetype n = a.clips.size();
                              return QStringLiteral("Add ") + QString::number(n)
                                     + (n == 1 ? QStringLiteral(" clip") : QStringLiteral(" clips"));
                          },
                          [](const RenameClip &a) { return QStringLiteral("Rename to '") + a.newName + QLatin1Char('\''); },
                          [](const AudioTriageTags &a) {
                              return QStringLiteral("Audio Triage (") + QString::number(a.applied.size()) + QStringLiteral(" clips)");
                          },
                          [](const SetNumberingResetReview &) { return QStringLiteral("Review Numbering Reset"); },
                          [](const SetMarkerFlag &a) { return a.newFlag ? QStringLiteral("Set Flag") : QStringLiteral("Clear Flag"); },
                          [](const Compound &a) { return a.description; },
                      },
                      m_payload);
}

bool UndoAction::isInPlace() const
{
    switch (kind()) {
    case Kind::setRating:
    case Kind::setTags:
    case Kind::setTagCatalog:
    case Kind::renameClip:
    case Kind::audioTriageTags:
    case Kind::setNumberingResetReview:
    case Kind::setMarkerFlag:
        return true;
    case Kind::removeClip:
    case Kind::addClips:
        return false;
    case Kind::compound: {
        const QList<UndoAction> &parts = as<Compound>()->actions;
        return std::all_of(parts.cbegin(), parts.cend(), [](const UndoAction &part) { return part.isInPlace(); });
    }
    }
    return true;
}

std::optional<UndoAction> UndoAction::purged(const QSet<QUuid> &clipIDs) const
{
    auto keepUnless = [this](bool drop) -> std::optional<UndoAction> {
        if (drop)
            return std::nullopt;
        return *this;
    };
    return std::visit(Overloaded{
                          [&](const SetRating &a) { return keepUnless(clipIDs.contains(a.clipID)); },
                          [&](const SetTags &a) { return keepUnless(clipIDs.contains(a.clipID)); },
                          [&](const SetTagCatalog &) { return keepUnless(false); },
                          [&](const RemoveClip &a) { return keepUnless(clipIDs.contains(a.clip.id)); },
                          [&](const AddClips &a) -> std::optional<UndoAction> {
                              QList<Clip> kept;
                              for (const Clip &clip : a.clips) {
                                  if (!clipIDs.contains(clip.id))
                                      kept.append(clip);
                              }
                              if (kept.isEmpty())
                                  return std::nullopt;
                              return UndoAction::addClips(kept);
                          },
                          [&](const RenameClip &a) { return keepUnless(clipIDs.contains(a.clipID)); },
                          [&](const AudioTriageTags &a) -> std::optional<UndoAction> {
                              QList<QPair<QUuid, QString>> kept;
                              for (const auto &pair : a.applied) {
                                  if (!clipIDs.contains(pair.first))
                                      kept.append(pair);
                              }
                              if (kept.isEmpty())
                                  return std::nullopt;
                              return UndoAction::audioTriageTags(kept);
                          },
                          [&](const SetNumberingResetReview &a) { return keepUnless(clipIDs.contains(a.clipID)); },
                          [&](const SetMarkerFlag &a) { return keepUnless(clipIDs.contains(a.clipID)); },
                          [&](const Compound &a) -> std::optional<UndoAction> {
                              QList<UndoAction> kept;
                              for (const UndoAction &part : a.actions) {
                                  if (auto p = part.purged(clipIDs))
                                      kept.append(std::move(*p));
                              }
                              if (kept.isEmpty())
                                  return std::nullopt;
                              return UndoAction::compound(a.description, kept);
                          },
                      },
                      m_payload);
}
