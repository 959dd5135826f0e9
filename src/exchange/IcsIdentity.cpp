#include "IcsIdentity.h"

#include "Grid.h"
#include "TaskTables.h"

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

IcsStoreMatcher::IcsStoreMatcher(const Grid &store, const FormatSettings &formats) : store_(store), formats_(formats) {}

std::vector<IcsStoreMatcher::Known> &IcsStoreMatcher::dayTasks(int day)
{
    auto it = days_.find(day);
    if (it != days_.end())
        return it.value();
    std::vector<Known> &known = days_[day];
    OrdinalCounter ordinals;
    for (int r = FirstRowOnOrAfter(store_, day); r < store_.rowCount(); ++r) {
        const QByteArrayView key = store_.cellUtf8(kStoreKey, r);
        if (KeyDay(key) != day)
            break;
        QByteArray hash = IcsContentHash({store_.cellUtf8(kStoreCategory, r), store_.cellUtf8(kStoreNotes, r)});
        const int ordinal = ordinals.next(hash);
        const QString time = store_.cell(kStoreTime, r);
        auto m = minutes_.constFind(time);
        if (m == minutes_.constEnd()) {
            DateValue v = 0;
            int minute = -1;
            if (StrToTime(time, formats_, &v)) {
                const QTime t = TimeOfValue(v);
                minute = t.hour() * 60 + t.minute();
            }
            m = minutes_.insert(time, minute);
        }
        const auto yes = [&](int col) { return store_.cellUtf8(col, r).compare("Yes", Qt::CaseInsensitive) == 0; };
        known.push_back({std::move(hash), ordinal, r, *m, yes(kStoreDone), yes(kStoreAlarm)});
    }
    return known;
}

int IcsStoreMatcher::takeSame(const QByteArray &hash, int day, int minute, bool done, bool alarm)
{
    std::vector<Known> &known = dayTasks(day);
    Known *found = nullptr;
    for (Known &k : known)
        if (!k.used && k.hash == hash && k.minute == minute) {
            if (k.done == done && k.alarm == alarm) {
                found = &k;
                break;
            }
            if (!found)
                found = &k;
        }
    if (!found)
        return -1;
    found->used = true;
    return found->row;
}

int IcsStoreMatcher::takeAny(const QByteArray &hash, int day)
{
    for (Known &k : dayTasks(day))
        if (!k.used && k.hash == hash) {
            k.used = true;
            return k.row;
        }
    return -1;
}

int IcsStoreMatcher::takeNamedOrSame(const QByteArray &hash, const std::optional<OwnIcsUid> &own,
                                     const IcsPlace &place, bool done, bool alarm)
{
    if (own && own->kind == OwnIcsUid::Kind::Dated)
        for (Known &k : dayTasks(DayNumber(own->date)))
            if (!k.used && k.hash == own->hash && k.ordinal == own->ordinal) {
                k.used = true;
                return k.row;
            }
    // Where the file puts it first: a task already there is that occurrence
    // as it is now, and stays where it is.
    int row = takeSame(hash, place.day, place.minute, done, alarm);
    if (row < 0 && place.moved())
        row = takeSame(hash, place.dayWas, place.minuteWas, done, alarm);
    return row;
}

bool IcsStoreMatcher::hasFree(const QByteArray &hash, const IcsPlace &place)
{
    for (const int day : {place.dayWas, place.day})
        for (const Known &k : dayTasks(day))
            if (!k.used && k.hash == hash)
                return true;
    return false;
}

int IcsStoreMatcher::takeSameContent(const QByteArray &hash, const IcsPlace &place)
{
    int row = takeAny(hash, place.dayWas);
    if (row < 0 && place.day != place.dayWas)
        row = takeAny(hash, place.day);
    return row;
}

IcsTodoMatcher::IcsTodoMatcher(const Grid &todo)
{
    QHash<QByteArray, int> ordinals;
    for (int r = 1; r < todo.rowCount(); ++r) {
        if (!TodoRowHoldsTask(todo, r))
            continue;
        QByteArray hash = IcsContentHash({todo.cellUtf8(kTodoCategory, r), todo.cellUtf8(kTodoNotes, r)});
        const int ordinal = ++ordinals[hash];
        known_.push_back({std::move(hash), ordinal, r});
    }
}

int IcsTodoMatcher::take(const QByteArray &hash, const std::optional<OwnIcsUid> &own)
{
    if (own && own->kind == OwnIcsUid::Kind::Todo)
        for (Known &k : known_)
            if (!k.used && k.hash == own->hash && k.ordinal == own->ordinal) {
                k.used = true;
                return k.row;
            }
    for (Known &k : known_)
        if (!k.used && k.hash == hash) {
            k.used = true;
            return k.row;
        }
    return -1;
}

}  // namespace morvane
