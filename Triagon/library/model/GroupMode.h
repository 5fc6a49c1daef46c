#pragma once

#include <QList>
#include <QString>
#include <optional>

// The grid's grouping.
enum class GroupMode { none, rating, category };

inline QString rawValue(GroupMode mode)
{
    switch (mode) {
    case GroupMode::none:
        return QStringLiteral("No Grouping");
    case GroupMode::rating:
        return QStringLiteral("By Rating");
    case GroupMode::category:
        return QStringLiteral("By Tag");
    }
    return QString();
}

inline QList<GroupMode> allGroupModes()
{
    return {GroupMode::none, GroupMode::rating, GroupMode::category};
}

inline std::optional<GroupMode> groupModeFromRaw(const QString &text)
{
    for (GroupMode mode : allGroupModes()) {
        if (rawValue(mode) == text)
            return mode;
    }
    return std::nullopt;
}
