#pragma once
// The history of the run's changes to the task tables, for Edit > Undo and
// Redo. Each step holds what one command did to each table it changed (the
// rows out and in, not copies of the tables). The steps are kept in a
// QUndoStack, at most `limit` of them and about `byteLimit` bytes in all, the
// oldest going first. History is not kept beyond the run.

#include "TableChange.h"

#include <QByteArray>
#include <cstdint>
#include <QString>
#include <QUndoStack>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

namespace morvane {

// What one command did to each table it changed.
struct TablesChange {
    std::optional<TableChange> store, todo, completed;
    // The holiday file is small and written by its own window: it is kept
    // whole, byte for byte (none: there was no file).
    struct FileChange {
        std::optional<QByteArray> before, after;
    };
    std::optional<FileChange> holidayFile;
    bool empty() const { return !store && !todo && !completed && !holidayFile; }
    std::size_t bytes() const;
};

class UndoHistory {
public:
    // Puts the tables into the state before the change (forward false) or
    // after it (forward true), saving them as any change is saved.
    using PutBack = std::function<void(const TablesChange &, bool forward)>;

    static constexpr int kLimit = 100;
    static constexpr std::size_t kByteLimit = std::size_t(64) << 20;

    explicit UndoHistory(PutBack putBack, int limit = kLimit, std::size_t byteLimit = kByteLimit);

    QUndoStack &stack() { return stack_; }
    // Keeps a command that has already run under its name ("Delete task").
    void record(const QString &name, TablesChange change);
    // The change the next Undo would take back, or the next Redo make again;
    // null when there is none.
    const TablesChange *nextUndo() const;
    const TablesChange *nextRedo() const;
    void clear() { stack_.clear(); }
    std::size_t bytes() const;

    // The fingerprints of the store, the to-do table and the completed log
    // as the history last saw them: as a step left them, as an undo or redo put them, or as a
    // sync's changes made them. A step carried over a sync's changes no
    // longer knows the fingerprint of the tables it meets, and is checked
    // against these instead; the window keeps them as it puts tables back.
    struct Fingerprints {
        std::optional<std::uint64_t> store, todo, completed;
    };
    Fingerprints &lastSeen() { return lastSeen_; }
    const Fingerprints &lastSeen() const { return lastSeen_; }

    // Changes made to the tables outside the history (a sync bringing the
    // server's changes; the completed log's and the to-do list's rows keep
    // no order but their own): every step is carried over them,
    // so that it still takes back or makes again just what its command did.
    // A step that touched a row the changes also touched cannot be, and goes
    // with the steps beyond it (older ones for Undo, later ones for Redo).
    // Returns how many steps went.
    int carryOver(const std::optional<TableChange> &store, const std::optional<TableChange> &todo,
                  const std::optional<TableChange> &completed, TableChange::Less storeLess);

private:
    class Step;
    using Kept = std::pair<QString, std::shared_ptr<const TablesChange>>;
    void keepWithinBytes();
    // The stack made again from `steps` without running any of them, the
    // first `done` of them done.
    void rebuild(const std::vector<Kept> &steps, int done);

    PutBack putBack_;
    std::size_t byteLimit_;
    QUndoStack stack_;
    Fingerprints lastSeen_;
    bool quiet_ = false;
};

}  // namespace morvane
