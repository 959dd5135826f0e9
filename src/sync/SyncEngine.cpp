#include "SyncEngine.h"

#include "IcsImport.h"

#include <QSet>
#include <QUuid>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr int kMultigetBatch = 200;

// Kept for a calendar whose server keeps no ctag: its syncs go straight to
// the listing of changes. (A tag is never blank.)
constexpr const char *kNoTag = " ";

QByteArray xmlEscaped(const QByteArray &s)
{
    return QString::fromUtf8(s).toHtmlEscaped().toUtf8();
}

QByteArray syncCollectionBody(const QByteArray &token)
{
    return "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<d:sync-collection xmlns:d=\"DAV:\"><d:sync-token>" + xmlEscaped(token) +
           "</d:sync-token><d:sync-level>1</d:sync-level><d:prop><d:getetag/></d:prop></d:sync-collection>";
}

QByteArray multigetBody(const QStringList &paths)
{
    QByteArray body = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                      "<c:calendar-multiget xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\">"
                      "<d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (const QString &p : paths)
        body += "<d:href>" + xmlEscaped(DavEncodedPath(p)) + "</d:href>";
    return body + "</c:calendar-multiget>";
}

// If-Match with the ETag last seen, when there is one.
QList<QPair<QByteArray, QByteArray>> ifMatch(const QByteArray &etag)
{
    if (etag.isEmpty())
        return {};
    return {{"If-Match", etag}};
}

bool isItemPath(const QString &calendar, const QString &path)
{
    return path != calendar && !path.endsWith(u'/') && path.startsWith(calendar);
}

}  // namespace

SyncEngine::SyncEngine(SyncJournal &journal, SyncTables &tables, CalDavClient &client, SyncMapping mapping)
    : journal_(journal), tables_(tables), client_(client), mapping_(std::move(mapping))
{
}

SyncEngine::~SyncEngine() { dropEarlyTags(); }

// The tag of each calendar that keeps one and has nothing known to send is
// asked for before the tables are compared with the journal, and read when
// the calendar needs it: a sync with nothing to do then takes little more
// than the server's answer. Unread (the tables held changes the journal did
// not know of), it is dropped.
void SyncEngine::askTagsEarly()
{
    dropEarlyTags();
    for (const QString &c : {targets_.dated, targets_.todo, targets_.completed}) {
        if (c.isEmpty() || earlyTags_.contains(c) || hasWorkFor(c))
            continue;
        const QByteArray known = journal_.value(u"ctag:"_s + c);
        if (!known.isEmpty() && known != kNoTag)
            earlyTags_.insert(c, client_.startPropfind(DavUrl(client_.server(), c), 0, "<cs:getctag/>"));
    }
}

void SyncEngine::dropEarlyTags()
{
    for (QNetworkReply *reply : std::as_const(earlyTags_))
        CalDavClient::drop(reply);
    earlyTags_.clear();
}

bool SyncEngine::fail(const QString &why)
{
    result_.ok = false;
    if (result_.error.isEmpty())
        result_.error = why;
    return false;
}

bool SyncEngine::failRequest(const DavResponse &r)
{
    const QString text = client_.failureText(r);
    return fail(text.isEmpty() ? u"The server answered %1, which this program did not expect."_s.arg(r.status) : text);
}

bool SyncEngine::takes(const QString &calendar, char kind) const
{
    return !calendar.isEmpty() && calendarOf(kind) == calendar;
}

SyncTask SyncEngine::taskOf(const QByteArray &key) const { return SyncTask::fromKey(key).value_or(SyncTask{}); }

bool SyncEngine::sameOnServer(const QByteArray &a, const QByteArray &b)
{
    return a == b || asOnServer(a) == asOnServer(b);
}

// A task as the server gives it back (a time cell that is no time of day
// comes back "All day"), worked out once a task.
const SyncTask &SyncEngine::asOnServer(const QByteArray &key)
{
    auto it = onServer_.constFind(key);
    if (it == onServer_.constEnd())
        it = onServer_.insert(key, RoundTrip(taskOf(key), mapping_));
    return *it;
}

