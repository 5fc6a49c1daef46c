#pragma once

#include <QHashFunctions>
#include <QList>
#include <QString>
#include <optional>

// The clips an organize run covers. The raw values are the texts the scope
// picker shows; the cases are listed in the picker's order.
enum class ExportScope { shortlisted, filtered, selected, all };

inline QString rawValue(ExportScope scope)
{
    switch (scope) {
    case ExportScope::shortlisted:
        return QStringLiteral("Shortlisted clips");
    case ExportScope::filtered:
        return QStringLiteral("Current filtered view");
    case ExportScope::selected:
        return QStringLiteral("Selected clips");
    case ExportScope::all:
        return QStringLiteral("All clips");
    }
    return QString();
}

inline QList<ExportScope> allExportScopes()
{
    return {ExportScope::shortlisted, ExportScope::filtered, ExportScope::selected, ExportScope::all};
}

// Exactly one of the four raw values gives a scope; any other text gives none.
inline std::optional<ExportScope> exportScopeFromRaw(const QString &text)
{
    for (ExportScope scope : allExportScopes()) {
        if (rawValue(scope) == text)
            return scope;
    }
    return std::nullopt;
}

// Scopes hash as their raw value, so a set of scopes stays stable if the
// cases are ever reordered.
inline size_t qHash(ExportScope scope, size_t seed = 0)
{
    return qHash(rawValue(scope), seed);
}
