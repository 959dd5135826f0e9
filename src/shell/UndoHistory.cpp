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

// A step shares its change, so that the history can be rebuilt without the
// oldest steps (QUndoStack drops old steps by count only).
class UndoHistory::Step : public QUndoCommand {
public:
    Step(const QString &name, std::shared_ptr<const TablesChange> change, const PutBack &putBack)
        : QUndoCommand(name), change_(std::move(change)), bytes_(change_->bytes()), putBack_(putBack)
    {
    }
    // The command ran before it was recorded: the first redo, which
    // QUndoStack::push makes, has nothing to do.
    void redo() override
    {
        if (ran_)
            putBack_(*change_, true);
        ran_ = true;
    }
    void undo() override { putBack_(*change_, false); }
    const std::shared_ptr<const TablesChange> &change() const { return change_; }
    std::size_t bytes() const { return bytes_; }

private:
    std::shared_ptr<const TablesChange> change_;
    std::size_t bytes_;
    const PutBack &putBack_;
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
    stack_.push(new Step(name, std::make_shared<const TablesChange>(std::move(change)), putBack_));
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
    std::vector<std::pair<QString, std::shared_ptr<const TablesChange>>> kept;
    for (int i = first; i < stack_.count(); ++i) {
        const auto *s = static_cast<const Step *>(stack_.command(i));
        kept.emplace_back(s->text(), s->change());
    }
    // Clearing changes no table; the steps pushed again are done already.
    stack_.clear();
    for (auto &[name, change] : kept)
        stack_.push(new Step(name, change, putBack_));
}

}  // namespace morvane