void SyncEngine::tableChange(std::optional<QByteArray> from, std::optional<QByteArray> to)
{
    SyncTables::Change c;
    if (from)
        c.from = taskOf(*from);
    if (to)
        c.to = taskOf(*to);
    pending_.push_back(std::move(c));
    ++result_.received;
}

SyncResult SyncEngine::run(const SyncTargets &targets)
{
    targets_ = targets;
    for (QString *t : {&targets_.dated, &targets_.todo, &targets_.completed})
        if (!t->isEmpty() && !t->endsWith(u'/'))
            *t += u'/';
    result_ = {};
    items_.clear();
    pending_.clear();
    pendingResources_.clear();
    if (!forgetOtherCalendars())
        return result_;
    for (JournalItem &j : journal_.items())
        items_.push_back(std::make_unique<Item>(Item{std::move(j)}));
    askTagsEarly();
    if (!reconcile())
        return result_;
    QStringList calendars;
    for (const QString &c : {targets_.dated, targets_.todo})
        if (!c.isEmpty() && !calendars.contains(c))
            calendars << c;
    for (const QString &c : calendars)
        if (!syncCalendar(c))
            return result_;
    return result_;
}

// A calendar chosen instead of another: what was known of the old one says
// nothing of the new, whose first sync matches equal items.
bool SyncEngine::forgetOtherCalendars()
{
    for (const char kind : {'E', 'T', 'C'}) {
        const QString key = u"calendar:"_s + QChar::fromLatin1(kind);
        const QString now = calendarOf(kind);
        const QString was = QString::fromUtf8(journal_.value(key));
        if (was == now)
            continue;
        if (!journal_.begin())
            return fail(journal_.lastError());
        for (const JournalItem &j : journal_.items())
            if (j.kind == kind)
                journal_.remove(j.id);
        // Both calendars are listed whole at their next sync: what a token
        // or a tag left from before says changed since is not all they hold.
        for (const QString &c : {was, now}) {
            journal_.setValue(u"token:"_s + c, QByteArray());
            journal_.setValue(u"ctag:"_s + c, QByteArray());
        }
        journal_.setValue(key, now.toUtf8());
        if (!journal_.commit())
            return fail(journal_.lastError());
    }
    return true;
}

bool SyncEngine::reconcile()
{
    const bool dated = !targets_.dated.isEmpty(), todo = !targets_.todo.isEmpty(),
               completed = !targets_.completed.isEmpty();
    auto counts = [&] {
        QHash<QByteArray, int> s;
        for (const SyncTask &t : tables_.tasks(dated, todo, completed))
            ++s[t.key()];
        return s;
    };
    QHash<QByteArray, int> inTables = counts();

    // A table change a kill interrupted: done when the tables hold what it
    // was to make, made again when they hold what it started from.
    std::vector<Item *> marked;
    QHash<QByteArray, int> base;
    for (auto &i : items_) {
        if (i->j.apply)
            marked.push_back(i.get());
        else if (i->j.local)
            ++base[*i->j.local];
    }
    if (!marked.empty()) {
        QHash<QByteArray, int> after = base, before = base;
        QSet<QByteArray> involved;
        for (Item *i : marked) {
            if (i->j.local) {
                ++after[*i->j.local];
                involved.insert(*i->j.local);
            }
            if (i->j.was && i->j.apply != '+') {
                ++before[*i->j.was];
                involved.insert(*i->j.was);
            }
        }
        bool done = true, undone = true;
        for (const QByteArray &k : involved) {
            done = done && inTables.value(k) == after.value(k);
            undone = undone && inTables.value(k) == before.value(k);
        }
        if (!done && undone) {
            std::vector<SyncTables::Change> redo;
            for (Item *i : marked) {
                SyncTables::Change c;
                if (i->j.was && i->j.apply != '+')
                    c.from = taskOf(*i->j.was);
                if (i->j.local)
                    c.to = taskOf(*i->j.local);
                redo.push_back(std::move(c));
            }
            if (const QString why = tables_.apply(redo); !why.isEmpty())
                return fail(why);
            inTables = counts();
        }
        if (!journal_.begin())
            return fail(journal_.lastError());
        for (Item *i : marked) {
            // A task removed because the server removed it is done with.
            if (i->j.apply == '-' || (!i->j.local && i->j.href.isEmpty()))
                i->gone = true;
            i->j.apply = 0;
            i->j.was.reset();
            if (!(i->gone ? journal_.remove(i->j.id) : journal_.update(i->j))) {
                journal_.rollback();
                return fail(journal_.lastError());
            }
        }
        if (!journal_.commit())
            return fail(journal_.lastError());
        std::erase_if(items_, [](const auto &i) { return i->gone; });
    }

    // What the tables hold against what the journal says they hold.
    QHash<QByteArray, std::vector<Item *>> known;
    for (auto &i : items_)
        if (i->j.local && !calendarOf(i->j.kind).isEmpty())
            known[*i->j.local].push_back(i.get());
    if (!journal_.begin())
        return fail(journal_.lastError());
    bool ok = true;
    for (auto it = inTables.constBegin(); it != inTables.constEnd() && ok; ++it) {
        const int have = int(known.value(it.key()).size());
        for (int n = have; n < it.value() && ok; ++n) {
            auto item = std::make_unique<Item>();
            item->j.kind = it.key().at(0);
            item->j.calendar = calendarOf(item->j.kind);
            item->j.local = it.key();
            ok = journal_.insert(item->j);
            items_.push_back(std::move(item));
        }
    }
    for (auto it = known.begin(); it != known.end() && ok; ++it) {
        std::vector<Item *> &list = it.value();
        int extra = int(list.size()) - inTables.value(it.key());
        // Those never sent go first: nothing of them is on the server.
        std::stable_sort(list.begin(), list.end(),
                         [](const Item *a, const Item *b) { return a->j.href.isEmpty() && !b->j.href.isEmpty(); });
        for (Item *i : list) {
            if (extra-- <= 0)
                break;
            if (i->j.href.isEmpty()) {
                i->gone = true;
                ok = journal_.remove(i->j.id);
            } else {
                i->j.local.reset();
                ok = journal_.update(i->j);
            }
        }
    }
    return commitWrites(ok);
}

