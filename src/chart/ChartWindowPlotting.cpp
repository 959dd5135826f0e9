// Plotting: the counts of one plot turned into the series of the four
// charts.

#include "ChartWindow.h"

#include "ShadowLabel.h"

#include <QApplication>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCategoryAxis>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr int kCategoryLabelChars = 40;

// Labels of the category axis: long names cut, and each one different,
// because the axis drops a label it already has (and with it a bar).
QStringList categoryLabels(const std::vector<CategoryRow> &rows)
{
    QStringList out;
    for (const CategoryRow &r : rows) {
        QString text = r.name;
        for (QChar &c : text)
            if (c.category() == QChar::Other_Control)
                c = u' ';
        if (text.size() > kCategoryLabelChars)
            text = text.left(kCategoryLabelChars - 1) + QChar(0x2026);
        const QString base = text;
        for (int n = 2; out.contains(text); ++n)
            text = base + u" (%1)"_s.arg(n);
        out.append(text);
    }
    return out;
}

}  // namespace

void TfrmChart::btPlotClick()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    struct Restore {
        ~Restore() { QApplication::restoreOverrideCursor(); }
    } restore;
    PlotReadings();
    AnimateWindow();
}

void TfrmChart::PlotReadings()
{
    readings_ = morvane::PlotReadings(sv_.store, sv_.filter, range_, sv_.fs);
    lblTitle->setText(readings_.heading);
    fillWeek();
    fillHour();
    fillDay();
    fillCat();
    fillCategoryList();
    for (ChartView *v : {chrtWeek, chrtHour, chrtDay, chrtCat})
        v->captureHome();
}

void TfrmChart::fillWeek()
{
    QStringList days;
    for (int w = 1; w <= 7; ++w)
        days.append(sv_.fs.shortDayNames[std::size_t(w - 1)]);
    weekDays->clear();
    weekDays->append(days);
    serWeekDone->remove(0, serWeekDone->count());
    serWeekNotDone->remove(0, serWeekNotDone->count());
    int largest = 0;
    for (int w = 1; w <= 7; ++w) {
        serWeekDone->append(readings_.weekDone[std::size_t(w)]);
        serWeekNotDone->append(readings_.weekNotDone[std::size_t(w)]);
        largest = std::max({largest, readings_.weekDone[std::size_t(w)], readings_.weekNotDone[std::size_t(w)]});
    }
    setCountScale(weekCount, PlotCountScale(largest));
}

void TfrmChart::fillHour()
{
    QList<QPointF> done, notDone;
    int largest = 0;
    for (int s = 0; s < 48; ++s) {
        done.append(QPointF(s, readings_.hourDone[std::size_t(s)]));
        notDone.append(QPointF(s, readings_.hourNotDone[std::size_t(s)]));
        largest = std::max({largest, readings_.hourDone[std::size_t(s)], readings_.hourNotDone[std::size_t(s)]});
    }
    serHourDone->replace(done);
    serHourNotDone->replace(notDone);
    hourAxis->setRange(0, 48);
    setCountScale(hourCount, PlotCountScale(largest));
    updateHourLabels();
    updateHourDepth();
}

void TfrmChart::fillDay()
{
    QList<QPointF> done, notDone;
    int largest = 0;
    qreal lo = 0, hi = 0;
    bool any = false;
    for (auto [points, list] : {std::pair{&readings_.dayDone, &done}, std::pair{&readings_.dayNotDone, &notDone}})
        for (const DayPoint &p : *points) {
            list->append(QPointF(p.day, p.count));
            largest = std::max(largest, p.count);
            lo = any ? std::min(lo, qreal(p.day)) : p.day;
            hi = any ? std::max(hi, qreal(p.day)) : p.day;
            any = true;
        }
    serDayDone->replace(done);
    serDayNotDone->replace(notDone);
    if (!any) {
        lo = range_.start;
        hi = std::max(range_.end, range_.start + 1);
    }
    const qreal pad = readings_.mode == BucketMode::Weekly ? 4 : 1;
    dayMin_ = lo - pad;
    dayMax_ = hi + pad;
    dayAxis->setRange(dayMin_, dayMax_);
    setCountScale(dayCount, PlotCountScale(largest));
    updateDayLabels();
    updateDayDepth();
}

void TfrmChart::fillCat()
{
    catNames->clear();
    serCatDone->remove(0, serCatDone->count());
    serCatNotDone->remove(0, serCatNotDone->count());
    // Horizontal bars stack their categories from the bottom, and a bar
    // category axis cannot be turned over, so the ten go in from the last:
    // the first category ends up at the top.
    std::vector<CategoryRow> bottomUp(readings_.topTen.rbegin(), readings_.topTen.rend());
    int largest = 0;
    for (const CategoryRow &r : bottomUp) {
        serCatDone->append(r.done);
        serCatNotDone->append(r.notDone);
        largest = std::max({largest, r.done, r.notDone});
    }
    QStringList labels = categoryLabels(readings_.topTen);
    std::reverse(labels.begin(), labels.end());
    catNames->append(labels);
    setCountScale(catCount, PlotCountScale(largest));
}

}  // namespace morvane
