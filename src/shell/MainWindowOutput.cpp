// Output: printing and exporting the lists, and publishing the calendar as
// web pages.

#include "MainWindow.h"

#include "GridPrinter.h"
#include "PrintRangeDialog.h"
#include "ShadowLabel.h"
#include "TaskListExport.h"
#include "WebCalendarDialog.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QPrinter>
#include <QStandardPaths>
#include <QTableView>
#include <QToolBar>

#include <cmath>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildOutput()
{
    activeList_ = tvDay_;
    if (!(launcher_ = sv_.launcher)) {
        ownLauncher_ = std::make_unique<DesktopFileLauncher>();
        launcher_ = ownLauncher_.get();
    }
    exportFolder_ = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    // File menu: Print, Export, Publish.
    QMenu *file = fileMenu();
    QAction *exitItem = file->findChild<QAction *>(u"Exit1"_s);
    QAction *sep = exitItem ? file->actions().value(file->actions().indexOf(exitItem) - 1) : nullptr;
    file->insertSeparator(sep);
    // No shortcut: Ctrl+P is Prior Highlighted Task.
    insertCommand(file, sep, u"Print1"_s, u"&Print..."_s, &TfrmMain::Print1Click);
    auto *exportMenu = new QMenu(u"&Export"_s, file);
    exportMenu->setObjectName(u"Export1"_s);
    file->insertMenu(sep, exportMenu);
    auto *daily = exportMenu->addMenu(u"&Daily Tasks"_s);
    daily->setObjectName(u"DailyTasks1"_s);
    insertCommand(daily, nullptr, u"HTMLFormat3"_s, u"&HTML Format"_s, &TfrmMain::HTMLFormat3Click);
    insertCommand(daily, nullptr, u"CommaDelimitedFormat1"_s, u"&Comma-Delimited Format"_s,
                  &TfrmMain::CommaDelimitedFormat1Click);
    auto *todo = exportMenu->addMenu(u"&To-do tasks"_s);
    todo->setObjectName(u"Todotasks1"_s);
    insertCommand(todo, nullptr, u"HTMLFormat4"_s, u"&HTML Format"_s, &TfrmMain::HTMLFormat4Click);
    insertCommand(todo, nullptr, u"CommaDelimitedFormat2"_s, u"&Comma Delimited Format"_s,
                  &TfrmMain::CommaDelimitedFormat2Click);
    insertCommand(file, sep, u"PublishCalendarasWebPage1"_s, u"Publish Calendar as &Web Page..."_s,
                  &TfrmMain::PublishCalendarasWebPage1Click);

    // The main toolbar: Print and Publish, before Hide.
    QAction *hide = ToolBar1_->findChild<QAction *>(u"ToolButton14"_s);
    QAction *print = taskAction(u"btPrint"_s, u"Print"_s, ToolIcon::Print, u"Print"_s, [this] { Print1Click(); });
    QAction *web = taskAction(u"btPublish"_s, u"Publish calendar as web page"_s, ToolIcon::Web,
                              u"Publish calendar as web page"_s, [this] { PublishCalendarasWebPage1Click(); });
    ToolBar1_->insertAction(hide, print);
    ToolBar1_->insertAction(hide, web);

    // Each list prints from its side toolbar, between Delete and Mark as
    // completed, and prints and exports from its popup menu.
    ToolBar2_->insertAction(findChild<QAction *>(u"tbDone1"_s),
                            taskAction(u"ToolButton9"_s, u"Print"_s, ToolIcon::Print, u"Print date tasks"_s,
                                       [this] { Print3Click(); }));
    ToolBar3_->insertAction(findChild<QAction *>(u"tbDone2"_s),
                            taskAction(u"ToolButton11"_s, u"Print"_s, ToolIcon::Print, u"Print tasks"_s,
                                       [this] { Print2Click(); }));
    struct PopupItems {
        QTableView *list;
        const char16_t *menu, *print, *exportName, *html, *csv;
        void (TfrmMain::*printHandler)();
    };
    const PopupItems popups[] = {
        {tvDay_, u"PopupMenu1", u"Print3", u"Export2", u"HTMLFormat1", u"CSVFormat1", &TfrmMain::Print3Click},
        {tvNonday_, u"PopupMenu2", u"Print2", u"Export3", u"HTMLFormat2", u"CSVFormat2", &TfrmMain::Print2Click},
    };
    for (const PopupItems &p : popups) {
        auto *popup = p.list->findChild<QMenu *>(QString::fromUtf16(p.menu));
        // Before "Mark as completed", after the separator.
        QAction *before = popup->actions().constLast();
        auto h = p.printHandler;
        popup->insertAction(before, taskAction(QString::fromUtf16(p.print), u"Print"_s, ToolIcon::Print, {},
                                               [this, h] { (this->*h)(); }));
        auto *sub = new QMenu(u"Export"_s, popup);
        sub->setObjectName(QString::fromUtf16(p.exportName));
        sub->addAction(taskAction(QString::fromUtf16(p.html), u"HTML Format"_s, ToolIcon::Web, {},
                                  [this] { HTMLFormat1Click(); }));
        sub->addAction(taskAction(QString::fromUtf16(p.csv), u"CSV Format"_s, ToolIcon::Web, {},
                                  [this] { CSVFormat1Click(); }));
        popup->insertMenu(before, sub);
    }
}