// Ends a transaction of the journal: kept when every write went through,
// else taken back whole (the sync fails and the next starts from before it).
bool SyncEngine::commitWrites(bool ok)
{
    if (!ok || !journal_.commit()) {
        journal_.rollback();
        return fail(journal_.lastError());
    }
    std::erase_if(items_, [](const auto &i) { return i->gone; });
    return true;
}

bool SyncEngine::hasWorkFor(const QString &calendar) const
{
    for (const auto &i : items_) {
        const JournalItem &j = i->j;
        if (i->gone || !takes(calendar, j.kind) || (j.calendar != calendar && !j.href.isEmpty()))
            continue;
        if (j.href.isEmpty() || !j.local || !j.agreed || *j.local != *j.agreed)
            return true;
    }
    return false;
}

namespace {

bool Unanswered(const DavResponse &r)
{
    return r.status == 401 || r.status == 404 || r.status >= 500 ||
           (r.status == 0 && r.error != QNetworkReply::NoError);
}

}  // namespace

QByteArray SyncEngine::collectionTag(const QString &calendar, bool *failed, bool asked)
{
    QNetworkReply *early = asked ? earlyTags_.take(calendar) : nullptr;
    const DavResponse r =
        early ? client_.finish(early) : client_.propfind(DavUrl(client_.server(), calendar), 0, "<cs:getctag/>");
    if (Unanswered(r)) {
        *failed = !failRequest(r);
        return {};
    }
    if (!r.ok())
        return {};  // no tag kept there: the listing tells
    for (const DavEntry &e : ParseMultiStatus(r.body).entries)
        if (!e.ctag.isEmpty())
            return e.ctag;
    return {};
}

