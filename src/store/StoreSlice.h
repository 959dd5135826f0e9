#pragma once
// The rows of a few days of the task store, read straight from the bytes of
// its file without reading the rest: what the window paints first while the
// whole file loads.

#include "Grid.h"

#include <QByteArrayView>
#include <optional>

namespace morvane {

// The rows whose key day lies in fromDay .. toDay, in a table of the store's
// columns (row 0 empty, the rows from 1 in file order), found by a binary
// search over the cell lines of a file in store order. Nothing when the
// bytes give any doubt that the whole load would show the same rows there:
// a layout the program does not write (byte-order marks, a last line
// without its end, lines that are not cell lines, NUL bytes, text that is
// not UTF-8, cells beyond the size line), or rows, keys or cells out of
// order where the search looked.
std::optional<Grid> ReadStoreSlice(QByteArrayView file, int fromDay, int toDay);

}  // namespace morvane
