// The chart of activity.

#include "MainWindow.h"

#include "ChartWindow.h"
#include "OptionsDialog.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildChart()
{
    QMenu *file = fileMenu();
    insertCommand(file, file->findChild<QAction *>(u"PublishCalendarasWebPage1"_s), u"Charts1"_s, u"Chart&s"_s,
                  &TfrmMain::Charts1Click);
    QAction *hide = ToolBar1_->findChild<QAction *>(u"ToolButton14"_s);
    ToolBar1_->insertAction(hide, taskAction(u"ToolButton2"_s, u"Charts"_s, ToolIcon::Chart, u"Charts"_s,
                                             [this] { Charts1Click(); }));
}

void TfrmMain::Charts1Click()
{
    commitNotes();
    TfrmChart chart({store_.grid(), filter_, fs_, sv_.clock, sv_.settings, sv_.prompts, sv_.runner,
                     options_.doneColorBG, options_.notDoneColorBG, shadows_,
                     TfrmOptions::toFont(options_.titleFont), options_.sunday ? Qt::Sunday : Qt::Monday},
                    this);
    sv_.runner.showModal(chart);
}

}  // namespace morvane
