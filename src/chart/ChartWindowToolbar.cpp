// Each chart's page and its toolbar: Reset, the left drag's mode (Zoom or
// Move) and Print.

#include "ChartWindow.h"

#include "ChartView.h"

#include <QAction>
#include <QActionGroup>
#include <QToolBar>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

QWidget *TfrmChart::chartPage(const QString &name, ChartView *view, QToolBar **toolbar, QWidget *strip)
{
    auto *page = new QWidget;
    page->setObjectName(name);
    view->setParent(page);
    auto *tb = new QToolBar(page);
    tb->setObjectName(u"Tee"_s + name.mid(2));
    tb->setToolButtonStyle(Qt::ToolButtonTextOnly);
    tb->setIconSize(QSize(16, 16));
    QAction *reset = tb->addAction(u"Reset"_s);
    reset->setObjectName(u"actReset"_s);
    reset->setToolTip(u"Show the whole chart"_s);
    auto *modes = new QActionGroup(tb);
    QAction *zoom = tb->addAction(u"Zoom"_s);
    zoom->setObjectName(u"actZoom"_s);
    zoom->setToolTip(u"Left drag zooms"_s);
    QAction *move = tb->addAction(u"Move"_s);
    move->setObjectName(u"actMove"_s);
    move->setToolTip(u"Left drag moves the chart"_s);
    for (QAction *a : {zoom, move}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    zoom->setChecked(true);
    tb->addSeparator();
    QAction *print = tb->addAction(u"Print"_s);
    print->setObjectName(u"actPrint"_s);
    print->setToolTip(u"Print the chart"_s);
    connect(reset, &QAction::triggered, view, &ChartView::resetView);
    connect(zoom, &QAction::triggered, view, [view] { view->setLeftDrag(ChartView::LeftDrag::Zoom); });
    connect(move, &QAction::triggered, view, [view] { view->setLeftDrag(ChartView::LeftDrag::Move); });
    connect(print, &QAction::triggered, this, [this, view] { printChart(view); });
    *toolbar = tb;

    auto *l = new QVBoxLayout(page);
    l->setContentsMargins(2, 2, 2, 2);
    l->setSpacing(2);
    l->addWidget(tb);
    l->addWidget(view, 1);
    if (strip)
        l->addWidget(strip);
    return page;
}

}  // namespace morvane
