#include "TaskTables.h"

#include <unordered_set>

#include "StoreSlice.h"
#include "Utility.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

void setHeaders(Grid &g, std::initializer_list<QStringView> names)
{
    int c = 0;
    for (QStringView n : names)
        g.setCell(c++, 0, n);
}

bool equalsLiteral(QByteArrayView a, const char *lit, qsizetype n)
{
    return a.size() == n && std::memcmp(a.data(), lit, std::size_t(n)) == 0;
}
bool isYes(QByteArrayView a) { return equalsLiteral(a, "Yes", 3); }
bool isNo(QByteArrayView a) { return equalsLiteral(a, "No", 2); }

char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? char(c + 32) : c; }

// (day, position) of a key of the form [-]digits[.digits]; false for any
// other form, which the slow path reads as a number.
struct KeyParts {
    long long day;
    long long position;  // -1 without a fraction
};

bool fastKey(QByteArrayView key, KeyParts *out)
{
    const char *p = key.data();
    const char *end = p + key.size();
    bool neg = false;
    if (p < end && *p == '-') {
        neg = true;
        ++p;
    }
    const char *digits = p;
    long long day = 0;
    while (p < end && *p >= '0' && *p <= '9' && p - digits < 12)
        day = day * 10 + (*p++ - '0');
    if (p == digits || (p < end && *p >= '0' && *p <= '9'))
        return false;
    long long pos = -1;
    if (p < end) {
        if (*p != '.')
            return false;
        ++p;
        const char *f = p;
        pos = 0;
        while (p < end && *p >= '0' && *p <= '9' && p - f < 15)
            pos = pos * 10 + (*p++ - '0');
        if (p != end)
            return false;
    }
    out->day = neg ? -day : day;
    out->position = pos;
    return true;
}

KeyParts keyParts(QByteArrayView key)
{
    KeyParts k{0, -1};
    if (key.isEmpty() || fastKey(key, &k))
        return k;
    // Any other text: its value as a number, the day being its integer part.
    const double v = KeyToFloat(QString::fromUtf8(key), FormatSettings());
    k.day = DayOfValue(v);
    return k;
}


int keyDayOfRow(const Grid &t, int row) { return KeyDay(t.cellUtf8(kStoreKey, row)); }

}  // namespace

// ---------------------------------------------------------------------------
// Tables

void SetDayHeaders(Grid &g) { setHeaders(g, {u"Time", u"Category", u"What", u"Done?", u"Alarm?"}); }
void SetTodoHeaders(Grid &g) { setHeaders(g, {u"Category", u"What", u"Done?"}); }
void SetCompletedHeaders(Grid &g)
{
    setHeaders(g, {u"Comp Date", u"Time", u"Category", u"Orig Date", u"What", u"Comp Notes"});
}

Grid NewStoreGrid() { return Grid(kStoreCols, 2); }

Grid NewDayGrid()
{
    Grid g(kDayCols, 2);
    SetDayHeaders(g);
    return g;
}

Grid NewTodoGrid()
{
    Grid g(kTodoCols, 2);
    SetTodoHeaders(g);
    return g;
}

Grid NewCompletedGrid()
{
    Grid g(kCompCols, 2);
    SetCompletedHeaders(g);
    return g;
}

int AddCompletedRow(Grid &g, const QStringList &cells)
{
    bool rowOneFree = true;
    for (int c = 0; c < g.colCount(); ++c)
        rowOneFree = rowOneFree && g.cellEmpty(c, 1);
    if (g.rowCount() < 2)
        g.setRowCount(2);
    else if (!rowOneFree)
        g.insertRows(1);
    for (int c = 0; c < std::min<int>(g.colCount(), int(cells.size())); ++c)
        g.setCell(c, 1, cells[c]);
    return 1;
}

bool TodoRowHoldsTask(const Grid &todo, int row)
{
    return !todo.cellEmpty(kTodoCategory, row) || !todo.cellEmpty(kTodoNotes, row);
}

int FirstFreeTodoRow(Grid &todo)
{
    for (int r = 1; r < todo.rowCount(); ++r)
        if (!TodoRowHoldsTask(todo, r))
            return r;
    todo.setRowCount(todo.rowCount() + 1);
    return todo.rowCount() - 1;
}

// ---------------------------------------------------------------------------
// Keys and order

QString MakeStoreKey(int day, int position) { return u"%1.%2"_s.arg(day).arg(position); }

