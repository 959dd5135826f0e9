// The "Category list" page: every category with its counts, sorted by a
// click on a heading.

#include "ChartWindow.h"

#include "GridTableModel.h"

#include <QHeaderView>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// The category list: counts are right-aligned.
class CategoryModel final : public GridTableModel {
public:
    using GridTableModel::GridTableModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment((index.column() > 0 ? Qt::AlignRight : Qt::AlignLeft) |
                                                     Qt::AlignVCenter));
        return GridTableModel::data(index, role);
    }
};

}  // namespace

void TfrmChart::makeCategoryList()
{
    tbCatGrid = new QWidget;
    tbCatGrid->setObjectName(u"tbCatGrid"_s);
    catModel_ = new CategoryModel(gridCat_, this);
    gridCat = new QTableView(tbCatGrid);
    gridCat->setObjectName(u"gridCat"_s);
    gridCat->setModel(catModel_);
    gridCat->setSelectionBehavior(QAbstractItemView::SelectRows);
    gridCat->setSelectionMode(QAbstractItemView::SingleSelection);
    gridCat->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gridCat->verticalHeader()->hide();
    gridCat->verticalHeader()->setDefaultSectionSize(20);
    QHeaderView *h = gridCat->horizontalHeader();
    h->setSectionsClickable(true);
    h->setSortIndicatorShown(true);
    h->setHighlightSections(false);
    h->setSortIndicator(-1, Qt::AscendingOrder);
    const int widths[] = {296, 98, 81, 86};
    for (int c = 0; c < 4; ++c)
        gridCat->setColumnWidth(c, widths[c]);
    connect(h, &QHeaderView::sectionClicked, this, [this](int c) { gridCatHeaderClick(c); });
    auto *l = new QVBoxLayout(tbCatGrid);
    l->setContentsMargins(2, 2, 2, 2);
    l->addWidget(gridCat);
    PageControl1->addTab(tbCatGrid, u"Category list"_s);
}

void TfrmChart::fillCategoryList()
{
    gridCat_ = CategoryGrid(readings_.categories);
    catModel_->reload();
    // The plot leaves the list in top-ten order.
    catSortColumn_ = 1;
    catSortAscending_ = false;
    gridCat->horizontalHeader()->setSortIndicator(1, Qt::DescendingOrder);
}

void TfrmChart::gridCatHeaderClick(int column)
{
    if (column == catSortColumn_) {
        catSortAscending_ = !catSortAscending_;
    } else {
        // Another column sorts from its smallest value first.
        catSortColumn_ = column;
        catSortAscending_ = true;
    }
    SortCategoryGrid(gridCat_, column, catSortAscending_);
    catModel_->reload();
    gridCat->horizontalHeader()->setSortIndicator(column, catSortAscending_ ? Qt::AscendingOrder
                                                                              : Qt::DescendingOrder);
}

}  // namespace morvane
