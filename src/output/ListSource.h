#pragma once
// A list as the writers and the printer read it: rows of UTF-8 cells, row 0
// the header. A Grid is one; the combined list of the store is another,
// read straight from the store so that exporting a large store copies no
// cell.

#include "Grid.h"

#include <QByteArrayView>
#include <algorithm>
#include <vector>

namespace morvane {

class ListSource {
public:
    virtual ~ListSource() = default;
    virtual int colCount() const = 0;
    virtual int rowCount() const = 0;
    // Valid until the list or what it reads changes.
    virtual QByteArrayView cellUtf8(int col, int row) const = 0;
    // Whether the column holds free text (a task's notes): a web page lets
    // such a cell wrap, where a time or a flag stays on one line.
    virtual bool isNotesColumn(int /*col*/) const { return false; }
};

class GridListSource final : public ListSource {
public:
    explicit GridListSource(const Grid &grid, std::vector<int> notesColumns = {})
        : grid_(grid), notes_(std::move(notesColumns))
    {
    }
    int colCount() const override { return grid_.colCount(); }
    int rowCount() const override { return grid_.rowCount(); }
    QByteArrayView cellUtf8(int col, int row) const override { return grid_.cellUtf8(col, row); }
    bool isNotesColumn(int col) const override { return std::find(notes_.begin(), notes_.end(), col) != notes_.end(); }

private:
    const Grid &grid_;
    std::vector<int> notes_;
};

}  // namespace morvane
