#include "HolidaysWindow.h"

#include "GridFile.h"
#include "GridTableModel.h"
#include "HolidayRules.h"
#include "HolidayEditor.h"
#include "HolidayImportDialog.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmHoliday::TfrmHoliday(Services services, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), grid_(NewHolidayGrid())
{
    setObjectName(u"frmHoliday"_s);
    setWindowTitle(u"Holidays"_s);
    load();

    model_ = new GridTableModel(grid_, this);
    // A one-time rule shows as its date; the file keeps "yyyymmdd".
    model_->setDisplay([this](int col, int, const QString &text) {
        return col == kHolRule ? HolidayRuleShown(text, sv_.fs) : text;
    });
    tblHoliday = new QTableView(this);
    tblHoliday->setObjectName(u"tblHoliday"_s);
    tblHoliday->setModel(model_);
    tblHoliday->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblHoliday->setSelectionMode(QAbstractItemView::SingleSelection);
    tblHoliday->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblHoliday->verticalHeader()->hide();
    tblHoliday->verticalHeader()->setDefaultSectionSize(tblHoliday->fontMetrics().height() + 6);
    tblHoliday->horizontalHeader()->setStretchLastSection(true);
    tblHoliday->setWordWrap(false);
    tblHoliday->horizontalHeader()->setSectionsClickable(true);
    tblHoliday->horizontalHeader()->setHighlightSections(false);
    const int widths[] = {286, 61, 80, 147};
    for (int c = 0; c < kHolCols; ++c)
        tblHoliday->setColumnWidth(c, widths[c]);
    tblHoliday->viewport()->installEventFilter(this);
    connect(tblHoliday->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { sortByColumn(c); });
    connect(tblHoliday, &QTableView::doubleClicked, this, [this] { btEditClick(); });

    auto button = [this](const QString &text, const char *name) {
        auto *b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    btAdd = button(u"&Add"_s, "btAdd");
    btEdit = button(u"&Edit"_s, "btEdit");
    btDel = button(u"&Del"_s, "btDel");
    btClone = button(u"&Clone"_s, "btClone");
    btInternational = button(u"&International"_s, "btInternational");
    btInternational->setToolTip(u"Import International holidays"_s);
    btPrint = button(u"&Print"_s, "btPrint");
    btPrint->setVisible(bool(sv_.print));
    connect(btPrint, &QPushButton::clicked, this, [this] {
        if (!sv_.print)
            return;
        // Printed as shown: one-time rules as dates.
        Grid shown = grid_;
        for (int r = 1; r < shown.rowCount(); ++r)
            shown.setCell(kHolRule, r, HolidayRuleShown(shown.cell(kHolRule, r), sv_.fs));
        sv_.print(shown, tblHoliday);
    });
    btHelp = button(u"&Help"_s, "btHelp");
    btClose = button(u"Close"_s, "btClose");
    connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
    connect(btEdit, &QPushButton::clicked, this, [this] { btEditClick(); });
    connect(btDel, &QPushButton::clicked, this, [this] { btDelClick(); });
    connect(btClone, &QPushButton::clicked, this, [this] { btCloneClick(); });
    connect(btInternational, &QPushButton::clicked, this, [this] { btInternationalClick(); });
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (sv_.showHelp)
            sv_.showHelp(300);
    });
    connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btAdd, btEdit, btDel, btClone, btInternational, btPrint})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btHelp);
    buttons->addWidget(btClose);
    auto *l = new QVBoxLayout(this);
    l->addWidget(tblHoliday, 1);
    l->addLayout(buttons);
    resize(640, 440);
    refresh(1);
}

TfrmHoliday::~TfrmHoliday()
{
    // The view and its model read grid_, which goes before the child widgets.
    // The view's viewport stops reporting to this window first: events sent
    // while the view is half destroyed must not reach eventFilter, which asks
    // the view for its viewport.
    tblHoliday->viewport()->removeEventFilter(this);
    delete tblHoliday;
    tblHoliday = nullptr;
    delete model_;
}

QString TfrmHoliday::file() const { return JoinPath(sv_.folder, u"holiday.grd"_s); }

void TfrmHoliday::load()
{
    grid_ = NewHolidayGrid();
    unreadable_ = false;
    if (QFileInfo::exists(file())) {
        if (FileResult r = LoadGridFile(grid_, file()); !r) {
            sv_.prompts.ErrorBox(r.message);
            unreadable_ = true;
        }
    }
    if (grid_.colCount() < kHolCols)
        grid_.setColCount(kHolCols);
    if (grid_.rowCount() < 2)
        grid_.setRowCount(2);
    SetHolidayHeaders(grid_);
}

FileResult TfrmHoliday::write(bool &declined)
{
    declined = false;
    // A file that could not be read is only replaced when the person says so.
    if (unreadable_) {
        if (!sv_.prompts.YesNo(u"The holiday file %1 could not be read when this window opened.\n\n"
                               "Replace it with the holidays shown here?"_s.arg(file()))) {
            declined = true;
            return {};
        }
        unreadable_ = false;
    }
    return SaveGridFile(grid_, file());
}

bool TfrmHoliday::save()
{
    bool declined = false;
    const FileResult r = write(declined);
    if (declined)
        return false;
    if (!r)
        sv_.prompts.ErrorBox(r.message);
    return r.ok;
}

void TfrmHoliday::refresh(int currentRow)
{
    if (model_)
        model_->reload();
    setCurrentRow(currentRow);
}

