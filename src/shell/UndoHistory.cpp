#include "UndoHistory.h"

#include <QUndoCommand>

namespace morvane {

std::size_t TablesChange::bytes() const
{
    std::size_t n = 0;
    for (const std::optional<TableChange> *c : {&store, &todo, &completed})
        if (*c)
            n += (*c)->bytes();
    if (holidayFile)
        n += std::size_t(holidayFile->before.value_or(QByteArray()).size() +
                         holidayFile->after.value_or(QByteArray()).size());
    return n;
}

namespace {

// A change that starts from a table other than the one the history last saw:
// that table was changed some other way in between.
bool ChangedElsewhere(const std::optional<TableChange> &c, const std::optional<std::uint64_t> &seen)
{
    return c && seen && c->digestBefore() != seen;
}

}  // namespace

// A step shares its change, so that the history can be rebuilt without the
// oldest steps (QUndoStack drops old steps by count only).
class UndoHistory::Step : public QUndoCommand {
public:
    Step(const QString &name, std::shared_ptr<const TablesChange> change, UndoHistory &history)
        : QUndoCommand(name), change_(std::move(change)), bytes_(change_->bytes()), history_(history)
    {
    }
    // The command ran before it was recorded: the first redo, which
    // QUndoStack::push makes, has nothing to do. Nor has a step while the
    // stack is being made again.
    void redo() override
    {
        if (ran_ && !history_.quiet_)
            history_.putBack_(*change_, true);
        ran_ = true;
    }
    void undo() override
    {
        if (!history_.quiet_)
            history_.putBack_(*change_, false);
    }
    const std::shared_ptr<const TablesChange> &change() const { return change_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::shared_ptr<const TablesChange> change_;
    std::size_t bytes_;
    UndoHistory &history_;
    bool ran_ = false;
};

UndoHistory::UndoHistory(PutBack putBack, int limit, std::size_t byteLimit)
    : putBack_(std::move(putBack)), byteLimit_(byteLimit)
{
    stack_.setUndoLimit(limit);
}

void UndoHistory::record(const QString &name, TablesChange change)
{
    if (change.empty())
        return;
    // A table that is not as the history last saw it was changed some other
    // way: no older step may be taken back over that.
    if (ChangedElsewhere(change.store, lastSeen_.store) || ChangedElsewhere(change.todo, lastSeen_.todo) ||
        ChangedElsewhere(change.completed, lastSeen_.completed))
        stack_.clear();
    if (change.store)
        lastSeen_.store = change.store->digestAfter();
    if (change.todo)
        lastSeen_.todo = change.todo->digestAfter();
    if (change.completed)
        lastSeen_.completed = change.completed->digestAfter();
    stack_.push(new Step(name, std::make_shared<const TablesChange>(std::move(change)), *this));
    keepWithinBytes();
}

const TablesChange *UndoHistory::nextUndo() const
{
    const auto *s = dynamic_cast<const Step *>(stack_.command(stack_.index() - 1));
    return s ? s->change().get() : nullptr;
}

const TablesChange *UndoHistory::nextRedo() const
{
    const auto *s = dynamic_cast<const Step *>(stack_.command(stack_.index()));
    return s ? s->change().get() : nullptr;
}

std::size_t UndoHistory::bytes() const
{
    std::size_t n = 0;
    for (int i = 0; i < stack_.count(); ++i)
        n += static_cast<const Step *>(stack_.command(i))->bytes();
    return n;
}

void UndoHistory::keepWithinBytes()
{
    // Called right after a push, so every step is done (index == count) and
    // the newest is kept even when it alone is over the limit.
    std::size_t total = bytes();
    int first = 0;
    while (total > byteLimit_ && first < stack_.count() - 1)
        total -= static_cast<const Step *>(stack_.command(first++))->bytes();
    if (first == 0)
        return;
    std::vector<Kept> kept;
    for (int i = first; i < stack_.count(); ++i) {
        const auto *s = static_cast<const Step *>(stack_.command(i));
        kept.emplace_back(s->text(), s->change());
    }
    rebuild(kept, int(kept.size()));
}

void UndoHistory::rebuild(const std::vector<Kept> &steps, int done)
{
    // Clearing changes no table; the steps pushed again are done already,
    // and those set back to undone are so already too.
    quiet_ = true;
    stack_.clear();
    for (const auto &[name, change] : steps)
        stack_.push(new Step(name, change, *this));
    stack_.setIndex(done);
    quiet_ = false;
}

int UndoHistory::carryOver(const std::optional<TableChange> &store, const std::optional<TableChange> &todo,
                           const std::optional<TableChange> &completed, TableChange::Less storeLess)
{
    if (!store && !todo && !completed)
        return 0;
    const int before = stack_.count();
    // Tables already changed some other way have left the history behind.
    if (ChangedElsewhere(store, lastSeen_.store) || ChangedElsewhere(todo, lastSeen_.todo) ||
        ChangedElsewhere(completed, lastSeen_.completed))
        stack_.clear();
    if (store)
        lastSeen_.store = store->digestAfter();
    if (todo)
        lastSeen_.todo = todo->digestAfter();
    if (completed)
        lastSeen_.completed = completed->digestAfter();
    if (stack_.count() == 0)
        return before;

    std::vector<std::pair<QString, TablesChange>> steps;
    for (int i = 0; i < stack_.count(); ++i) {
        const auto *s = static_cast<const Step *>(stack_.command(i));
        steps.emplace_back(s->text(), *s->change());
    }
    const int index = stack_.index();
    // One table's step carried over the changes as they stand where it
    // meets them; the changes then carried past the step, for the next one.
    // A step of Undo meets them at its end, so it is carried over them
    // turned round.
    auto carry = [](std::optional<TableChange> &step, std::optional<TableChange> &changes, bool undo,
                    TableChange::Less less) {
        if (!step || !changes)
            return true;
        auto over = TableChange::rebase(undo ? step->reversed() : *step, *changes, less);
        if (!over)
            return false;
        step = undo ? over->first.reversed() : std::move(over->first);
        changes = std::move(over->second);
        return true;
    };
    int first = 0, end = int(steps.size());
    std::optional<TableChange> s = store, t = todo, l = completed;
    for (int i = index - 1; i >= 0; --i) {
        TablesChange &c = steps[std::size_t(i)].second;
        if (!carry(c.store, s, true, storeLess) || !carry(c.todo, t, true, nullptr) ||
            !carry(c.completed, l, true, nullptr)) {
            first = i + 1;
            break;
        }
    }
    s = store;
    t = todo;
    l = completed;
    for (int i = index; i < end; ++i) {
        TablesChange &c = steps[std::size_t(i)].second;
        if (!carry(c.store, s, false, storeLess) || !carry(c.todo, t, false, nullptr) ||
            !carry(c.completed, l, false, nullptr)) {
            end = i;
            break;
        }
    }
    std::vector<Kept> kept;
    for (int i = first; i < end; ++i)
        kept.emplace_back(steps[std::size_t(i)].first,
                          std::make_shared<const TablesChange>(std::move(steps[std::size_t(i)].second)));
    rebuild(kept, index - first);
    return before - int(kept.size());
}

}  // namespace morvane