int KeyDay(QByteArrayView key)
{
    const long long d = keyParts(key).day;
    return int(std::clamp<long long>(d, INT_MIN, INT_MAX));
}

bool StoreRowLess(Grid::RowRef a, Grid::RowRef b)
{
    const QByteArrayView ka = a.cell(kStoreKey), kb = b.cell(kStoreKey);
    const KeyParts pa = keyParts(ka), pb = keyParts(kb);
    if (pa.day != pb.day)
        return pa.day < pb.day;
    if (pa.position != pb.position)
        return pa.position < pb.position;
    if (const int c = CompareCellBytes(ka, kb))
        return c < 0;
    for (int col = kStoreTime; col <= kStoreDone; ++col)
        if (const int c = CompareCellBytes(a.cell(col), b.cell(col)))
            return c < 0;
    return false;
}

// ---------------------------------------------------------------------------
// Filter

void TaskFilter::setShowDone(bool on)
{
    showDone_ = on;
    rebuild();
}

void TaskFilter::setShowNotDone(bool on)
{
    showNotDone_ = on;
    rebuild();
}

void TaskFilter::setCategories(QList<CategoryCheck> categories)
{
    categories_ = std::move(categories);
    rebuild();
}

void TaskFilter::setChecked(int index, bool checked)
{
    if (index >= 0 && index < categories_.size()) {
        categories_[index].checked = checked;
        rebuild();
    }
}

void TaskFilter::rebuild()
{
    // Letter case is ignored for every letter (é and É are one category),
    // the same rule as everywhere the program compares without case.
    lowered_.clear();
    folded_.clear();
    for (const CategoryCheck &c : categories_) {
        QByteArray b = c.name.toUtf8();
        for (char &ch : b)
            ch = lowerAscii(ch);
        lowered_.push_back(std::move(b));
        folded_.push_back(c.name.toCaseFolded());
    }
    allPass_ = !FiltersOn();
}

bool TaskFilter::FiltersOn() const
{
    if (!showDone_ || !showNotDone_)
        return true;
    return std::any_of(categories_.begin(), categories_.end(),
                       [](const CategoryCheck &c) { return !c.checked; });
}

