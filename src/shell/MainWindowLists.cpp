// The day list, its notes pane and the to-do list.

#include "MainWindow.h"

#include "CalendarRules.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"
#include "OptionsDialog.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHash>
#include <QHeaderView>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// Cells wrap their words, sit in the middle of their row, and are struck out
// when their task is done (with the option on).
class TaskCellDelegate : public QStyledItemDelegate {
public:
    TaskCellDelegate(std::function<bool(int gridRow)> struck, QObject *parent)
        : QStyledItemDelegate(parent), struck_(std::move(struck))
    {
    }

protected:
    void initStyleOption(QStyleOptionViewItem *o, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(o, index);
        o->features |= QStyleOptionViewItem::WrapText;
        o->displayAlignment = Qt::AlignLeft | Qt::AlignVCenter;
        if (struck_(index.row() + 1))
            o->font.setStrikeOut(true);
    }

private:
    std::function<bool(int)> struck_;
};

QTableView *makeList(const QString &name, GridTableModel *model, QWidget *parent)
{
    auto *v = new QTableView(parent);
    v->setObjectName(name);
    v->setModel(model);
    v->setSelectionBehavior(QAbstractItemView::SelectRows);
    v->setSelectionMode(QAbstractItemView::SingleSelection);
    v->setEditTriggers(QAbstractItemView::NoEditTriggers);
    v->verticalHeader()->hide();
    v->setWordWrap(true);
    v->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    v->horizontalHeader()->setSectionsClickable(true);
    v->horizontalHeader()->setSortIndicatorShown(true);
    v->horizontalHeader()->setHighlightSections(false);
    v->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    v->setMinimumHeight(1);
    return v;
}

}  // namespace

// A list shows its selection in the highlight colours only while it has
// the focus.
void TfrmMain::showListSelection(QTableView *v, bool focused)
{
    QPalette p = v->palette();
    const QPalette app = QApplication::palette();
    p.setColor(QPalette::Highlight, focused ? app.color(QPalette::Highlight) : app.color(QPalette::Base));
    p.setColor(QPalette::HighlightedText,
               focused ? app.color(QPalette::HighlightedText) : app.color(QPalette::Text));
    v->setPalette(p);
}

