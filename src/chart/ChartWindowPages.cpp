// The four chart pages: each chart with its series and axes, and the strip
// of controls under it.

#include "ChartWindow.h"

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QScrollBar>
#include <QTabWidget>
#include <QToolBar>
#include <QValueAxis>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr int kDepthMin = 5;
constexpr int kDepthMax = 70;

QChart *newChart()
{
    auto *chart = new QChart;
    chart->setMargins(QMargins(4, 4, 4, 4));
    chart->legend()->setAlignment(Qt::AlignTop);
    chart->setAnimationOptions(QChart::NoAnimation);
    return chart;
}

QValueAxis *countAxis(QChart *chart, Qt::Alignment where)
{
    auto *axis = new QValueAxis;
    axis->setLabelFormat(u"%i"_s);
    // Labels on the multiples of a whole step wherever the axis starts, so a
    // zoom or a move never puts them between whole counts.
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(1);
    axis->setRange(0, 5);
    chart->addAxis(axis, where);
    return axis;
}

QAreaSeries *newRibbon(QChart *chart)
{
    auto *ribbon = new QAreaSeries;
    ribbon->setUpperSeries(new QLineSeries(ribbon));
    ribbon->setLowerSeries(new QLineSeries(ribbon));
    chart->addSeries(ribbon);
    for (QLegendMarker *m : chart->legend()->markers(ribbon))
        m->setVisible(false);
    return ribbon;
}

QCheckBox *seriesBox(const QString &text, const QString &name, QWidget *parent)
{
    auto *box = new QCheckBox(text, parent);
    box->setObjectName(name);
    box->setChecked(true);
    return box;
}

QScrollBar *depthBar(const QString &name, QWidget *parent)
{
    auto *bar = new QScrollBar(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(kDepthMin, kDepthMax);
    bar->setValue(kDepthMin);
    bar->setFixedWidth(140);
    bar->setToolTip(u"Depth of the chart"_s);
    return bar;
}

// The strip under a chart: its depth bar (none when `depthName` is empty)
// and the boxes that show or hide the two series.
struct ChartStrip {
    QWidget *widget;
    QScrollBar *depth;
    QCheckBox *done, *notDone;
};
ChartStrip makeStrip(const QString &depthName, const QString &doneName, const QString &notDoneName)
{
    auto *strip = new QWidget;
    QScrollBar *depth = depthName.isEmpty() ? nullptr : depthBar(depthName, strip);
    QCheckBox *done = seriesBox(u"Done"_s, doneName, strip);
    QCheckBox *notDone = seriesBox(u"Not done"_s, notDoneName, strip);
    auto *sl = new QHBoxLayout(strip);
    sl->setContentsMargins(5, 0, 5, 4);
    sl->setSpacing(5);
    if (depth)
        sl->addWidget(depth);
    sl->addWidget(done);
    sl->addWidget(notDone);
    sl->addStretch();
    return {strip, depth, done, notDone};
}

}  // namespace

void TfrmChart::makeWeekChart()
{
    QChart *chart = newChart();
    serWeekDone = new QBarSet(u"Done"_s);
    serWeekNotDone = new QBarSet(u"Not Done"_s);
    weekSeries = new QBarSeries;
    weekSeries->append(serWeekDone);
    weekSeries->append(serWeekNotDone);
    chart->addSeries(weekSeries);
    weekDays = new QBarCategoryAxis;
    chart->addAxis(weekDays, Qt::AlignBottom);
    weekSeries->attachAxis(weekDays);
    weekCount = countAxis(chart, Qt::AlignLeft);
    weekCount->setTitleText(u"Frequency"_s);
    weekSeries->attachAxis(weekCount);
    chrtWeek = new ChartView(chart);
    chrtWeek->setObjectName(u"chrtWeek"_s);
    tbWeek = chartPage(u"tbWeek"_s, chrtWeek, &TeeWeek, nullptr);
    PageControl1->addTab(tbWeek, u"Day of week"_s);
}

