#pragma once
// A list as the writers and the printer read it: rows of UTF-8 cells, row 0
// the header. A Grid is one; the combined list of the store is another,
// read straight from the store so that exporting a large store copies no
// cell.

#include "Grid.h"

#include <QByteArrayView>

namespace morvane {

class ListSource {
public:
    virtual ~ListSource() = default;
    virtual int colCount() const = 0;
    virtual int rowCount() const = 0;
    // Valid until the list or what it reads changes.
    virtual QByteArrayView cellUtf8(int col, int row) const = 0;
};

class GridListSource final : public ListSource {
public:
    explicit GridListSource(const Grid &grid) : grid_(grid) {}
    int colCount() const override { return grid_.colCount(); }
    int rowCount() const override { return grid_.rowCount(); }
    QByteArrayView cellUtf8(int col, int row) const override { return grid_.cellUtf8(col, row); }

private:
    const Grid &grid_;
};

}  // namespace morvane