bool TaskFilter::passes(QByteArrayView done, QByteArrayView category) const
{
    if (allPass_)
        return true;
    if (!showDone_ && isYes(done))
        return false;
    if (!showNotDone_ && isNo(done))
        return false;
    const bool ascii = std::all_of(category.begin(), category.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (!ascii) {
        // Rare: letters beyond ASCII are compared by their case folding.
        const QString folded = QString::fromUtf8(category).toCaseFolded();
        for (std::size_t i = 0; i < folded_.size(); ++i)
            if (folded_[i] == folded)
                return categories_[qsizetype(i)].checked;
        return true;
    }
    for (std::size_t i = 0; i < lowered_.size(); ++i) {
        const QByteArray &name = lowered_[i];
        if (name.size() != category.size())
            continue;
        bool same = true;
        for (qsizetype k = 0; k < name.size() && same; ++k)
            same = name[k] == lowerAscii(category[k]);
        if (same)
            return categories_[qsizetype(i)].checked;
    }
    return true;
}

bool TaskFilter::TaskPassesFilter(QStringView done, QStringView category) const
{
    return passes(done.toUtf8(), category.toUtf8());
}

bool TaskFilter::rowPasses(const Grid &store, int row) const
{
    return allPass_ || passes(store.cellUtf8(kStoreDone, row), store.cellUtf8(kStoreCategory, row));
}

// ---------------------------------------------------------------------------
// Searches

int FindDayRow(const Grid &t, int day, bool toFirst, const TaskFilter &filter)
{
    if (t.rowCount() <= 1)
        return -1;
    int lo = 1, hi = t.rowCount() - 1, mid = -1;
    bool hit = false;
    while (lo <= hi) {
        mid = lo + (hi - lo) / 2;
        const int d = keyDayOfRow(t, mid);
        if (d == day) {
            hit = true;
            break;
        }
        if (day < d)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    if (!hit)
        return -1;

    int found = -1;
    if (filter.rowPasses(t, mid)) {
        found = mid;
    } else {
        for (int r = mid + 1; r < t.rowCount() && keyDayOfRow(t, r) == day; ++r)
            if (filter.rowPasses(t, r)) {
                found = r;
                break;
            }
        if (found < 0)
            for (int r = mid - 1; r >= 1 && keyDayOfRow(t, r) == day; --r)
                if (filter.rowPasses(t, r)) {
                    found = r;
                    break;
                }
    }
    if (found > 0 && toFirst)
        for (int r = found - 1; r >= 1 && keyDayOfRow(t, r) == day; --r)
            if (filter.rowPasses(t, r))
                found = r;
    return found;
}

int CountDayRows(const Grid &t, int row, const TaskFilter &filter)
{
    const int day = keyDayOfRow(t, row);
    int n = 1;
    for (int r = row + 1; r < t.rowCount() && keyDayOfRow(t, r) == day; ++r)
        if (filter.rowPasses(t, r))
            ++n;
    return n;
}

int DayDoneState(const Grid &t, int day, bool wantDone, bool wantNotDone, int *firstRow,
                 const TaskFilter &filter)
{
    if (!wantDone && !wantNotDone)
        return -1;
    const int first = FindDayRow(t, day, true, filter);
    if (firstRow)
        *firstRow = first;
    if (first < 0)
        return -1;
    for (int r = first; r < t.rowCount() && keyDayOfRow(t, r) == day; ++r) {
        if (!filter.rowPasses(t, r))
            continue;
        const QByteArrayView done = t.cellUtf8(kStoreDone, r);
        if (wantDone && isYes(done))
            return 1;
        if (wantNotDone && isNo(done))
            return 2;
    }
    return -1;
}

// ---------------------------------------------------------------------------
// The store

TaskStore::TaskStore(const TaskFilter &filter, QString path)
    : filter_(filter), path_(std::move(path)), store_(NewStoreGrid())
{
}

namespace {

bool inStoreOrder(const Grid &store)
{
    // One key parse per row; whole rows are compared only where two keys
    // are equal in number.
    KeyParts prev{0, 0};
    for (int r = 1; r < store.rowCount(); ++r) {
        const KeyParts cur = keyParts(store.cellUtf8(kStoreKey, r));
        if (r > 1) {
            if (cur.day != prev.day || cur.position != prev.position) {
                if (cur.day < prev.day || (cur.day == prev.day && cur.position < prev.position))
                    return false;
            } else if (StoreRowLess(store.row(r), store.row(r - 1))) {
                return false;
            }
        }
        prev = cur;
    }
    return true;
}

void tidyTable(Grid &store)
{
    if (store.colCount() < kStoreCols)
        store.setColCount(kStoreCols);
    // Rows without a key are no tasks, and every sorted save drops them;
    // dropping them now also keeps a size line that claims millions of
    // empty rows from costing a sort of them.
    store.removeRowsIf(1, store.rowCount(), [](Grid::RowRef row) { return row.cell(kStoreKey).isEmpty(); });
    if (store.rowCount() < 2)
        store.setRowCount(2);
    // Tables written by other copies may use another order of keys the
    // binary search relies on; put them in order (the file follows at the
    // next save).
    if (!inStoreOrder(store))
        store.sortRows(1, store.rowCount(), StoreRowLess);
}

// Whether the first look holds exactly the table's rows of its days.
bool sameRows(const Grid &look, const Grid &table, int fromDay, int toDay)
{
    int r = FirstRowOnOrAfter(table, fromDay);
    int l = 1;
    for (; r < table.rowCount() && KeyDay(table.cellUtf8(kStoreKey, r)) <= toDay; ++r, ++l) {
        if (l >= look.rowCount())
            return false;
        for (int c = 0; c < std::max(table.colCount(), look.colCount()); ++c)
            if (table.cellUtf8(c, r) != look.cellUtf8(c, l))
                return false;
    }
    return l >= look.rowCount() || look.cellEmpty(kStoreKey, l);
}

}  // namespace

FileResult TaskStore::load()
{
    settle();
    FileResult r = LoadGridFile(store_, path_);
    if (r.damaged)
        saveBlocked_ = true;
    if (r.ok || r.partial)
        tidyLoadedTable();
    return r;
}

void TaskStore::tidyLoadedTable()
{
    tidyTable(store_);
    haveRead_ = false;
    readIds_.clear();
}

bool TaskStore::sorted() const { return inStoreOrder(store_); }

TaskStore::~TaskStore()
{
    if (go_)
        go_->set_value(false);
}

namespace {

// The rows of fromDay .. toDay straight from the file, or nothing when the
// file gives any doubt (ReadStoreSlice).
std::optional<Grid> ReadFirstLook(const QString &path, int fromDay, int toDay)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || f.size() <= 0)
        return std::nullopt;
    const qint64 size = f.size();
    uchar *bytes = f.map(0, size);
    if (!bytes)
        return std::nullopt;
    std::optional<Grid> g = ReadStoreSlice(QByteArrayView(reinterpret_cast<const char *>(bytes), size), fromDay, toDay);
    f.unmap(bytes);
    return g;
}

}  // namespace

