#pragma once
// A small store and to-do list for the output tests: tasks either side of
// March 2001 and in it, with commas, quotes, line breaks, markup, an empty
// category and an accented one; and the golden files they are checked
// against.

#include "TaskTables.h"
#include "TestFiles.h"

#include <QStringList>
#include <ostream>

namespace morvane {

inline Grid SmallStore()
{
    struct Row {
        const char *key, *time, *category, *notes, *done, *alarm;
    };
    const Row rows[] = {
        {"36950.101", "8:00 AM", "Work", "End of February", "No", "No"},                  // 2/28/2001
        {"36951.101", "9:00 AM", "Work", "Call Ann, then Bob", "No", "No"},               // 3/1/2001
        {"36951.102", "10:30 AM", "", "Say \"hi\"", "Yes", "Yes"},
        {"36955.101", "11:00 AM", "Hidden", "Secret", "No", "No"},                        // 3/5/2001
        {"36955.102", "2:00 PM", "Home", "Line one\r\nLine two\r\n", "No", "No"},
        {"36957.101", "5:00 PM", "Caf\xc3\xa9", "<script>alert('x')</script> & more", "No", "Yes"},  // 3/7/2001
        {"36982.101", "7:00 AM", "Home", "April fool", "Yes", "No"},                      // 4/1/2001
    };
    Grid g = NewStoreGrid();
    g.setRowCount(int(std::size(rows)) + 1);
    int r = 1;
    for (const Row &row : rows) {
        const char *cells[] = {row.key, row.time, row.category, row.notes, row.done, row.alarm};
        for (int c = 0; c < kStoreCols; ++c)
            g.setCell(c, r, QString::fromUtf8(cells[c]));
        ++r;
    }
    return g;
}

inline Grid SmallTodo()
{
    Grid g = NewTodoGrid();
    g.setRowCount(5);
    const char *rows[][3] = {
        {"Shop", "Buy milk", "No"},
        {"", "Fix \"door\", soon", "Yes"},
        {"", "", ""},  // a blank row of the list
        {"Hidden", "Secret to-do", "No"},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < kTodoCols; ++c)
            g.setCell(c, r + 1, QString::fromUtf8(rows[r][c]));
    return g;
}

// A filter that hides the category "Hidden".
inline TaskFilter HidingFilter()
{
    TaskFilter f;
    f.setCategories({{QStringLiteral("Hidden"), false}, {QStringLiteral("Work"), true}});
    return f;
}

inline QByteArray Golden(const QString &name)
{
    return readBytes(QStringLiteral(MORVANE_OUTPUT_GOLDEN "/") + name);
}

// The rows of a grid, cell by cell, for comparisons with readable failures.
inline QList<QStringList> Rows(const Grid &g)
{
    QList<QStringList> rows;
    for (int r = 0; r < g.rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < g.colCount(); ++c)
            cells << g.cell(c, r);
        rows << cells;
    }
    return rows;
}

}  // namespace morvane