void TfrmMain::buildLists()
{
    // Right of the calendars: the day heading, then the day list over its notes.
    auto *dayLayout = static_cast<QVBoxLayout *>(splitDay_->parentWidget()->layout());
    lblDate_ = new ShadowLabel(splitDay_->parentWidget());
    lblDate_->setObjectName(u"lblDate"_s);
    lblDate_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    lblDate_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);  // a long heading never widens the pane
    dayLayout->insertWidget(0, lblDate_);

    dayModel_ = new GridTableModel(gridDay_, this);
    tvDay_ = makeList(u"gridDay"_s, dayModel_, pnlDayList_);
    tvDay_->setItemDelegate(new TaskCellDelegate(
        [this](int r) { return options_.strikeOut && gridDay_.cellUtf8(kDayDone, r) == "Yes"; }, tvDay_));
    // A row without a task (an empty day's one row) is never drawn selected.
    dayModel_->setSelectable([this](int r) { return !gridDay_.cellEmpty(kDayTime, r); });
    auto *dl = new QVBoxLayout(pnlDayList_);
    dl->setContentsMargins(0, 0, 0, 0);
    dl->addWidget(tvDay_);

    memWhat_ = new QPlainTextEdit(pnlNotes_);
    memWhat_->setObjectName(u"memWhat"_s);
    memWhat_->setFrameShape(QFrame::NoFrame);
    memWhat_->setTabChangesFocus(true);
    memWhat_->setFocusPolicy(Qt::ClickFocus);  // Tab passes it by
    memWhat_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    memWhat_->hide();
    // The splitters may make the panes as small as the person likes.
    memWhat_->setMinimumHeight(1);
    auto *nl = new QVBoxLayout(pnlNotes_);
    nl->setContentsMargins(0, 0, 0, 0);
    nl->addWidget(memWhat_);
    connect(memWhat_->document(), &QTextDocument::modificationChanged, this,
            [this](bool changed) { memDirty_ = memDirty_ || changed; });

    // Below: the to-do heading and list.
    EsLabel1_ = new ShadowLabel(pnlTodo_);
    EsLabel1_->setObjectName(u"EsLabel1"_s);
    EsLabel1_->setText(ToDoHeading(gridNonday_.rowCount()));
    EsLabel1_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    todoModel_ = new GridTableModel(gridNonday_, this);
    tvNonday_ = makeList(u"gridNonday"_s, todoModel_, pnlTodo_);
    tvNonday_->setItemDelegate(new TaskCellDelegate(
        [this](int r) { return options_.strikeOut && gridNonday_.cellUtf8(kTodoDone, r) == "Yes"; }, tvNonday_));
    todoModel_->setSelectable([this](int r) { return TodoRowHoldsTask(gridNonday_, r); });
    auto *tl = new QVBoxLayout(pnlTodo_);
    tl->setContentsMargins(0, 0, 0, 0);
    tl->setSpacing(0);
    tl->addWidget(EsLabel1_);
    tl->addWidget(tvNonday_, 1);

    for (QTableView *v : {tvDay_, tvNonday_})
        showListSelection(v, false);
    connect(tvDay_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { guard([this, c] { sortDayList(c); }); });
    connect(tvNonday_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int c) { guard([this, c] { sortTodoList(c); }); });
    connect(tvDay_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { guard([this] { DrawExtraMemo(); }); });
    tvDay_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
    tvNonday_->horizontalHeader()->setSortIndicator(0, Qt::AscendingOrder);
}

void TfrmMain::applyListLooks()
{
    const QFont font = TfrmOptions::toFont(options_.gridFont);
    for (QTableView *v : {tvDay_, tvNonday_}) {
        v->setFont(font);
        v->verticalHeader()->setMinimumSectionSize(1);
        v->verticalHeader()->setDefaultSectionSize(std::max(options_.rowHeight, QFontMetrics(font).height() + 2));
    }
    memWhat_->setFont(font);
    const QFont heading = TfrmOptions::toFont(options_.titleFont);
    for (ShadowLabel *l : {lblDate_, EsLabel1_}) {
        l->setFont(heading);
        l->setShadowDepth(shadows_ ? 4 : 1);
        l->setTextColor(shadows_ ? QColor(0, 0, 255) : QColor(0, 0, 128));
        const int height = QFontMetrics(heading).height() + 8 + (shadows_ ? 3 : 0);
        l->setFixedHeight(height);
    }
    UpdateLabels(current_);
    ResizeGridDay();
    ResizeGridNonDay();
}

namespace {
int scrollBarWidth(const QTableView *v, int bodyRows)
{
    const int rowHeight = v->verticalHeader()->defaultSectionSize();
    const int room = v->viewport()->height();
    const bool needed = rowHeight > 0 && bodyRows * rowHeight > room;
    return needed ? v->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
}
int frameWidth(const QTableView *v) { return 2 * v->frameWidth(); }
}  // namespace