void TaskStore::startLoad(std::function<void()> beforeLoad, bool held, std::pair<int, int> lookDays)
{
    settle();
    std::shared_future<bool> go;
    if (held) {
        go_.emplace();
        go = go_->get_future().share();
    }
    lookAhead_.reset();
    if (lookDays.first <= lookDays.second) {
        lookAhead_ = std::make_shared<LookAhead>();
        lookAhead_->days = lookDays;
    }
    loading_ = std::async(std::launch::async, [path = path_, beforeLoad = std::move(beforeLoad), go,
                                               look = lookAhead_] {
        // Unless this side has read it already, because the thread was
        // slow to get a processor.
        if (look && look->claim.exchange(LookAhead::kThread) == LookAhead::kNobody) {
            std::optional<Grid> g;
            try {
                g = ReadFirstLook(path, look->days.first, look->days.second);
            } catch (...) {
                g.reset();  // no first look: the window waits for the whole load
            }
            look->result.set_value(std::move(g));
        }
        if (go.valid() && !go.get())
            return Loaded{Grid(), FileResult::failure(u"The load was abandoned."_s), 0};
        if (beforeLoad)
            beforeLoad();
        QElapsedTimer timer;
        timer.start();
        Loaded l{NewStoreGrid(), FileResult::success(), 0};
        l.result = LoadGridFile(l.table, path);
        if (l.result.ok || l.result.partial)
            tidyTable(l.table);
        l.ms = timer.elapsed();
        return l;
    });
}

bool TaskStore::showFirstLook(int fromDay, int toDay)
{
    if (!loading_.valid())
        return false;
    std::optional<Grid> g;
    if (lookAhead_ && lookAhead_->days == std::pair(fromDay, toDay) &&
        lookAhead_->claim.exchange(LookAhead::kHere) == LookAhead::kThread)
        g = lookAhead_->result.get_future().get();
    else
        g = ReadFirstLook(path_, fromDay, toDay);
    lookAhead_.reset();
    if (!g)
        return false;
    look_ = std::move(g);
    lookFrom_ = fromDay;
    lookTo_ = toDay;
    return true;
}

void TaskStore::releaseLoad()
{
    if (!go_)
        return;
    go_->set_value(true);
    go_.reset();
}

void TaskStore::settle()
{
    if (!loading_.valid())
        return;
    releaseLoad();
    lookAhead_.reset();
    Loaded l;
    try {
        l = loading_.get();
    } catch (const std::exception &e) {
        l.result = FileResult::failure(
            u"%1 could not be read: %2"_s.arg(QDir::toNativeSeparators(path_), QString::fromLocal8Bit(e.what())));
    }
    store_ = std::move(l.table);
    loadMs_ = l.ms;
    // Whatever did not load whole is never saved over: a damaged file until
    // the person agrees, an unreadable one at all.
    if (!l.result.ok)
        saveBlocked_ = true;
    loadResult_ = std::move(l.result);
    if (look_) {
        lookDiffered_ = !sameRows(*look_, store_, lookFrom_, lookTo_);
        look_.reset();
    }
    // A day list read from the first look writes back over the rows of the
    // whole table it stood for.
    if (haveRead_ && readFromLook_) {
        Grid scratch = NewDayGrid();
        readDay(store_, readDay_, scratch);
    }
    readFromLook_ = false;
}

std::optional<FileResult> TaskStore::takeLoadResult()
{
    settle();
    std::optional<FileResult> r = std::move(loadResult_);
    loadResult_.reset();
    return r;
}

namespace {

// A task's cells, its key aside.
void setTaskCells(Grid &store, int row, const StoredTask &t)
{
    store.setCell(kStoreTime, row, t.time);
    store.setCell(kStoreCategory, row, t.category);
    store.setCell(kStoreNotes, row, t.notes);
    store.setCell(kStoreDone, row, t.done);
    store.setCell(kStoreAlarm, row, t.alarm);
}

}  // namespace

