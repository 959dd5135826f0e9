// Exchange with other calendars: export to and import from iCalendar files.

#include "MainWindow.h"

#include "CompletedTasksWindow.h"
#include "IcsExport.h"
#include "IcsImport.h"
#include "IcsImportDialog.h"
#include "PrintRangeDialog.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>

#include <memory>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {
const QString kIcsFilter = u"iCalendar files (*.ics);;All files (*)"_s;
}

void TfrmMain::buildExchange()
{
    QMenu *file = fileMenu();
    QAction *before = file->findChild<QAction *>(u"PublishCalendarasWebPage1"_s);
    insertCommand(file, before, u"ExportToICalendar1"_s, u"Export to &iCalendar..."_s,
                  &TfrmMain::ExportToICalendar1Click);
    insertCommand(file, before, u"ImportFromICalendar1"_s, u"Import from iCale&ndar..."_s,
                  &TfrmMain::ImportFromICalendar1Click);
}

void TfrmMain::ExportToICalendar1Click()
{
    commitNotes();
    if (!askRange(PrintRange::Mode::Export))
        return;
    const bool withCompleted = sv_.prompts.YesNo(u"Include the completed tasks too?"_s);
    const QString file = sv_.prompts.SaveFileName(u"Export to iCalendar"_s, QDir(exportFolder_).filePath(u"morvane.ics"_s),
                                                  kIcsFilter, u"ics"_s);
    if (file.isEmpty())
        return;
    exportFolder_ = QFileInfo(file).absolutePath();
    IcsExportOptions o;
    o.range = frmPrint()->range();
    o.filter = &filter_;
    o.includeTodo = true;
    o.alarmLeadMinutes = options_.alarmMin;
    o.stamp = sv_.clock.now();
    o.formats = fs_;
    int written = 0;
    if (const FileResult r = ExportIcsFile(file, store_.grid(), gridNonday_,
                                           withCompleted ? &frmComplete()->table() : nullptr, o, &written);
        !r)
        sv_.prompts.ErrorBox(r.message);
    else
        sv_.prompts.InfoBox(IcsExportDoneText(written, file));
}

void TfrmMain::ImportFromICalendar1Click()
{
    const UndoStep step(*this, u"Import from iCalendar"_s);
    const QString file = sv_.prompts.OpenFileName(u"Import from iCalendar"_s, exportFolder_, kIcsFilter);
    if (file.isEmpty())
        return;
    exportFolder_ = QFileInfo(file).absolutePath();
    // The import is worked out on another thread while the summary dialog
    // shows its progress: it reads the file there, and copies of the tables,
    // which nothing here changes meanwhile.
    const auto store = std::make_shared<const Grid>(store_.grid());
    const auto todo = std::make_shared<const Grid>(gridNonday_);
    auto plan = [file, store, todo, fs = fs_, lead = options_.alarmMin](QDate from, QDate to, IcsPlanControl &control) {
        QFile in(file);
        if (!in.open(QIODevice::ReadOnly)) {
            IcsImportPlan failed;
            failed.ok = false;
            failed.error = u"The file %1 cannot be read: %2."_s.arg(QDir::toNativeSeparators(file), in.errorString());
            return failed;
        }
        return PlanIcsImport(in.readAll(), *store, *todo, from, to, fs, &control, lead);
    };
    const auto [from, to] = DefaultIcsImportRange(sv_.clock.today());
    TfrmIcsImport dialog({file, plan, fs_, from, to, options_.sunday ? Qt::Sunday : Qt::Monday}, this);
    if (sv_.runner.showModal(dialog) != QDialog::Accepted) {
        // A file that cannot be read is refused before anything changes.
        if (!dialog.failure().isEmpty())
            sv_.prompts.ErrorBox(dialog.failure());
        return;
    }
    const bool withChanges = dialog.withChanges();
    const FileResult r = ApplyIcsImport(dialog.plan(), store_, gridNonday_, withChanges);
    reportSave(store_.path(), r);
    (void)saveTodo();
    reloadTables();
    if (r)
        sv_.prompts.InfoBox(IcsImportDoneText(dialog.plan(), withChanges));
}

}  // namespace morvane
