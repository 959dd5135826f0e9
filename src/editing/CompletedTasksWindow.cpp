#include "CompletedTasksWindow.h"

#include "AppIcon.h"
#include "GridTableModel.h"
#include "ShadowLabel.h"

#include <QAction>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr int kRowHeight = 28;
constexpr int kRowHandleWidth = 10;

// The completed table as the view shows it: notes of several lines keep
// their line breaks, and the text starts at the top of its cell so that a
// row shows the first lines of its notes. The row handles carry no numbers:
// they are there to drag a row's height.
class CompletedModel final : public GridTableModel {
public:
    using GridTableModel::GridTableModel;

    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignTop));
        return GridTableModel::data(index, role);
    }
    QVariant headerData(int section, Qt::Orientation o, int role) const override
    {
        if (o == Qt::Vertical && role == Qt::DisplayRole)
            return QString();
        return GridTableModel::headerData(section, o, role);
    }
};

QString shownLines(const QString &text)
{
    return text.contains(u"\r\n"_s) ? TextToMemo(text).join(u'\n') : text;
}

// What the short columns need in the fonts in use: their headings, and the
// widest dates and times they usually hold.
ShortColumnMinimums shortColumnsNeed(const QTableView *view, const FormatSettings &fs)
{
    const QFontMetrics cells(view->font()), headings(view->horizontalHeader()->font());
    // 30 December 2026: a two-digit month and day, a Wednesday, and 10:59 PM.
    const DateValue sample = ToDateValue(QDateTime(QDate(2026, 12, 30), QTime(22, 59)));
    const QString texts[kCompNotes] = {FormatDateTime(u"ddddd", sample, fs),
                                       FormatDateTime(fs.longTimeFormat, sample, fs), QString(),
                                       FormatDateTime(u"ddd ddddd", sample, fs)};
    ShortColumnMinimums need{};
    for (int c = 0; c < kCompNotes; ++c) {
        const QString heading = view->model()->headerData(c, Qt::Horizontal).toString();
        need[std::size_t(c)] = std::max(headings.horizontalAdvance(heading) + 14,
                                        texts[c].isEmpty() ? 0 : cells.horizontalAdvance(texts[c]) + 10);
    }
    return need;
}

QPlainTextEdit *makeBox(QWidget *parent, const QString &name)
{
    auto *box = new QPlainTextEdit(parent);
    box->setObjectName(name);
    box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    box->setTabChangesFocus(true);
    box->setFixedSize(280, 83);
    return box;
}

}  // namespace