std::uint64_t TaskStore::insertTask(int day, const StoredTask &t)
{
    settle();
    store_.insertRows(1, 1);
    store_.setCell(kStoreKey, 1, MakeStoreKey(day, 100));
    setTaskCells(store_, 1, t);
    return store_.rowId(1);
}

void TaskStore::insertTasks(const std::vector<DatedTask> &tasks)
{
    settle();
    if (tasks.empty())
        return;
    // One insertion of all the rows: inserting them one at a time at row 1
    // would move every row of a large store once per task.
    store_.insertRows(1, int(tasks.size()));
    int row = 1;
    for (const DatedTask &t : tasks) {
        store_.setCell(kStoreKey, row, MakeStoreKey(t.day, 100));
        setTaskCells(store_, row, t.task);
        ++row;
    }
}

bool TaskStore::removeTask(std::uint64_t id)
{
    settle();
    if (id == 0)
        return false;
    const int n = store_.removeRowsIf(1, store_.rowCount(), [id](Grid::RowRef r) { return r.id() == id; });
    if (store_.rowCount() < 2)
        store_.setRowCount(2);
    return n > 0;
}

int TaskStore::changeTasks(const std::vector<TaskChange> &changes)
{
    settle();
    std::unordered_map<std::uint64_t, const DatedTask *> byId;
    for (const TaskChange &c : changes)
        if (c.id != 0)
            byId.emplace(c.id, &c.task);
    int n = 0;
    for (int r = 1; r < store_.rowCount() && n < int(byId.size()); ++r) {
        if (!store_.rowHasStorage(r))
            continue;
        const auto it = byId.find(store_.rowId(r));
        if (it == byId.end())
            continue;
        const DatedTask &t = *it->second;
        if (KeyDay(store_.cellUtf8(kStoreKey, r)) != t.day)
            store_.setCell(kStoreKey, r, MakeStoreKey(t.day, 100));
        setTaskCells(store_, r, t.task);
        ++n;
    }
    return n;
}

int TaskStore::removeTasks(const std::vector<std::uint64_t> &ids)
{
    settle();
    const std::unordered_set<std::uint64_t> gone(ids.begin(), ids.end());
    const int n = store_.removeRowsIf(1, store_.rowCount(), [&](Grid::RowRef r) { return gone.count(r.id()) > 0; });
    if (store_.rowCount() < 2)
        store_.setRowCount(2);
    return n;
}

namespace {

// Whether a store row is the task or one of its repeats.
struct RepeatMatch {
    int fromDay;
    QByteArray category, notes, done;
    bool operator()(Grid::RowRef r) const
    {
        const QByteArrayView key = r.cell(kStoreKey);
        return !key.isEmpty() && KeyDay(key) >= fromDay && r.cell(kStoreCategory) == category &&
               r.cell(kStoreNotes) == notes && r.cell(kStoreDone) == done;
    }
};

}  // namespace

int TaskStore::countRepeats(int fromDay, QStringView category, QStringView notes, QStringView done) const
{
    settled();
    const RepeatMatch match{fromDay, category.toUtf8(), notes.toUtf8(), done.toUtf8()};
    // The store is sorted by day: start at the first row of that day.
    int n = 0;
    for (int r = firstRowOfDayOrAfter(fromDay); r < store_.rowCount(); ++r)
        n += match(store_.row(r)) ? 1 : 0;
    return n;
}

int TaskStore::removeRepeats(int fromDay, QStringView category, QStringView notes, QStringView done)
{
    settle();
    const RepeatMatch match{fromDay, category.toUtf8(), notes.toUtf8(), done.toUtf8()};
    const int n = store_.removeRowsIf(1, store_.rowCount(), match);
    if (store_.rowCount() < 2)
        store_.setRowCount(2);
    return n;
}

void TaskStore::replaceTable(Grid table)
{
    settle();
    // An archive is a task file like any other: it gets the same order.
    store_ = std::move(table);
    saveBlocked_ = false;
    tidyLoadedTable();
}

void TaskStore::putBack(Grid table)
{
    settle();
    // Exactly as it was, in its order and with its rows: it was this
    // store's table before, so it needs no tidying, and tidying could make
    // it differ from the state the history knows.
    store_ = std::move(table);
    haveRead_ = false;
    readIds_.clear();
}