void TfrmChart::makeHourChart()
{
    QChart *chart = newChart();
    depHourDone = newRibbon(chart);
    depHourNotDone = newRibbon(chart);
    serHourDone = new QLineSeries;
    serHourDone->setName(u"Done"_s);
    serHourNotDone = new QLineSeries;
    serHourNotDone->setName(u"Not done"_s);
    chart->addSeries(serHourDone);
    chart->addSeries(serHourNotDone);
    hourAxis = new QCategoryAxis;
    hourAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    hourAxis->setLabelsAngle(-90);
    // The labels are thinned out to fit; cut short they would read "...".
    hourAxis->setTruncateLabels(false);
    hourAxis->setRange(0, 48);
    hourAxis->setStartValue(-1);
    chart->addAxis(hourAxis, Qt::AlignBottom);
    hourCount = countAxis(chart, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(hourAxis);
        s->attachAxis(hourCount);
    }
    chrtHour = new ChartView(chart);
    chrtHour->setObjectName(u"chrtHour"_s);
    chrtHour->onResize = [this] { chrtHourResize(); };
    connect(chart, &QChart::plotAreaChanged, this, [this] { chrtHourResize(); });
    connect(hourAxis, &QValueAxis::rangeChanged, this, [this] { updateHourLabels(); });

    const ChartStrip controls = makeStrip(u"sbTime"_s, u"cbHourDone"_s, u"cbHourNotDone"_s);
    QWidget *strip = controls.widget;
    sbTime = controls.depth;
    cbHourDone = controls.done;
    cbHourNotDone = controls.notDone;
    connect(sbTime, &QScrollBar::valueChanged, this, [this] { sbTimeChange(); });
    connect(cbHourDone, &QCheckBox::clicked, this, [this] { cbHourDoneClick(); });
    connect(cbHourNotDone, &QCheckBox::clicked, this, [this] { cbHourDoneClick(); });
    tbHour = chartPage(u"tbHour"_s, chrtHour, &TeeHour, strip);
    PageControl1->addTab(tbHour, u"Hour of day"_s);
}

void TfrmChart::makeDayChart()
{
    QChart *chart = newChart();
    depDayDone = newRibbon(chart);
    depDayNotDone = newRibbon(chart);
    serDayDone = new QLineSeries;
    serDayDone->setName(u"Done"_s);
    serDayNotDone = new QLineSeries;
    serDayNotDone->setName(u"Not Done"_s);
    for (QLineSeries *s : {serDayDone, serDayNotDone}) {
        s->setPointsVisible(true);
        chart->addSeries(s);
    }
    dayAxis = new QCategoryAxis;
    dayAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    dayAxis->setTruncateLabels(false);
    chart->addAxis(dayAxis, Qt::AlignBottom);
    dayCount = countAxis(chart, Qt::AlignLeft);
    for (QAbstractSeries *s : chart->series()) {
        s->attachAxis(dayAxis);
        s->attachAxis(dayCount);
    }
    chrtDay = new ChartView(chart);
    chrtDay->setObjectName(u"chrtDay"_s);
    chrtDay->onResize = [this] { chrtDayResize(); };
    connect(chart, &QChart::plotAreaChanged, this, [this] { chrtDayResize(); });
    connect(dayAxis, &QValueAxis::rangeChanged, this, [this] { updateDayLabels(); });

    const ChartStrip controls = makeStrip(u"sbDayDay"_s, u"cbDayDone"_s, u"cbDayNotDone"_s);
    QWidget *strip = controls.widget;
    sbDayDay = controls.depth;
    cbDayDone = controls.done;
    cbDayNotDone = controls.notDone;
    connect(sbDayDay, &QScrollBar::valueChanged, this, [this] { sbDayDayChange(); });
    connect(cbDayDone, &QCheckBox::clicked, this, [this] { cbDayDoneClick(); });
    connect(cbDayNotDone, &QCheckBox::clicked, this, [this] { cbDayDoneClick(); });
    tbDay = chartPage(u"tbDay"_s, chrtDay, &TeeDay, strip);
    PageControl1->addTab(tbDay, u"Day by day"_s);
}

void TfrmChart::makeCatChart()
{
    QChart *chart = newChart();
    serCatDone = new QBarSet(u"Done"_s);
    serCatNotDone = new QBarSet(u"Not done"_s);
    catSeries = new QHorizontalBarSeries;
    catSeries->append(serCatDone);
    catSeries->append(serCatNotDone);
    chart->addSeries(catSeries);
    catNames = new QBarCategoryAxis;
    // Names are cut to a readable length here, never to dots by the axis.
    catNames->setTruncateLabels(false);
    chart->addAxis(catNames, Qt::AlignLeft);
    catSeries->attachAxis(catNames);
    catCount = countAxis(chart, Qt::AlignBottom);
    catSeries->attachAxis(catCount);
    chrtCat = new ChartView(chart);
    chrtCat->setObjectName(u"chrtCat"_s);

    const ChartStrip controls = makeStrip({}, u"cbCatDone"_s, u"cbCatNotDone"_s);
    QWidget *strip = controls.widget;
    cbCatDone = controls.done;
    cbCatNotDone = controls.notDone;
    connect(cbCatDone, &QCheckBox::clicked, this, [this] { cbCatDoneClick(); });
    connect(cbCatNotDone, &QCheckBox::clicked, this, [this] { cbCatDoneClick(); });
    tbCategory = chartPage(u"tbCategory"_s, chrtCat, &TeeCat, strip);
    TeeCat->setObjectName(u"TeeCat"_s);
    PageControl1->addTab(tbCategory, u"Top 10 Categories"_s);
}

}  // namespace morvane