// After a sync that sent changes, or read no tag before its listing: the
// collection's tag and the changes since
// the sync's token, read in that order. When the changes are only those
// sent (each item's ETag as its answer gave it), the tag and the new token
// stand for what this side knows, and the next sync with nothing to do is
// the one question about the tag. Anything else is left to the next sync.
void SyncEngine::settleAfterSending(const QString &calendar)
{
    bool failed = false;
    const QByteArray tag = collectionTag(calendar, &failed);
    if (failed)
        return;
    if (tag.isEmpty()) {
        journal_.setValue(u"ctag:"_s + calendar, kNoTag);
        return;
    }
    const QString tokenKey = u"token:"_s + calendar;
    const QByteArray token = journal_.value(tokenKey);
    if (token.isEmpty())
        return;
    const DavResponse r = client_.report(DavUrl(client_.server(), calendar), 0, syncCollectionBody(token));
    if (!r.ok())
        return;
    const DavMultiStatus ms = ParseMultiStatus(r.body);
    if (!ms.ok || ms.syncToken.isEmpty())
        return;
    for (const DavEntry &e : ms.entries) {
        if (!isItemPath(calendar, e.path))
            continue;
        bool known = e.status == 404;
        for (const auto &i : items_) {
            if (i->gone || i->j.href != e.path)
                continue;
            known = e.status != 404 && !e.etag.isEmpty() && i->j.etag == e.etag;
            if (!known)
                break;
        }
        if (!known)
            return;
    }
    journal_.setValue(tokenKey, ms.syncToken);
    journal_.setValue(u"ctag:"_s + calendar, tag);
}

bool SyncEngine::syncCalendar(const QString &calendar)
{
    const QUrl url = DavUrl(client_.server(), calendar);
    const QString expandedKey = u"expanded:"_s + calendar;
    const QByteArray today = mapping_.today.toString(Qt::ISODate).toUtf8();
    const bool expand = journal_.value(expandedKey) != today;
    // Nothing to send: the collection's tag alone says whether anything
    // changed there, which servers answer more cheaply than a listing of
    // changes. Nothing changed and the date moved on: the repeats roll
    // forward from their kept objects without a listing.
    const QString ctagKey = u"ctag:"_s + calendar;
    const QByteArray knownTag = journal_.value(ctagKey);
    bool tagsKept = knownTag != kNoTag;
    QByteArray tag;
    bool unchanged = false;  // there: the listing is not needed
    if (tagsKept && !hasWorkFor(calendar)) {
        bool failed = false;
        tag = collectionTag(calendar, &failed, true);
        if (failed)
            return false;
        if (tag.isEmpty()) {
            tagsKept = false;
            if (!journal_.setValue(ctagKey, kNoTag))
                return fail(journal_.lastError());
        } else if (tag == knownTag) {
            if (!expand)
                return true;
            unchanged = true;
        }
    }
    const QString tokenKey = u"token:"_s + calendar;
    QByteArray token = journal_.value(tokenKey);
    bool usedToken = true, full = false;
    DavMultiStatus ms;
    QHash<QString, QByteArray> listed;
    QSet<QString> removed;
    QStringList changed;
    if (!unchanged) {
        DavResponse r = client_.report(url, 0, syncCollectionBody(token));
        if (!token.isEmpty() && (r.status == 403 || r.status == 409 || r.status == 400 || r.status == 412)) {
            // The token is no longer valid: list everything again.
            token.clear();
            r = client_.report(url, 0, syncCollectionBody(token));
        }
        if (Unanswered(r))
            return failRequest(r);
        if (!r.ok()) {
            // No sync-collection here: every item's ETag, compared with ours.
            usedToken = false;
            token.clear();
            r = client_.propfind(url, 1, "<d:getetag/>");
            if (!r.ok())
                return failRequest(r);
        }
        ms = ParseMultiStatus(r.body);
        if (!ms.ok)
            return fail(u"The server's answer about %1 could not be read; it may not be a CalDAV server."_s.arg(
                calendar));
        full = token.isEmpty();

        for (const DavEntry &e : ms.entries) {
            if (!isItemPath(calendar, e.path))
                continue;
            if (e.status == 404)
                removed.insert(e.path);
            else
                listed.insert(e.path, e.etag);
        }
        QHash<QString, QByteArray> knownEtags;
        for (const auto &i : items_)
            if (!i->j.href.isEmpty() && i->j.calendar == calendar)
                knownEtags.insert(i->j.href, i->j.etag);
        if (full)
            for (const auto &i : items_)
                if (i->j.calendar == calendar && !i->j.href.isEmpty() && i->j.agreed && !listed.contains(i->j.href))
                    removed.insert(i->j.href);
        for (auto it = listed.constBegin(); it != listed.constEnd(); ++it) {
            const auto k = knownEtags.constFind(it.key());
            if (k == knownEtags.constEnd() || k.value().isEmpty() || k.value() != it.value())
                changed << it.key();
        }
    }
    std::sort(changed.begin(), changed.end());
    QSet<QString> missing;
    for (qsizetype at = 0; at < changed.size(); at += kMultigetBatch)
        if (!fetch(calendar, changed.mid(at, kMultigetBatch), missing))
            return false;
    // The window of days moves on with the date: repeating events not
    // changed on the server are followed again from their kept objects, so
    // that occurrences coming into the window arrive here.
    if (expand) {
        const QSet<QString> fetched(changed.begin(), changed.end());
        QHash<QString, QByteArray> repeating;
        for (const auto &i : items_)
            if (i->j.calendar == calendar && !i->j.occurrence.isEmpty() && !fetched.contains(i->j.href) &&
                !removed.contains(i->j.href))
                repeating.insert(i->j.href, i->j.etag);
        for (auto it = repeating.constBegin(); it != repeating.constEnd(); ++it)
            if (const QByteArray ics = journal_.resource(it.key()); !ics.isEmpty())
                remoteChanged(calendar, it.key(), it.value(), ics);
    }
    removed += missing;
    for (const QString &path : removed)
        for (auto &i : items_)
            if (i->j.href == path && i->j.calendar == calendar && !i->gone)
                remoteGone(*i);
    if (!flush())
        return false;
    // Written only when it moved: a sync with nothing to do writes nothing.
    if (usedToken && !ms.syncToken.isEmpty() && ms.syncToken != token && !journal_.setValue(tokenKey, ms.syncToken))
        return fail(journal_.lastError());
    if (expand && !journal_.setValue(expandedKey, today))
        return fail(journal_.lastError());
    QSet<QString> seen;
    for (auto it = listed.constBegin(); it != listed.constEnd(); ++it)
        seen.insert(it.key());
    const int sentBefore = result_.sent;
    if (!upload(calendar, seen, full))
        return false;
    // The tag read before the listing stands for all it listed; after
    // changes sent, or without one read, it is read again.
    if (!tag.isEmpty() && result_.sent == sentBefore) {
        if (tag != knownTag && !journal_.setValue(ctagKey, tag))
            return fail(journal_.lastError());
    } else if (tagsKept) {
        settleAfterSending(calendar);
    }
    return true;
}