int TaskStore::removeRows(const std::vector<int> &rows)
{
    settle();
    std::unordered_set<std::uint64_t> ids;
    for (int r : rows)
        if (r >= 1 && r < store_.rowCount() && store_.rowHasStorage(r))
            ids.insert(store_.rowId(r));
    const int n = store_.removeRowsIf(1, store_.rowCount(), [&](Grid::RowRef r) { return ids.count(r.id()) > 0; });
    if (store_.rowCount() < 2)
        store_.setRowCount(2);
    return n;
}

void TaskStore::readFromStore(int day, Grid &dayList)
{
    settle();
    readFromLook_ = false;
    readDay(store_, day, dayList);
}

void TaskStore::readFirstLook(int day, Grid &dayList)
{
    readFromLook_ = look_.has_value();
    readDay(firstLook(), day, dayList);
}

void TaskStore::readDay(const Grid &table, int day, Grid &dayList)
{
    if (dayList.colCount() < kDayCols)
        dayList.setColCount(kDayCols);
    haveRead_ = true;
    readDay_ = day;
    readIds_.clear();
    const int first = FindDayRow(table, day, true, filter_);
    if (first <= 0) {
        dayList.setRowCount(2);
        ClearGridBody(dayList);
        return;
    }
    const int n = CountDayRows(table, first, filter_);
    dayList.setRowCount(std::max(2, n + 1));
    ClearGridBody(dayList);
    int j = 1;
    for (int i = first; i < table.rowCount() && keyDayOfRow(table, i) == day; ++i) {
        if (!filter_.rowPasses(table, i))
            continue;
        for (int c = kStoreTime; c <= kStoreAlarm; ++c)
            dayList.setCellUtf8(c - 1, j, table.cellUtf8(c, i));
        readIds_.push_back(table.rowId(i));
        ++j;
    }
}

int FirstRowOnOrAfter(const Grid &t, int day)
{
    int lo = 1, hi = t.rowCount();
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        if (keyDayOfRow(t, mid) < day)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

int TaskStore::firstRowOfDayOrAfter(int day) const { return FirstRowOnOrAfter(store_, day); }

FileResult TaskStore::writeToStore(int day, const Grid &dayList)
{
    settle();
    // The day's rows: replace those the last read handed to the day list and
    // keep the rest (hidden by the filter then, or put in since).
    const int first = firstRowOfDayOrAfter(day);
    int last = first;
    while (last < store_.rowCount() && keyDayOfRow(store_, last) == day)
        ++last;
    if (haveRead_ && readDay_ == day && !readIds_.empty()) {
        std::sort(readIds_.begin(), readIds_.end());
        last -= store_.removeRowsIf(first, last, [&](Grid::RowRef r) {
            return std::binary_search(readIds_.begin(), readIds_.end(), r.id());
        });
    }

    // The day list's tasks go in as one block after them, keyed by their
    // place in the list; a free day-list row leaves nothing in the store.
    int count = 0;
    for (int j = 1; j < dayList.rowCount(); ++j)
        count += dayList.cellEmpty(kDayTime, j) ? 0 : 1;
    readIds_.clear();
    if (count > 0) {
        store_.insertRows(last, count);
        int i = last;
        for (int j = 1; j < dayList.rowCount(); ++j) {
            if (dayList.cellEmpty(kDayTime, j))
                continue;
            store_.setCell(kStoreKey, i, MakeStoreKey(day, 100 + j));
            for (int c = kDayTime; c <= kDayAlarm; ++c)
                store_.setCellUtf8(c + 1, i, dayList.cellUtf8(c, j));
            readIds_.push_back(store_.rowId(i));
            ++i;
        }
        // Only this day can be out of order now.
        store_.sortRows(first, last + count, StoreRowLess);
    }
    haveRead_ = true;
    readDay_ = day;
    return SortGridStore();
}

FileResult TaskStore::SortGridStore()
{
    settle();
    store_.removeRowsIf(1, store_.rowCount(), [](Grid::RowRef r) { return r.cell(kStoreKey).isEmpty(); });
    if (store_.rowCount() < 2)
        store_.setRowCount(2);
    if (!sorted())
        store_.sortRows(1, store_.rowCount(), StoreRowLess);
    return save();
}

FileResult TaskStore::save()
{
    settle();
    if (saveBlocked_)
        return FileResult::failure(
            u"%1 was damaged when it was loaded, so it was not saved over."_s.arg(
                QDir::toNativeSeparators(path_)));
    if (beforeSave_)
        beforeSave_();
    return SaveGridFile(store_, path_);
}

}  // namespace morvane