std::unique_ptr<QPrinter> TfrmMain::choosePrinter()
{
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    // Qt starts every printer on A4; the locale knows better.
    const QLocale::MeasurementSystem units = QLocale::system().measurementSystem();
    printer->setPageSize(QPageSize(units == QLocale::MetricSystem ? QPageSize::A4 : QPageSize::Letter));
    QPrintDialog dialog(printer.get(), this);
    dialog.setWindowTitle(u"Print"_s);
    if (sv_.runner.showModal(dialog) != QDialog::Accepted)
        return nullptr;
    return printer;
}

void TfrmMain::printList(const Grid &table, PageSettings settings, const QTableView *shown)
{
    auto printer = choosePrinter();
    if (!printer)
        return;
    // The columns as wide as the list shows them.
    if (shown && settings.columnWidths.empty())
        for (int c = 0; c < table.colCount(); ++c)
            // A column squeezed to nothing still prints narrow rather than
            // vanish; only a hidden one is left out.
            settings.columnWidths.push_back(shown->isColumnHidden(c) ? 0 : std::max(shown->columnWidth(c), 24));
    if (PrintGrid(*printer, table, settings, sv_.clock.now(), fs_) == 0)
        sv_.prompts.ErrorBox(u"The printer could not be started."_s);
}

TfrmPrint *TfrmMain::frmPrint()
{
    if (!frmPrint_) {
        frmPrint_ = std::make_unique<TfrmPrint>(TfrmPrint::Services{sv_.prompts, filter_, fs_, sv_.clock}, this);
        // Its dates are those of the day the program started, made now or
        // then.
        PrintRange r = frmPrint_->range();
        r.first = r.last = startDay_;
        frmPrint_->setRange(r);
    }
    return frmPrint_.get();
}

bool TfrmMain::askRange(PrintRange::Mode mode)
{
    frmPrint()->mode = mode;
    frmPrint()->setHeadingShadow(shadows_ ? 4 : 1, shadows_ ? QColor(0, 0, 255) : QColor(0, 0, 128));
    frmPrint()->setWeekStart(options_.sunday ? Qt::Sunday : Qt::Monday);
    return sv_.runner.showModal(*frmPrint()) == QDialog::Accepted;
}