bool SyncEngine::fetch(const QString &calendar, const QStringList &paths, QSet<QString> &missing)
{
    const DavResponse r = client_.report(DavUrl(client_.server(), calendar), 1, multigetBody(paths));
    if (!r.ok())
        return failRequest(r);
    const DavMultiStatus ms = ParseMultiStatus(r.body);
    if (!ms.ok)
        return fail(u"The server's answer about %1 could not be read."_s.arg(calendar));
    QSet<QString> answered;
    for (const DavEntry &e : ms.entries) {
        if (e.status == 404 || e.calendarData.isEmpty())
            continue;
        answered.insert(e.path);
        remoteChanged(calendar, e.path, e.etag, e.calendarData);
    }
    for (const QString &p : paths)
        if (!answered.contains(p))
            missing.insert(p);
    return true;
}

void SyncEngine::remoteChanged(const QString &calendar, const QString &path, const QByteArray &etag,
                               const QByteArray &ics)
{
    std::vector<Item *> rows;
    for (auto &i : items_)
        if (i->j.href == path && !i->gone)
            rows.push_back(i.get());
    const SyncObject object = ReadSyncObject(ics, mapping_);
    for (Item *i : rows) {
        i->j.etag = etag;
        i->dirty = true;
    }
    if (!object.ok)
        return;  // an item this program cannot read is left as it is, here and there
    std::vector<Item *> unmatched = rows;
    for (const SyncObjectTask &o : object.tasks) {
        if (!takes(calendar, char(o.task.kind)))
            continue;
        const QByteArray content = o.task.key();
        auto found = std::find_if(unmatched.begin(), unmatched.end(),
                                  [&](Item *i) { return i->j.occurrence == o.occurrence; });
        if (found == unmatched.end()) {
            // Not known yet: a task here equal to it, on a first sync, else new.
            Item *same = nullptr;
            for (auto &i : items_)
                if (!i->gone && i->j.href.isEmpty() && i->j.local && !i->j.apply && i->j.kind == char(o.task.kind) &&
                    asOnServer(*i->j.local).sameItem(o.task)) {
                    same = i.get();
                    break;
                }
            if (!same) {
                auto item = std::make_unique<Item>();
                item->j.kind = char(o.task.kind);
                item->j.local = content;
                item->j.apply = '+';
                tableChange(std::nullopt, content);
                same = item.get();
                items_.push_back(std::move(item));
            }
            same->j.calendar = calendar;
            same->j.href = path;
            same->j.occurrence = o.occurrence;
            same->j.uid = object.uid;
            same->j.etag = etag;
            same->j.agreed = content;
            same->dirty = true;
            continue;
        }
        Item &i = **found;
        unmatched.erase(found);
        JournalItem &j = i.j;
        // A log entry marked as not done again there is a to-do task once
        // more (both live in one calendar).
        j.kind = char(o.task.kind);
        if (!j.agreed) {
            // Sent by a sync that was cut short: the server holds what was sent.
            j.agreed = content;
            continue;
        }
        if (sameOnServer(*j.agreed, content))
            continue;  // nothing changed there that the tables can hold
        if (!j.local) {
            // Removed here, changed there: the change wins and the task comes back.
            j.local = content;
            j.apply = '+';
            tableChange(std::nullopt, content);
        } else if (*j.local == *j.agreed || sameOnServer(*j.local, content)) {
            if (*j.local != content) {
                j.was = j.local;
                j.apply = 'C';
                tableChange(j.local, content);
                j.local = content;
            }
        } else {
            // Changed on both sides: the server's version is the task, and
            // this side's is kept beside it as a conflict copy.
            const QByteArray mine = *j.local;
            j.was = mine;
            j.apply = 'C';
            tableChange(mine, content);
            j.local = content;
            auto copy = std::make_unique<Item>();
            copy->j.kind = j.kind;
            copy->j.calendar = calendar;
            copy->j.local = ConflictCopy(taskOf(mine)).key();
            copy->j.apply = '+';
            copy->dirty = true;
            tableChange(std::nullopt, copy->j.local);
            items_.push_back(std::move(copy));
            ++result_.conflicts;
        }
        j.agreed = content;
    }
    // An occurrence the window of days has left behind stays here as it is:
    // only one the server took out goes.
    const auto [from, to] = DefaultIcsImportRange(mapping_.today);
    for (Item *i : unmatched) {
        const std::optional<QByteArray> &known = i->j.local ? i->j.local : i->j.agreed;
        const SyncTask t = known ? taskOf(*known) : SyncTask{};
        const bool outside = !i->j.occurrence.isEmpty() && t.kind == SyncTask::Kind::Dated &&
                             (t.day < DayNumber(from) || t.day > DayNumber(to));
        if (!outside)
            remoteGone(*i);
    }
    // The server's own text is kept where it holds more than this program
    // writes (a repeat, a place, attendees, another program's properties), so
    // that an edit here changes only what was edited; an empty one is none.
    if (object.repeating() || HoldsMoreThanTheMapping(ics, object, mapping_))
        pendingResources_.insert(path, ics);
    else
        pendingResources_.insert(path, QByteArray());
}

