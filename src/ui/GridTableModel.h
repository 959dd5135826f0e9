#pragma once
// A table view's model over a Grid: the grid's row 0 gives the headings, its
// body rows are the view's rows. The grid stays the owner of the text; the
// model only shows it (through an optional display function).

#include "Grid.h"
#include "Utility.h"

#include <QAbstractTableModel>
#include <functional>

namespace morvane {

class GridTableModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Text shown for a cell; by default the cell itself.
    using Display = std::function<QString(int col, int gridRow, const QString &text)>;

    explicit GridTableModel(Grid &grid, QObject *parent = nullptr) : QAbstractTableModel(parent), grid_(grid) {}

    void setDisplay(Display d) { display_ = std::move(d); }
    // Rows that can be selected; by default every row.
    void setSelectable(std::function<bool(int gridRow)> f) { selectable_ = std::move(f); }
    Qt::ItemFlags flags(const QModelIndex &index) const override
    {
        if (!index.isValid())
            return Qt::NoItemFlags;
        if (selectable_ && !selectable_(index.row() + 1))
            return Qt::ItemIsEnabled;
        return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    }
    Grid &grid() { return grid_; }
    // Call after the grid changed underneath.
    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : std::max(0, grid_.rowCount() - 1);
    }
    int columnCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : grid_.colCount(); }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
            return {};
        // A cell is shown cut when it is too long to lay out.
        const QString text = ShownText(grid_.cellUtf8(index.column(), index.row() + 1));
        return display_ ? display_(index.column(), index.row() + 1, text) : text;
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Horizontal && role == Qt::DisplayRole)
            return ShownText(grid_.cellUtf8(section, 0));
        return QAbstractTableModel::headerData(section, o, role);
    }

private:
    Grid &grid_;
    Display display_;
    std::function<bool(int)> selectable_;
};

}  // namespace morvane