void TfrmMain::Print1Click()
{
    commitNotes();
    if (!askRange(PrintRange::Mode::Print))
        return;
    const PrintRange range = frmPrint()->range();
    const Grid gridPrint = BuildPrintList(store_.grid(), gridNonday_, range, filter_, fs_);
    printList(gridPrint, CombinedListPageSettings(PrintTitle(range, filter_.FiltersOn(), fs_)), nullptr);
}

PrintFont TfrmMain::listPrintFont() const
{
    const FontSetting &f = options_.gridFont;
    // Points at the 96 pixels an inch the printer lays out in.
    return PrintFont{f.name, std::max(1, int(std::lround(f.size * 96.0 / 72.0))), f.bold, f.italic, f.under, f.strike};
}

void TfrmMain::Print3Click()
{
    commitNotes();
    PageSettings s = DayListPageSettings(dayHeading());
    SetListFont(s, listPrintFont());
    printList(gridDay_, s, tvDay_);
}

void TfrmMain::Print2Click()
{
    PageSettings s = TodoListPageSettings();
    SetListFont(s, listPrintFont());
    printList(gridNonday_, s, tvNonday_);
}

QString TfrmMain::exportFileName(bool html, const QString &baseName)
{
    const ExportFileDialog d = html ? HtmlExportDialog(baseName) : CsvExportDialog(baseName);
    const QString file = sv_.prompts.SaveFileName(d.title, QDir(exportFolder_).filePath(d.defaultName),
                                                  d.filters.join(u";;"_s), d.defaultSuffix);
    if (!file.isEmpty())
        exportFolder_ = QFileInfo(file).absolutePath();
    return file;
}

void TfrmMain::exportList(const ListSource &list, bool html, const QString &baseName)
{
    const QString file = exportFileName(html, baseName);
    if (file.isEmpty())
        return;
    // The header row takes the colour of an active window's frame.
    const FileResult r = html ? SaveTaskListHtml(list, palette().color(QPalette::Active, QPalette::Window), file)
                              : SaveTaskListCsv(list, file);
    if (!r)
        sv_.prompts.ErrorBox(r.message);
}

void TfrmMain::exportDailyTasks(bool html)
{
    commitNotes();
    if (!askRange(PrintRange::Mode::Export))
        return;
    // Read straight from the store: nothing changes it while the file is
    // written.
    const CombinedList list(store_.grid(), frmPrint()->range(), filter_, fs_);
    exportList(list, html);
}

void TfrmMain::HTMLFormat3Click() { exportDailyTasks(true); }
void TfrmMain::CommaDelimitedFormat1Click() { exportDailyTasks(false); }
void TfrmMain::HTMLFormat4Click() { exportList(GridListSource(gridNonday_, {kTodoNotes}), true); }
void TfrmMain::CommaDelimitedFormat2Click() { exportList(GridListSource(gridNonday_, {kTodoNotes}), false); }

GridListSource TfrmMain::activeListSource() const
{
    return activeList_ == tvNonday_ ? GridListSource(gridNonday_, {kTodoNotes}) : GridListSource(gridDay_, {kDayNotes});
}

void TfrmMain::HTMLFormat1Click()
{
    commitNotes();
    exportList(activeListSource(), true);
}

void TfrmMain::CSVFormat1Click()
{
    commitNotes();
    exportList(activeListSource(), false);
}

void TfrmMain::PublishCalendarasWebPage1Click()
{
    commitNotes();
    const StoreWebContent content(store_.grid(), filter_, [this](const QDate &d) { return holidays_.nameFor(d); });
    TfrmWebCal dialog({sv_.settings, sv_.prompts, *launcher_, fs_, content.content(), selectedDay(), !options_.sunday,
                       lblDate_->font()},
                      this);
    dialog.lblTitle->setShadowDepth(shadows_ ? 4 : 1);
    dialog.lblTitle->setTextColor(shadows_ ? QColor(0, 0, 255) : QColor(0, 0, 128));
    sv_.runner.showModal(dialog);
}

}  // namespace morvane