void SyncEngine::remoteGone(Item &item)
{
    JournalItem &j = item.j;
    item.dirty = true;
    if (!j.local) {
        item.gone = true;
    } else if (!j.agreed) {
        // Never taken by the server: it is sent (again) as new.
    } else if (*j.local == *j.agreed) {
        j.was = j.local;
        j.apply = '-';
        tableChange(j.local, std::nullopt);
        j.local.reset();
    } else {
        // Changed here, removed there: the change wins, as a new item.
        j.href.clear();
        j.etag.clear();
        j.uid.clear();
        j.occurrence.clear();
        j.agreed.reset();
    }
}

// The journal first (with the table changes marked as under way), then the
// tables, then the marks cleared: a kill anywhere leaves what the next sync
// needs to finish.
bool SyncEngine::flush()
{
    const bool anyDirty = std::any_of(items_.begin(), items_.end(), [](const auto &i) { return i->dirty; });
    if (!anyDirty && pendingResources_.isEmpty() && pending_.empty())
        return true;
    if (!journal_.begin())
        return fail(journal_.lastError());
    bool ok = true;
    for (auto &i : items_) {
        // One gone from the server whose task is still to be removed here
        // keeps its row until the tables have changed.
        if (i->dirty && ok)
            ok = writeItem(*i, i->gone && i->j.apply != '-');
    }
    if (ok)
        ok = writeResources() && journal_.pruneResources();
    if (!ok || !journal_.commit()) {
        journal_.rollback();
        return fail(journal_.lastError());
    }
    pendingResources_.clear();
    std::erase_if(items_, [](const auto &i) { return i->gone && i->j.apply != '-'; });
    if (!pending_.empty()) {
        if (const QString why = tables_.apply(pending_); !why.isEmpty())
            return fail(why);
        pending_.clear();
    }
    if (!journal_.begin())
        return fail(journal_.lastError());
    for (auto &i : items_) {
        if (!i->dirty || !ok)
            continue;
        i->dirty = false;
        if (!i->j.apply)
            continue;
        const char applied = i->j.apply;
        i->j.apply = 0;
        i->j.was.reset();
        if (applied == '-') {
            i->gone = true;
            ok = journal_.remove(i->j.id);
        } else {
            ok = journal_.update(i->j);
        }
    }
    return commitWrites(ok);
}

