// The controls under the charts: the switches that show or hide each series
// and the depth bars behind the lines.

#include "ChartWindow.h"

#include <QAbstractBarSeries>
#include <QHorizontalBarSeries>
#include <QAreaSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QLineSeries>
#include <QScrollBar>
#include <QValueAxis>

#include <algorithm>

namespace morvane {

namespace {

// How far a ribbon reaches back at a depth of 100 percent, as a share of the
// axes' spans.
constexpr qreal kDepthReach = 0.1;

// Puts a bar set into its series or takes it out, keeping done first.
void showBarSet(QAbstractBarSeries *series, QBarSet *set, bool on, int index)
{
    const bool in = series->barSets().contains(set);
    if (on && !in)
        series->insert(std::min(index, int(series->count())), set);
    else if (!on && in)
        series->take(set);
}

}  // namespace

void TfrmChart::updateDepth(QAreaSeries *ribbon, const QLineSeries *line, int depth, qreal xSpan, qreal ySpan)
{
    const qreal dx = depth / 100.0 * kDepthReach * xSpan;
    const qreal dy = depth / 100.0 * kDepthReach * ySpan;
    const QList<QPointF> points = line->points();
    QList<QPointF> back;
    back.reserve(points.size());
    for (const QPointF &p : points)
        back.append(p + QPointF(dx, dy));
    ribbon->upperSeries()->replace(back);
    ribbon->lowerSeries()->replace(points);
}

void TfrmChart::updateHourDepth()
{
    const int depth = sbTime->value();
    updateDepth(depHourDone, serHourDone, depth, 48, hourCount->max());
    updateDepth(depHourNotDone, serHourNotDone, depth, 48, hourCount->max());
}

void TfrmChart::updateDayDepth()
{
    const int depth = sbDayDay->value();
    updateDepth(depDayDone, serDayDone, depth, dayMax_ - dayMin_, dayCount->max());
    updateDepth(depDayNotDone, serDayNotDone, depth, dayMax_ - dayMin_, dayCount->max());
}

void TfrmChart::sbTimeChange() { updateHourDepth(); }
void TfrmChart::sbDayDayChange() { updateDayDepth(); }

void TfrmChart::cbHourDoneClick()
{
    serHourDone->setVisible(cbHourDone->isChecked());
    depHourDone->setVisible(cbHourDone->isChecked());
    serHourNotDone->setVisible(cbHourNotDone->isChecked());
    depHourNotDone->setVisible(cbHourNotDone->isChecked());
}

void TfrmChart::cbDayDoneClick()
{
    serDayDone->setVisible(cbDayDone->isChecked());
    depDayDone->setVisible(cbDayDone->isChecked());
    serDayNotDone->setVisible(cbDayNotDone->isChecked());
    depDayNotDone->setVisible(cbDayNotDone->isChecked());
}

void TfrmChart::cbCatDoneClick()
{
    showBarSet(catSeries, serCatDone, cbCatDone->isChecked(), 0);
    showBarSet(catSeries, serCatNotDone, cbCatNotDone->isChecked(), 1);
}

bool TfrmChart::barSetShown(const QBarSet *set)
{
    const auto *series = qobject_cast<const QAbstractBarSeries *>(set->parent());
    return series && series->barSets().contains(const_cast<QBarSet *>(set));
}

}  // namespace morvane