namespace {
// The fixed columns keep their widths, but grow to show their longest cell
// and their heading with its sort mark in the list's fonts; the notes column
// takes what is left. When even its least is more than is left, the list
// scrolls sideways instead of cutting anything.
// The width of a text in a font, measured once a run: the columns are
// fitted again at every resize of a list and every day shown, mostly over
// the same texts, and laying a text out is the dear part.
class TextWidths {
public:
    explicit TextWidths(const QFont &font) : fm_(font), widths_(cache()[font.key()]) {}
    int horizontalAdvance(const QString &text)
    {
        if (const auto it = widths_.constFind(text); it != widths_.constEnd())
            return *it;
        // A bound on what is kept, for a run that shows many days.
        if (widths_.size() > 20000)
            widths_.clear();
        const int w = fm_.horizontalAdvance(text);
        widths_.insert(text, w);
        return w;
    }

private:
    static QHash<QString, QHash<QString, int>> &cache()
    {
        static QHash<QString, QHash<QString, int>> byFont;
        return byFont;
    }
    QFontMetrics fm_;
    QHash<QString, int> &widths_;
};

template <std::size_t N> void fitColumns(QTableView *v, std::array<int, N> w, int flexible)
{
    TextWidths headingFont(v->horizontalHeader()->font());
    TextWidths cellFont(v->font());
    const int sortMark = v->style()->pixelMetric(QStyle::PM_HeaderMarkSize) +
                         2 * v->style()->pixelMetric(QStyle::PM_HeaderMargin) + 8;
    const QAbstractItemModel *m = v->model();
    // Enough rows to see what a column holds, without measuring thousands.
    const int rows = std::min(m->rowCount(), 500);
    int taken = 0, total = 0;
    for (std::size_t c = 0; c < N; ++c)
        total += w[c];
    for (std::size_t c = 0; c < N; ++c) {
        if (int(c) == flexible)
            continue;
        const QString heading = m->headerData(int(c), Qt::Horizontal).toString();
        int need = headingFont.horizontalAdvance(heading) + sortMark;
        for (int r = 0; r < rows; ++r)
            need = std::max(need, cellFont.horizontalAdvance(m->index(r, int(c)).data().toString()) + 12);
        w[c] = std::max(w[c], need);
        taken += w[c];
    }
    const QString notesHeading = m->headerData(flexible, Qt::Horizontal).toString();
    const int least = std::max(60, headingFont.horizontalAdvance(notesHeading) + sortMark);
    w[std::size_t(flexible)] = std::max(least, total - taken);
    // Sideways scrolling only when the columns cannot fit: a pixel or two of
    // rounding must not bring up a scroll bar.
    v->setHorizontalScrollBarPolicy(total - taken < least ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    for (std::size_t c = 0; c < N; ++c)
        v->setColumnWidth(int(c), w[c]);
}
}  // namespace

void TfrmMain::ResizeGridDay()
{
    if (!tvDay_)
        return;
    fitColumns(tvDay_,
               DayListWidths(tvDay_->width(), logicalDpiX(), scrollBarWidth(tvDay_, gridDay_.rowCount() - 1),
                             frameWidth(tvDay_)),
               kDayNotes);
}

void TfrmMain::ResizeGridNonDay()
{
    if (!tvNonday_)
        return;
    fitColumns(tvNonday_,
               TodoListWidths(tvNonday_->width(), logicalDpiX(), scrollBarWidth(tvNonday_, gridNonday_.rowCount() - 1),
                              frameWidth(tvNonday_)),
               kTodoNotes);
}

void TfrmMain::sortDayList(int column)
{
    QHeaderView *header = tvDay_->horizontalHeader();
    if (gridDay_.rowCount() <= 2) {
        // Nothing to sort: the header keeps showing the order in force.
        header->setSortIndicator(daySortColumn_, daySortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
        return;
    }
    commitNotes();
    daySortAscending_ = column == daySortColumn_ ? !daySortAscending_ : true;
    daySortColumn_ = column;
    SortDayList(gridDay_, column, daySortAscending_, fs_, ToDateValue(sv_.clock.now()));
    tvDay_->horizontalHeader()->setSortIndicator(column, daySortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    dayModel_->reload();
    selectDayRow(1);
}

void TfrmMain::applyDaySort()
{
    if (daySortColumn_ >= 0)
        SortDayList(gridDay_, daySortColumn_, daySortAscending_, fs_, ToDateValue(sv_.clock.now()));
}

void TfrmMain::keepPersonsDayOrder()
{
    // Rows the person placed by hand stay where they are, on this day and
    // every other, until a heading is clicked: a sort would undo the move
    // at the next reading of the day.
    daySortColumn_ = -1;
    tvDay_->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
}

void TfrmMain::sortTodoList(int column)
{
    if (gridNonday_.rowCount() <= 2) {
        tvNonday_->horizontalHeader()->setSortIndicator(todoSortColumn_, todoSortAscending_ ? Qt::AscendingOrder
                                                                                          : Qt::DescendingOrder);
        return;
    }
    // The to-do list's order is its table's: sorting it is a change.
    const UndoStep step(*this, u"Sort to-do list"_s);
    todoSortAscending_ = column == todoSortColumn_ ? !todoSortAscending_ : true;
    todoSortColumn_ = column;
    SortTodoList(gridNonday_, column, todoSortAscending_);
    tvNonday_->horizontalHeader()->setSortIndicator(column,
                                                    todoSortAscending_ ? Qt::AscendingOrder : Qt::DescendingOrder);
    todoModel_->reload();
}

void TfrmMain::selectDayRow(int row)
{
    if (!tvDay_ || dayModel_->rowCount() == 0)
        return;
    row = std::clamp(row, 1, dayModel_->rowCount());
    tvDay_->setCurrentIndex(dayModel_->index(row - 1, 0));
    DrawExtraMemo();
}

void TfrmMain::DrawExtraMemo()
{
    const QModelIndex current = tvDay_->currentIndex();
    const int row = current.isValid() ? current.row() + 1 : 0;
    if (row != memRow_)
        commitNotes();  // an edit belongs to the row it was made in
    memRow_ = row;
    const QByteArrayView stored = row > 0 ? gridDay_.cellUtf8(kDayNotes, row) : QByteArrayView();
    // Notes too long to lay out are shown cut and cannot be edited here, so
    // that the cut text can never be stored over the whole one.
    memCut_ = TooLongToShow(stored);
    const QString notes = ShownText(stored);
    memWhat_->setReadOnly(memCut_);
    // The notes keep their line breaks; the pane wraps long lines.
    const QString shown = TextToMemo(notes).join(u'\n');
    if (memWhat_->toPlainText() != shown || !memWhat_->hasFocus()) {
        const QSignalBlocker quiet(memWhat_->document());
        memWhat_->setPlainText(shown);
        memWhat_->document()->setModified(false);
        memDirty_ = false;
    }
    memWhat_->setVisible(!notes.isEmpty());
    const bool done = row > 0 && gridDay_.cellUtf8(kDayDone, row) == "Yes";
    QPalette p = memWhat_->palette();
    p.setColor(QPalette::Base, !notes.isEmpty() && done ? palette().color(QPalette::Button) : QColor(248, 252, 201));
    memWhat_->setPalette(p);
}

void TfrmMain::commitNotes()
{
    if (!memDirty_ || !memWhat_ || memCut_)
        return;
    const UndoStep step(*this, u"Edit notes"_s, false);
    memDirty_ = false;
    memWhat_->document()->setModified(false);
    if (memRow_ < 1 || memRow_ >= gridDay_.rowCount() || gridDay_.cellEmpty(kDayTime, memRow_) || current_ < 0)
        return;
    const QStringList lines = memWhat_->toPlainText().split(u'\n');
    gridDay_.setCell(kDayNotes, memRow_, MemoToText(lines));
    reportSave(store_.path(), store_.writeToStore(DayNumber(selectedDay()), gridDay_));
    // The selection stays where the person put it (they may be moving to
    // another row right now).
    const QModelIndex current = tvDay_->currentIndex();
    const int row = current.isValid() ? current.row() : memRow_ - 1;
    dayModel_->reload();
    {
        const QSignalBlocker quiet(tvDay_->selectionModel());
        tvDay_->setCurrentIndex(dayModel_->index(row, 0));
    }
    tvDay_->viewport()->update();
    ColorAllCalendars(false);
}

void TfrmMain::memWhatExit() { commitNotes(); }

}  // namespace morvane