// The results of requests are written a batch at a time: one lost to a kill
// is found again by the next sync (the item listed with its new ETag and the
// content sent, or gone), so only the paths of new items must be on disk
// before their requests.
bool SyncEngine::write(Item &item)
{
    item.dirty = true;
    return ++unwritten_ < kResultsPerWrite || writeResults();
}

// In the transaction of the items they belong to.
bool SyncEngine::writeResources()
{
    bool ok = true;
    for (auto it = pendingResources_.constBegin(); it != pendingResources_.constEnd() && ok; ++it)
        ok = it.value().isEmpty() ? journal_.removeResource(it.key()) : journal_.setResource(it.key(), it.value());
    return ok;
}

bool SyncEngine::writeItem(Item &item, bool removed)
{
    if (removed)
        return item.j.id == 0 || journal_.remove(item.j.id);
    return item.j.id == 0 ? journal_.insert(item.j) : journal_.update(item.j);
}

bool SyncEngine::writeResults()
{
    unwritten_ = 0;
    if (!journal_.begin())
        return fail(journal_.lastError());
    bool ok = true;
    for (auto &i : items_) {
        if (!i->dirty || !ok)
            continue;
        ok = writeItem(*i, i->gone);
        i->dirty = false;
    }
    if (ok)
        ok = writeResources();
    if (!ok || !journal_.commit()) {
        journal_.rollback();
        return fail(journal_.lastError());
    }
    pendingResources_.clear();
    return true;
}

bool SyncEngine::upload(const QString &calendar, const QSet<QString> &listed, bool full)
{
    Q_UNUSED(full);
    std::vector<Item *> mine;
    for (auto &i : items_)
        if (!i->gone && takes(calendar, i->j.kind) && (i->j.calendar == calendar || i->j.href.isEmpty()))
            mine.push_back(i.get());
    // The paths of new items, before any of them is sent: a kill after a
    // request leaves an item the next sync finds on the server or sends again.
    bool any = false;
    for (Item *i : mine) {
        JournalItem &j = i->j;
        if (!j.local || !j.href.isEmpty())
            continue;
        j.uid = QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
        j.href = calendar + QString::fromUtf8(j.uid) + u".ics"_s;
        j.calendar = calendar;
        j.etag.clear();
        j.agreed.reset();
        i->dirty = any = true;
    }
    if (any && !writeResults())
        return false;
    QHash<QString, std::vector<Item *>> repeating;
    for (Item *i : mine) {
        JournalItem &j = i->j;
        if (!j.occurrence.isEmpty()) {
            if (!j.local || !j.agreed || *j.local != *j.agreed)
                repeating[j.href].push_back(i);
            continue;
        }
        bool ok = true;
        if (j.local && !j.agreed && !listed.contains(j.href))
            ok = put(*i, true);
        else if (j.local && j.agreed && *j.local != *j.agreed)
            ok = put(*i, false);
        else if (!j.local)
            ok = removeOnServer(*i);
        if (!ok) {
            writeResults();
            return false;
        }
    }
    if (!writeResults())
        return false;
    for (auto it = repeating.begin(); it != repeating.end(); ++it)
        if (!changeRepeating(it.key(), it.value()))
            return false;
    std::erase_if(items_, [](const auto &i) { return i->gone; });
    return true;
}

