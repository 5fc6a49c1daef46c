#include "library/model/PlainTextOrder.h"

#include <algorithm>
#include <vector>

bool PlainTextOrder::lessThan(const QString &a, const QString &b)
{
    const QList<uint> x = a.normalized(QString::NormalizationForm_C).toUcs4();
    const QList<uint> y = b.normalized(QString::NormalizationForm_C).toUcs4();
    return std::lexicographical_compare(x.begin(), x.end(), y.begin(), y.end());
}

void PlainTextOrder::sort(QStringList &list)
{
    std::vector<std::pair<QList<uint>, QString>> keyed;
    keyed.reserve(list.size());
    for (const QString &s : std::as_const(list))
        keyed.emplace_back(s.normalized(QString::NormalizationForm_C).toUcs4(), s);
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto &l, const auto &r) { return l.first < r.first; });
    for (qsizetype i = 0; i < list.size(); ++i)
        list[i] = keyed[size_t(i)].second;
}
