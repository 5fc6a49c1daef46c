#pragma once

#include <QList>
#include <QString>
#include <optional>

// The grid's order: name ascending (Finder order), duration and rating descending.
enum class SortOrder { name, duration, rating };

inline QString rawValue(SortOrder order)
{
    switch (order) {
    case SortOrder::name:
        return QStringLiteral("Name");
    case SortOrder::duration:
        return QStringLiteral("Duration");
    case SortOrder::rating:
        return QStringLiteral("Rating");
    }
    return QString();
}

inline QList<SortOrder> allSortOrders()
{
    return {SortOrder::name, SortOrder::duration, SortOrder::rating};
}

inline std::optional<SortOrder> sortOrderFromRaw(const QString &text)
{
    for (SortOrder order : allSortOrders()) {
        if (rawValue(order) == text)
            return order;
    }
    return std::nullopt;
}
