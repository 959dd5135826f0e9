#include "IcsIdentity.h"

#include <cstdint>
#include <cstdio>

namespace morvane {

namespace {

constexpr QByteArrayView kOwnSuffix = "@morvane";

QByteArray withOrdinal(QByteArray uid, int ordinal)
{
    if (ordinal > 1)
        uid += '-' + QByteArray::number(ordinal);
    return uid + kOwnSuffix.toByteArray();
}

bool allDigits(QByteArrayView s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

bool allHex(QByteArrayView s)
{
    for (char c : s)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

}  // namespace

QByteArray IcsContentHash(std::initializer_list<QByteArrayView> parts)
{
    // FNV-1a: fixed by its definition, so UIDs stay the same across versions
    // and machines (qHash is seeded per process).
    std::uint64_t h = 14695981039346656037ull;
    bool first = true;
    for (QByteArrayView part : parts) {
        if (!first) {
            h ^= 0x1f;
            h *= 1099511628211ull;
        }
        first = false;
        for (char c : part) {
            h ^= std::uint8_t(c);
            h *= 1099511628211ull;
        }
    }
    return QByteArray::number(qulonglong(h), 16).rightJustified(16, '0');
}

QByteArray IcsDatedUid(QByteArrayView hash, const QDate &date, int ordinal)
{
    char day[16];
    std::snprintf(day, sizeof day, "-%04d%02d%02d", date.year(), date.month(), date.day());
    return withOrdinal(hash.toByteArray() + QByteArray(day), ordinal);
}

QByteArray IcsTodoUid(QByteArrayView hash, int ordinal) { return withOrdinal(hash.toByteArray() + "-todo", ordinal); }

QByteArray IcsCompletedUid(QByteArrayView hash, int ordinal)
{
    return withOrdinal(hash.toByteArray() + "-done", ordinal);
}

std::optional<OwnIcsUid> ParseOwnIcsUid(QByteArrayView uid)
{
    // hash "-" (yyyymmdd | "todo" | "done") ["-" ordinal] "@morvane"
    if (!uid.endsWith(kOwnSuffix))
        return std::nullopt;
    const QByteArrayView body = uid.chopped(kOwnSuffix.size());
    if (body.size() < 18 || body[16] != '-' || !allHex(body.first(16)))
        return std::nullopt;
    OwnIcsUid out;
    out.hash = body.first(16).toByteArray();
    QByteArrayView what = body.sliced(17);
    const qsizetype dash = what.indexOf('-');
    if (dash >= 0) {
        const QByteArrayView ordinal = what.sliced(dash + 1);
        if (!allDigits(ordinal) || ordinal.size() > 6)
            return std::nullopt;
        out.ordinal = ordinal.toInt();
        if (out.ordinal < 2)
            return std::nullopt;
        what = what.first(dash);
    }
    if (what == "todo") {
        out.kind = OwnIcsUid::Kind::Todo;
    } else if (what == "done") {
        out.kind = OwnIcsUid::Kind::Completed;
    } else if (what.size() == 8 && allDigits(what)) {
        out.kind = OwnIcsUid::Kind::Dated;
        out.date = QDate(what.first(4).toInt(), what.sliced(4, 2).toInt(), what.sliced(6, 2).toInt());
        if (!out.date.isValid())
            return std::nullopt;
    } else {
        return std::nullopt;
    }
    return out;
}

int OrdinalCounter::next(const QByteArray &hash)
{
    for (auto &[h, n] : seen_)
        if (h == hash)
            return ++n;
    seen_.emplace_back(hash, 1);
    return 1;
}

}  // namespace morvane