int TfrmHoliday::currentRow() const
{
    const QModelIndex i = tblHoliday->currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void TfrmHoliday::setCurrentRow(int row)
{
    row = std::clamp(row, 1, std::max(1, grid_.rowCount() - 1));
    tblHoliday->setCurrentIndex(model_->index(row - 1, 0));
    tblHoliday->selectRow(row - 1);
}

void TfrmHoliday::btAddClick()
{
    TfrmEditHoliday dlg(sv_.fs, sv_.today ? sv_.today() : QDate(2000, 1, 1), sv_.prompts, this);
    dlg.setWeekStart(sv_.weekStart);
    dlg.isNew = true;
    if (sv_.runner.showModal(dlg) != QDialog::Accepted)
        return;
    int row = currentRow();
    // The new holiday goes above the selected one, or into an empty row.
    if (!grid_.cellEmpty(kHolName, row))
        grid_.insertRows(row, 1);
    dlg.writeRow(grid_, row);
    refresh(row);
}

void TfrmHoliday::btEditClick()
{
    const int row = currentRow();
    if (grid_.cellEmpty(kHolName, row)) {
        sv_.prompts.ErrorBox(u"Nothing to edit"_s);
        return;
    }
    TfrmEditHoliday dlg(sv_.fs, sv_.today ? sv_.today() : QDate(2000, 1, 1), sv_.prompts, this);
    dlg.setWeekStart(sv_.weekStart);
    dlg.presetFromRow(grid_, row);
    if (sv_.runner.showModal(dlg) != QDialog::Accepted)
        return;
    dlg.writeRow(grid_, row);
    refresh(row);
}

void TfrmHoliday::btDelClick()
{
    const int row = currentRow();
    if (sv_.confirm && sv_.confirm()
        && !sv_.prompts.YesNo(u"Really delete \"%1\"?"_s.arg(grid_.cell(kHolName, row))))
        return;
    grid_.deleteBodyRow(row);
    refresh(row);
}

void TfrmHoliday::btCloneClick()
{
    const int row = currentRow();
    const QString name = grid_.cell(kHolName, row);
    if (name.isEmpty())
        return;
    if (!sv_.prompts.YesNo(u"Clone this holiday - \"%1\"?"_s.arg(name)))
        return;
    grid_.insertRows(row, 1);
    for (int c = 0; c < kHolCols; ++c)
        grid_.setCellUtf8(c, row, grid_.cellUtf8(c, row + 1));
    save();
    refresh(row);
}

void TfrmHoliday::btInternationalClick()
{
    if (!save())
        return;
    TfrmImport dlg(sv_.fs, file(), sv_.prompts, this);
    sv_.runner.showModal(dlg);
    load();
    refresh(1);
}

void TfrmHoliday::btCloseClick()
{
    for (;;) {
        bool declined = false;
        const FileResult r = write(declined);
        if (declined || r.ok) {
            accept();  // saved, or the unreadable file is kept as it was
            return;
        }
        // Without a way out here the person could only leave by the close
        // box, which drops the changes without a word.
        const int choice = sv_.prompts.Ask(
            u"Morvane could not save the holidays:\n\n%1\n\nTry again, close without saving (the file "
            "keeps what it held at its last save), or stay in the Holidays window?"_s.arg(r.message),
            {u"&Try again"_s, u"&Close without saving"_s, u"&Stay"_s}, 0, 2);
        if (choice == 1) {
            reject();
            return;
        }
        if (choice == 2)
            return;
    }
}

void TfrmHoliday::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        btCloseClick();  // Escape saves and closes, like Close
        return;
    }
    QDialog::keyPressEvent(e);
}

void TfrmHoliday::sortByColumn(int column)
{
    if (grid_.rowCount() < 3)
        return;
    sortAscending_ = column == sortColumn_ ? !sortAscending_ : true;
    sortColumn_ = column;
    SortHolidayRows(grid_, column, sortAscending_);
    refresh(currentRow());
}

void TfrmHoliday::moveRow(int from, int to)
{
    if (from == to || from < 1 || to < 1 || from >= grid_.rowCount() || to >= grid_.rowCount())
        return;
    grid_.moveRow(from, to);
    refresh(to);
}

bool TfrmHoliday::eventFilter(QObject *watched, QEvent *e)
{
    // Dragging a holiday onto another row moves it there.
    if (watched == tblHoliday->viewport()) {
        auto rowAt = [this](QEvent *ev) {
            const QModelIndex i = tblHoliday->indexAt(static_cast<QMouseEvent *>(ev)->position().toPoint());
            return i.isValid() && !grid_.cellEmpty(kHolName, i.row() + 1) ? i.row() + 1 : 0;
        };
        switch (e->type()) {
        case QEvent::MouseButtonPress:
            if (static_cast<QMouseEvent *>(e)->button() == Qt::LeftButton)
                dragRow_ = rowAt(e);
            break;
        case QEvent::MouseButtonDblClick:
            dragRow_ = 0;
            break;
        case QEvent::MouseMove:
            if (dragRow_ > 0)
                tblHoliday->viewport()->setCursor(rowAt(e) > 0 ? Qt::DragMoveCursor : Qt::ForbiddenCursor);
            break;
        case QEvent::MouseButtonRelease: {
            const int from = dragRow_, to = rowAt(e);
            dragRow_ = 0;
            tblHoliday->viewport()->unsetCursor();
            if (from > 0 && to > 0 && from != to) {
                moveRow(from, to);
                return true;
            }
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace morvane