TfrmComplete::TfrmComplete(Services services, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), grid_(NewCompletedGrid())
{
    setObjectName(u"frmComplete"_s);
    setWindowTitle(u"Completed Tasks"_s);
    load();

    // Title band.
    auto *band = new QFrame(this);
    band->setObjectName(u"pnlTitle"_s);
    band->setFrameShape(QFrame::StyledPanel);
    imgTitle = new QLabel(band);
    imgTitle->setObjectName(u"imgTitle"_s);
    imgTitle->setPixmap(MakeAppIcon(0).pixmap(32, 32));
    lblCompTitle = new ShadowLabel(band);
    lblCompTitle->setObjectName(u"lblCompTitle"_s);
    lblCompTitle->setText(u"Completed Tasks"_s);
    lblCompTitle->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    QFont f = lblCompTitle->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    lblCompTitle->setFont(f);
    auto *bandLayout = new QHBoxLayout(band);
    bandLayout->addWidget(imgTitle);
    bandLayout->addWidget(lblCompTitle, 1);

    // The table.
    model_ = new CompletedModel(grid_, this);
    model_->setDisplay([](int, int, const QString &text) { return shownLines(text); });
    grid = new QTableView(this);
    grid->setObjectName(u"grid"_s);
    grid->setModel(model_);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setSelectionMode(QAbstractItemView::SingleSelection);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setWordWrap(true);
    grid->verticalHeader()->setDefaultSectionSize(kRowHeight);
    grid->verticalHeader()->setMinimumSectionSize(8);
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->verticalHeader()->setFixedWidth(kRowHandleWidth);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    grid->horizontalHeader()->setSectionsClickable(true);
    grid->horizontalHeader()->setHighlightSections(false);
    grid->horizontalHeader()->setStretchLastSection(false);
    grid->setContextMenuPolicy(Qt::CustomContextMenu);
    grid->installEventFilter(this);
    connect(grid->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int c) { gridHeadingClick(c); });
    connect(grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this] { showRowInBoxes(); });

    // The two boxes under the table.
    memWhat = makeBox(this, u"memWhat"_s);
    memPurpose = makeBox(this, u"memPurpose"_s);
    memWhat->installEventFilter(this);
    memPurpose->installEventFilter(this);
    auto *lblWhat = new QLabel(u"WHAT"_s, this);
    lblWhat->setObjectName(u"lblWhat"_s);
    auto *lblPurpose = new QLabel(u"COMPLETION NOTES"_s, this);
    lblPurpose->setObjectName(u"lblPurpose"_s);
    auto *boxes = new QGridLayout;
    boxes->addWidget(lblWhat, 0, 0);
    boxes->addWidget(memWhat, 1, 0);
    boxes->addWidget(lblPurpose, 0, 1);
    boxes->addWidget(memPurpose, 1, 1);
    boxes->setColumnStretch(2, 1);
    boxes->setHorizontalSpacing(12);

    // Menus.
    menuBar = new QMenuBar(this);
    QMenu *fileMenu = menuBar->addMenu(u"&File"_s);
    if (sv_.print) {
        QAction *print = fileMenu->addAction(u"&Print"_s);
        print->setObjectName(u"Print1"_s);
        connect(print, &QAction::triggered, this, [this] { Print1Click(); });
    }
    if (sv_.exportTable) {
        QMenu *exportMenu = fileMenu->addMenu(u"&Export"_s);
        exportMenu->setObjectName(u"Export1"_s);
        QAction *html = exportMenu->addAction(u"&HTML Format"_s);
        html->setObjectName(u"HTMLFormat1"_s);
        connect(html, &QAction::triggered, this, [this] { HTMLFormat1Click(); });
        QAction *csv = exportMenu->addAction(u"&Comma-Delimited"_s);
        csv->setObjectName(u"CommaDelimited1"_s);
        connect(csv, &QAction::triggered, this, [this] { CommaDelimited1Click(); });
    }
    if (sv_.print || sv_.exportTable)
        fileMenu->addSeparator();
    Delete1 = fileMenu->addAction(u"&Delete"_s);
    Delete1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    Clear1 = fileMenu->addAction(u"&Clear"_s);
    Clear1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    fileMenu->addSeparator();
    Close1 = fileMenu->addAction(u"C&lose"_s);
    connect(Delete1, &QAction::triggered, this, [this] { Delete1Click(); });
    connect(Clear1, &QAction::triggered, this, [this] { Clear1Click(); });
    connect(Close1, &QAction::triggered, this, [this] { reject(); });

    popGrid = new QMenu(this);
    Deleterow1 = popGrid->addAction(u"Delete row"_s);
    connect(Deleterow1, &QAction::triggered, this, [this] { Delete1Click(); });
    connect(grid, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        // The menu acts on the row under the pointer.
        const QModelIndex i = grid->indexAt(at);
        if (i.isValid())
            setCurrentRow(i.row() + 1);
        popGrid->popup(grid->viewport()->mapToGlobal(at));
    });

    auto *l = new QVBoxLayout(this);
    l->setMenuBar(menuBar);
    l->addWidget(band);
    l->addWidget(grid, 1);
    l->addLayout(boxes);
    setMinimumSize(620, 360);
    resize(780, 500);
    refresh(1);
}

TfrmComplete::~TfrmComplete()
{
    // The view and its model read grid_, which goes before the child widgets;
    // and a box losing the focus from here on must not write into it.
    memWhat->removeEventFilter(this);
    memPurpose->removeEventFilter(this);
    delete grid;
    delete model_;
}

QString TfrmComplete::file() const { return JoinPath(sv_.folder, u"gridComp.grd"_s); }

void TfrmComplete::load()
{
    grid_ = NewCompletedGrid();
    damaged_ = false;
    if (QFileInfo::exists(file())) {
        if (FileResult r = LoadGridFile(grid_, file()); !r) {
            // Whatever could be read is shown; the file itself stays as it
            // is until the person agrees to replace it.
            damaged_ = true;
            sv_.prompts.ErrorBox(r.message + u"\n\nBefore the completed tasks are next saved, Morvane will ask "
                                             "whether to replace it."_s);
        }
    }
    ShapeCompletedTable(grid_);
}

FileResult TfrmComplete::save()
{
    if (damaged_) {
        const QString name = QDir::toNativeSeparators(file());
        if (!sv_.prompts.YesNo(u"The completed tasks file %1 could not be read whole when Morvane started.\n\n"
                               "Replace it with the completed tasks shown here? Answer No to keep the file "
                               "as it is."_s.arg(name)))
            return FileResult::damage(u"The completed tasks were not saved: %1 was kept as it is."_s.arg(name));
        damaged_ = false;
    }
    if (sv_.beforeSave)
        sv_.beforeSave();
    return SaveGridFile(grid_, file());
}

void TfrmComplete::report(const FileResult &r)
{
    if (r.ok) {
        toldFailure_.clear();
        return;
    }
    // The person just chose to keep a damaged file: nothing to add.
    if (r.damaged || r.message == toldFailure_)
        return;
    toldFailure_ = r.message;
    sv_.prompts.ErrorBox(r.message);
}

FileResult TfrmComplete::addCompleted(const QStringList &cells)
{
    memExit();
    AddCompletedRow(grid_, cells);
    refresh(1);
    return save();
}

void TfrmComplete::done(int result)
{
    memExit();
    report(save());
    QDialog::done(result);
}