// A new item goes up with If-None-Match: * (a path taken already is the
// item itself, sent by a sync a kill cut short); a changed one with If-Match.
bool SyncEngine::put(Item &item, bool isNew)
{
    JournalItem &j = item.j;
    // An edit of an item whose server copy holds more than this program
    // writes is made to that copy.
    const QByteArray kept = isNew || !j.agreed ? QByteArray() : journal_.resource(j.href);
    const QByteArray body = kept.isEmpty()
                                ? SyncTaskObject(taskOf(*j.local), j.uid, mapping_)
                                : WithTaskChanged(kept, taskOf(*j.agreed), taskOf(*j.local), j.uid, mapping_);
    const DavResponse r =
        client_.send("PUT", DavUrl(client_.server(), j.href), body,
                     isNew ? QList<QPair<QByteArray, QByteArray>>{{"If-None-Match", "*"}} : ifMatch(j.etag));
    if (r.status == 412 || (!isNew && r.status == 404))
        return refetch(j.calendar, j.href);
    if (!r.ok())
        return failRequest(r);
    if (!kept.isEmpty())
        pendingResources_.insert(j.href, body);
    j.etag = r.etag;
    j.agreed = j.local;
    ++result_.sent;
    return write(item);
}

bool SyncEngine::removeOnServer(Item &item)
{
    JournalItem &j = item.j;
    if (j.href.isEmpty()) {
        item.gone = true;
        return write(item);
    }
    const DavResponse r = client_.send("DELETE", DavUrl(client_.server(), j.href), {}, ifMatch(j.etag));
    if (r.status == 412)
        return refetch(j.calendar, j.href);
    if (!r.ok() && r.status != 404)
        return failRequest(r);
    ++result_.sent;
    item.gone = true;
    return write(item);
}

bool SyncEngine::changeRepeating(const QString &path, std::vector<Item *> &items)
{
    QByteArray ics = journal_.resource(path);
    QByteArray etag = items.front()->j.etag;
    if (ics.isEmpty()) {
        const DavResponse got = client_.send("GET", DavUrl(client_.server(), path));
        if (!got.ok())
            return failRequest(got);
        ics = got.body;
        etag = got.etag;
    }
    for (Item *i : items) {
        if (!i->j.local)
            ics = WithOccurrenceRemoved(ics, i->j.occurrence);
        else
            ics = WithOccurrenceChanged(ics, i->j.occurrence, taskOf(*i->j.local), i->j.uid, mapping_);
    }
    const DavResponse r = client_.send("PUT", DavUrl(client_.server(), path), ics, ifMatch(etag));
    if (r.status == 412 || r.status == 404)
        return refetch(items.front()->j.calendar, path);
    if (!r.ok())
        return failRequest(r);
    ++result_.sent;
    if (!journal_.begin())
        return fail(journal_.lastError());
    bool ok = journal_.setResource(path, ics);
    for (auto &i : items_) {
        if (i->j.href != path || !ok)
            continue;
        i->j.etag = r.etag;
        if (!i->j.local) {
            i->gone = true;
            ok = journal_.remove(i->j.id);
        } else {
            i->j.agreed = i->j.local;
            ok = journal_.update(i->j);
        }
    }
    return commitWrites(ok);
}

// The server changed the item since this side last saw it: its version is
// read now and the usual rules decide; what this side still has to send
// goes at the next sync.
bool SyncEngine::refetch(const QString &calendar, const QString &path)
{
    const DavResponse r = client_.send("GET", DavUrl(client_.server(), path));
    if (r.status == 404) {
        for (auto &i : items_)
            if (i->j.href == path && !i->gone)
                remoteGone(*i);
    } else if (r.ok()) {
        remoteChanged(calendar, path, r.etag, r.body);
    } else {
        return failRequest(r);
    }
    return flush();
}

}  // namespace morvane
