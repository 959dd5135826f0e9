// Output: printing the lists.

#include "MainWindow.h"

#include "GridPrinter.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QPrintDialog>
#include <QPrinter>
#include <QTableView>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildOutput()
{
    // Each list prints from its side toolbar and its popup menu.
    ToolBar2_->addAction(taskAction(u"tbPrint1"_s, u"Print"_s, ToolIcon::Print, u"Print date tasks"_s,
                                    [this] { Print3Click(); }));
    ToolBar3_->addAction(taskAction(u"tbPrint2"_s, u"Print"_s, ToolIcon::Print, u"Print tasks"_s,
                                    [this] { Print2Click(); }));
    for (auto [list, name, handler] : {std::tuple{tvDay_, u"Print3"_s, &TfrmMain::Print3Click},
                                       std::tuple{tvNonday_, u"Print2"_s, &TfrmMain::Print2Click}}) {
        auto *popup = list->findChild<QMenu *>(list == tvDay_ ? u"PopupMenu1"_s : u"PopupMenu2"_s);
        if (!popup)
            continue;
        popup->addSeparator();
        popup->addAction(taskAction(name, u"Print"_s, ToolIcon::Print, {}, [this, h = handler] { (this->*h)(); }));
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
            settings.columnWidths.push_back(shown->isColumnHidden(c) ? 0 : shown->columnWidth(c));
    if (PrintGrid(*printer, table, settings, sv_.clock.now(), fs_) == 0)
        sv_.prompts.ErrorBox(u"The printer could not be started."_s);
}

void TfrmMain::Print3Click()
{
    commitNotes();
    printList(gridDay_, DayListPageSettings(dayHeading()), tvDay_);
}

void TfrmMain::Print2Click() { printList(gridNonday_, TodoListPageSettings(), tvNonday_); }

}  // namespace morvane
