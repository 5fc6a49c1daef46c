#pragma once

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>
#include <optional>

// A clip's hand-marker flag: the clip is itself a hand marker, or it is a
// special take flagged by a stack of `hands` markers (at least 1).
// Saved as one string: "marker" or "special:<hands>".
class MarkerFlag
{
public:
    enum class Kind { special, marker };

    static MarkerFlag marker() { return MarkerFlag(Kind::marker, 0); }
    static MarkerFlag special(qint64 hands) { return MarkerFlag(Kind::special, hands < 1 ? 1 : hands); }

    Kind kind() const { return m_kind; }
    bool isMarker() const { return m_kind == Kind::marker; }
    bool isSpecial() const { return m_kind == Kind::special; }
    // Number of stacked hands of a special flag; 0 for a marker.
    qint64 hands() const { return m_hands; }

    QString encoded() const;
    // Reads a saved flag, older spellings included. On failure returns no
    // value and, when errorText is given, the decoding error's description.
    static std::optional<MarkerFlag> decode(const QString &text, QString *errorText = nullptr);

    friend bool operator==(const MarkerFlag &a, const MarkerFlag &b)
    {
        return a.m_kind == b.m_kind && (!countsHands(a.m_kind) || a.m_hands == b.m_hands);
    }
    friend size_t qHash(const MarkerFlag &flag, size_t seed = 0)
    {
        return qHashMulti(seed, static_cast<int>(flag.m_kind), countsHands(flag.m_kind) ? flag.m_hands : 0);
    }

private:
    // Whether two flags of the kind differ by their number of hands.
    static bool countsHands(Kind kind)
    {
        switch (kind) {
        case Kind::special:
            return true;
        case Kind::marker:
            return false;
        }
        return true;
    }

    MarkerFlag(Kind kind, qint64 hands) : m_kind(kind), m_hands(hands) {}
    Kind m_kind;
    qint64 m_hands;
};