void TfrmComplete::setHeadingShadow(int depth, const QColor &text)
{
    lblCompTitle->setShadowDepth(depth);
    lblCompTitle->setTextColor(text);
}

int TfrmComplete::currentRow() const
{
    const QModelIndex i = grid->currentIndex();
    return i.isValid() ? i.row() + 1 : 1;
}

void TfrmComplete::setCurrentRow(int row)
{
    row = std::clamp(row, 1, std::max(1, grid_.rowCount() - 1));
    grid->setCurrentIndex(model_->index(row - 1, 0));
    grid->selectRow(row - 1);
}

void TfrmComplete::refresh(int row)
{
    model_->reload();
    setCurrentRow(row);
    showRowInBoxes();
    ResizeGrid();  // the scroll bar may have come or gone
}

void TfrmComplete::showRowInBoxes()
{
    const int row = currentRow();
    if (row != boxRow_)
        memExit();  // an edit belongs to the row it was made in
    boxRow_ = row;
    auto fill = [&](QPlainTextEdit *box, int col) {
        const QByteArrayView stored = grid_.cellUtf8(col, row);
        // A cell too long to lay out is shown cut and cannot be edited here,
        // so that the cut text never replaces the whole one.
        box->setReadOnly(TooLongToShow(stored));
        box->setPlainText(TextToMemo(ShownText(stored)).join(u'\n'));
        box->document()->setModified(false);
    };
    fill(memWhat, kCompNotes);
    fill(memPurpose, kCompNotesDone);
}

void TfrmComplete::memExit()
{
    const int row = boxRow_;
    bool changed = false;
    auto writeBack = [&](QPlainTextEdit *box, int col) {
        // Only a changed box is written, so that a row merely looked at
        // keeps its cells byte for byte.
        if (!box->document()->isModified())
            return;
        box->document()->setModified(false);
        if (box->isReadOnly() || row < 1 || row >= grid_.rowCount())
            return;
        grid_.setCell(col, row, MemoToText(box->toPlainText().split(u'\n')));
        changed = true;
    };
    writeBack(memWhat, kCompNotes);
    writeBack(memPurpose, kCompNotesDone);
    if (changed)
        emit model_->dataChanged(model_->index(row - 1, kCompNotes), model_->index(row - 1, kCompNotesDone));
}

void TfrmComplete::Print1Click()
{
    memExit();
    sv_.print(grid_, grid);
}

void TfrmComplete::HTMLFormat1Click()
{
    memExit();
    sv_.exportTable(grid_, true);
}

void TfrmComplete::CommaDelimited1Click()
{
    memExit();
    sv_.exportTable(grid_, false);
}

void TfrmComplete::Delete1Click()
{
    memExit();
    const int row = currentRow();
    if (sv_.confirm && sv_.confirm() && !sv_.prompts.YesNo(u"Really delete?"_s))
        return;
    DeleteCompletedRow(grid_, row);
    refresh(row);
}

FileResult TfrmComplete::restoreTable(Grid table)
{
    grid_ = std::move(table);
    damaged_ = false;
    refresh(1);
    ResizeGrid();
    return save();
}

FileResult TfrmComplete::putBack(Grid table)
{
    grid_ = std::move(table);
    refresh(1);
    return save();
}

void TfrmComplete::Clear1Click()
{
    memExit();
    if (!sv_.prompts.YesNo(u"Really clear out ALL completed tasks?"_s))
        return;
    ClearCompletedTable(grid_);
    refresh(1);
}

void TfrmComplete::gridHeadingClick(int column)
{
    memExit();
    const int row = currentRow();
    if (ClickCompletedHeading(grid_, column, sort_, sv_.fs))
        refresh(row);
}

void TfrmComplete::ResizeGrid()
{
    // The vertical scroll bar shows when the rows are taller than the room
    // under the headings.
    const QHeaderView *top = grid->horizontalHeader();
    const int room = grid->height() - 2 * grid->frameWidth() - (top->isHidden() ? 0 : top->sizeHint().height());
    const bool scrolls = grid->verticalHeader()->length() > room;
    const int scrollBar = scrolls ? grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid) : 0;
    const int frame = 2 * grid->frameWidth() + (grid->verticalHeader()->isHidden() ? 0 : kRowHandleWidth);
    const auto widths =
        CompletedColumnWidths(grid->width(), grid->logicalDpiX(), scrollBar, frame, shortColumnsNeed(grid, sv_.fs));
    for (int c = 0; c < kCompCols; ++c)
        grid->setColumnWidth(c, widths[std::size_t(c)]);
}

void TfrmComplete::showEvent(QShowEvent *e)
{
    // The table may have changed while the window was hidden (a completion,
    // a restore of an archive).
    refresh(currentRow());
    QDialog::showEvent(e);
}

bool TfrmComplete::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == grid && e->type() == QEvent::Resize)
        ResizeGrid();
    else if ((watched == memWhat || watched == memPurpose) && e->type() == QEvent::FocusOut)
        memExit();
    return QDialog::eventFilter(watched, e);
}

}  // namespace morvane
