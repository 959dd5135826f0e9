#include "ChartStores.h"
#include "ChartWindow.h"
#include "Clock.h"
#include "Colors.h"
#include "DateRangeDialog.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "ShadowLabel.h"

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QAction>
#include <QCheckBox>
#include <QDateEdit>
#include <QToolBar>
#include <QFile>
#include <QFrame>
#include <QGraphicsScene>
#include <QGraphicsTextItem>
#include <QHeaderView>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <QPrintDialog>
#include <QPrinter>
#include <QProcess>
#include <QRadioButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace morvane;

namespace {

const FormatSettings kFs = fix2000(FormatSettings::enUS());

class ChartWindow : public ::testing::Test {
protected:
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath("Task.conf")};
    FixedClock clock{QDateTime(QDate(2001, 3, 31), QTime(14, 45))};
    TaskFilter filter;
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    Grid store = NewStoreGrid();

    void SetUp() override { TfrmChart::rememberedChoice() = RangeChoice{}; }

    // March 2001: 1 March (a Thursday) two Work tasks, one done; 3 March one
    // Home task at 9:30; 5 March a done Work task at 9:00.
    void marchStore()
    {
        store = ChartStore({{QDate(2001, 3, 1), "9:00 AM", "Work", true},
                            {QDate(2001, 3, 1), "2:00 PM", "Work", false},
                            {QDate(2001, 3, 3), "9:30 AM", "Home", false},
                            {QDate(2001, 3, 5), "9:00 AM", "Work", true}});
        WriteChartRange(settings, {Day(2001, 3, 1), Day(2001, 3, 31)});
    }

    std::unique_ptr<TfrmChart> make()
    {
        return std::make_unique<TfrmChart>(
            TfrmChart::Services{store, filter, kFs, clock, settings, prompts, runner});
    }

    // The window on screen at its first size, without the opening turn.
    std::unique_ptr<TfrmChart> shown()
    {
        auto w = make();
        w->cbAnimate->setChecked(false);
        w->resize(625, 464);
        w->show();
        return w;
    }
};

QList<qreal> values(const QBarSet *set)
{
    QList<qreal> out;
    for (int i = 0; i < set->count(); ++i)
        out << set->at(i);
    return out;
}

QStringList listColumn(const TfrmChart &w, int col)
{
    QStringList out;
    for (int r = 1; r < w.categoryTable().rowCount(); ++r)
        out << w.categoryTable().cell(col, r);
    return out;
}


// A label of a count axis as the chart shows it, and how far it stands from
// the place of the count it reads (where its gridline is).
struct ShownLabel {
    QString text;
    qreal offset = 0;
};

// The labels along a count axis, from the smallest count up: the texts the
// chart's scene holds left of the plot area (a vertical axis) or under it (a
// horizontal one).
QList<ShownLabel> countLabels(ChartView *view, QAbstractSeries *series, QValueAxis *axis)
{
    QApplication::processEvents();  // the chart lays out its labels on a posted request
    QChart *chart = view->chart();
    const bool vertical = axis->orientation() == Qt::Vertical;
    const QRectF area = chart->mapRectToScene(chart->plotArea());
    QList<std::pair<qreal, ShownLabel>> found;
    for (QGraphicsItem *item : view->scene()->items()) {
        auto *text = dynamic_cast<QGraphicsTextItem *>(item);
        if (!text || !text->isVisible() || text->toPlainText() == axis->titleText())
            continue;
        const QRectF r = text->sceneBoundingRect();
        const QPointF c = r.center();
        const bool along = vertical ? r.right() <= area.left() + 1 && c.y() > area.top() - 2 && c.y() < area.bottom() + 2
                                    : r.top() >= area.bottom() - 1 && c.x() > area.left() - 2 && c.x() < area.right() + 2;
        if (!along)
            continue;
        const qreal count = text->toPlainText().toDouble();
        const QPointF at = chart->mapToScene(chart->mapToPosition(vertical ? QPointF(0, count) : QPointF(count, 0), series));
        // Up the screen for a vertical axis, along it for a horizontal one.
        found.append({vertical ? -c.y() : c.x(), ShownLabel{text->toPlainText(), vertical ? c.y() - at.y() : c.x() - at.x()}});
    }
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<ShownLabel> out;
    for (const auto &f : found)
        out.append(f.second);
    return out;
}

QString texts(const QList<ShownLabel> &labels)
{
    QStringList out;
    for (const ShownLabel &l : labels)
        out << l.text;
    return out.join(u", ");
}

}  // namespace

TEST_F(ChartWindow, PagesHoldTheCountsOfThePlot)
{
    marchStore();
    auto w = make();
    EXPECT_EQ(w->windowTitle(), "Chart of Activity");
    // Before the first plot the list's third heading reads "Not Done".
    EXPECT_EQ(w->gridCat->model()->headerData(2, Qt::Horizontal).toString(), "Not Done");

    w->FormShow();
    QStringList tabs;
    for (int i = 0; i < w->PageControl1->count(); ++i)
        tabs << w->PageControl1->tabText(i);
    EXPECT_EQ(tabs, QStringList({"Day of week", "Hour of day", "Day by day", "Top 10 Categories", "Category list"}));
    EXPECT_EQ(w->PageControl1->currentIndex(), 0);
    EXPECT_EQ(w->lblTitle->text(), "All tasks from 3/1/2001 through 3/31/2001");

    // Day of week: Thursday has one done and one not done, Saturday one not
    // done, Monday one done.
    EXPECT_EQ(w->weekDays->categories(), QStringList({"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"}));
    EXPECT_EQ(values(w->serWeekDone), (QList<qreal>{0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(values(w->serWeekNotDone), (QList<qreal>{0, 0, 0, 0, 1, 0, 1}));
    EXPECT_EQ(w->serWeekDone->label(), "Done");
    EXPECT_EQ(w->serWeekNotDone->label(), "Not Done");
    EXPECT_EQ(w->weekCount->titleText(), "Frequency");

    // Hour of day: 48 points from 0, 9:00 in slot 18, 9:30 in 19, 2 PM in 28.
    ASSERT_EQ(w->serHourDone->count(), 48);
    EXPECT_EQ(w->serHourDone->at(18), QPointF(18, 2));
    EXPECT_EQ(w->serHourNotDone->at(19), QPointF(19, 1));
    EXPECT_EQ(w->serHourNotDone->at(28), QPointF(28, 1));
    EXPECT_EQ(w->serHourNotDone->at(18), QPointF(18, 0));
    EXPECT_EQ(w->hourAxis->min(), 0);
    EXPECT_EQ(w->hourAxis->max(), 48);
    EXPECT_EQ(w->hourAxis->labelsAngle(), -90);
    EXPECT_TRUE(w->hourAxis->categoriesLabels().contains("9:00 AM"));
    EXPECT_EQ(w->serHourNotDone->name(), "Not done");

    // Day by day, one point per day and state.
    EXPECT_EQ(w->serDayDone->points(), (QList<QPointF>{{qreal(Day(2001, 3, 1)), 1}, {qreal(Day(2001, 3, 5)), 1}}));
    EXPECT_EQ(w->serDayNotDone->points(), (QList<QPointF>{{qreal(Day(2001, 3, 1)), 1}, {qreal(Day(2001, 3, 3)), 1}}));
    EXPECT_TRUE(w->serDayDone->pointsVisible());
    EXPECT_FALSE(w->dayAxis->categoriesLabels().isEmpty());
    EXPECT_TRUE(w->dayAxis->categoriesLabels().first().contains("/Mar/01") ||
                w->dayAxis->categoriesLabels().first().contains("/Feb/01"));

    // Top ten, the first at the top: horizontal bars count from the bottom.
    EXPECT_EQ(w->catNames->categories(), QStringList({"Home", "Work"}));
    EXPECT_EQ(values(w->serCatDone), (QList<qreal>{0, 2}));
    EXPECT_EQ(values(w->serCatNotDone), (QList<qreal>{1, 1}));

    // The list, with the heading the plot writes.
    EXPECT_EQ(w->gridCat->model()->headerData(2, Qt::Horizontal).toString(), "Not done");
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Work", "Home"}));
    EXPECT_EQ(listColumn(*w, 3), QStringList({"3", "1"}));
    EXPECT_EQ(w->gridCat->model()->data(w->gridCat->model()->index(0, 1), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                  Qt::AlignRight,
              Qt::AlignRight);
    EXPECT_EQ(w->gridCat->columnWidth(0), 296);

    // Colours from the options: done cyan, not done red by default.
    EXPECT_EQ(w->serCatDone->color(), ToQColor(0xFFFF00));
    EXPECT_EQ(w->serCatNotDone->color(), QColor(255, 0, 0));
    // The lines take the colours as they are.
    for (QLineSeries *line : {w->serHourDone, w->serDayDone})
        EXPECT_EQ(line->pen().color(), ToQColor(0xFFFF00)) << line->name().toStdString();
    for (QLineSeries *line : {w->serHourNotDone, w->serDayNotDone})
        EXPECT_EQ(line->pen().color(), QColor(255, 0, 0)) << line->name().toStdString();
    // The heading's shadow.
    EXPECT_EQ(w->lblTitle->shadowDepth(), 4);
    EXPECT_EQ(w->lblTitle->textColor(), QColor(0, 0, 255));
}

TEST_F(ChartWindow, NoTasksLeavesEverySeriesEmpty)
{
    WriteChartRange(settings, {Day(2001, 3, 1), Day(2001, 3, 31)});
    auto w = make();
    w->FormShow();
    EXPECT_EQ(w->lblTitle->text(), "All tasks from 3/1/2001 through 3/31/2001");
    EXPECT_TRUE(w->serDayDone->points().isEmpty());
    EXPECT_TRUE(w->catNames->categories().isEmpty());
    EXPECT_EQ(w->serCatDone->count(), 0);
    EXPECT_EQ(w->gridCat->model()->rowCount(), 0);
    EXPECT_EQ(values(w->serWeekDone), QList<qreal>(7, 0));
}

TEST_F(ChartWindow, CategoryListSortsAscendingFirstNamesByteForByteCountsAsNumbers)
{
    QList<ChartTask> tasks;
    auto add = [&](const QString &cat, int done, int notDone) {
        for (int i = 0; i < done + notDone; ++i)
            tasks.append(ChartTask{QDate(2001, 3, 1 + i % 28), "9:00 AM", cat, i < done});
    };
    add("bills", 9, 0);
    add("Car", 10, 0);
    add("Garden", 2, 0);
    add("Doctor", 0, 12);
    store = ChartStore(tasks);
    WriteChartRange(settings, {Day(2001, 3, 1), Day(2001, 3, 31)});
    auto w = shown();
    w->PageControl1->setCurrentWidget(w->tbCatGrid);
    QApplication::processEvents();
    QHeaderView *h = w->gridCat->horizontalHeader();
    auto click = [&](int column) {
        const QPoint at(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
        QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
    };
    // The plot leaves the list in top-ten order, most done first.
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Car", "bills", "Garden", "Doctor"}));
    EXPECT_EQ(h->sortIndicatorSection(), 1);
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::DescendingOrder);

    // The first click on a heading sorts ascending, as numbers (2 before 9
    // before 10 before 12); the second reverses.
    click(3);
    EXPECT_EQ(listColumn(*w, 3), QStringList({"2", "9", "10", "12"}));
    EXPECT_EQ(h->sortIndicatorSection(), 3);
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::AscendingOrder);
    click(3);
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Doctor", "Car", "bills", "Garden"}));
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::DescendingOrder);

    // Names byte for byte: capitals before small letters. The list's model
    // shows the same order.
    click(0);
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Car", "Doctor", "Garden", "bills"}));
    EXPECT_EQ(w->gridCat->model()->index(3, 0).data().toString(), "bills");
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::AscendingOrder);
    click(0);
    EXPECT_EQ(listColumn(*w, 0), QStringList({"bills", "Garden", "Doctor", "Car"}));
    click(2);
    EXPECT_EQ(listColumn(*w, 2), QStringList({"0", "0", "0", "12"}));

    // After a redraw the list is in its top-ten order again, so the first
    // click on "Done" turns it over: from the fewest done tasks.
    w->btPlotClick();
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Car", "bills", "Garden", "Doctor"}));
    click(1);
    EXPECT_EQ(listColumn(*w, 0), QStringList({"Doctor", "Garden", "bills", "Car"}));
    EXPECT_EQ(h->sortIndicatorOrder(), Qt::AscendingOrder);
    w->hide();
}

TEST_F(ChartWindow, RangeAndAnimateAreStoredAtClose)
{
    auto w = make();
    // Nothing stored: from 1 January 1998 to today, animated.
    EXPECT_EQ(w->range(), (ChartRange{Day(1998, 1, 1), Day(2001, 3, 31)}));
    EXPECT_TRUE(w->cbAnimate->isChecked());
    w->cbAnimate->setChecked(false);
    w->setRange({Day(2000, 5, 1), Day(2000, 8, 31)});
    w->btCloseClick();
    EXPECT_EQ(settings.raw("Options", "ChartStart"), QString::number(Day(2000, 5, 1)));
    EXPECT_EQ(settings.raw("Options", "ChartEnd"), QString::number(Day(2000, 8, 31)));
    EXPECT_EQ(settings.raw("Options", "Animate"), "0");

    auto again = make();
    EXPECT_EQ(again->range(), (ChartRange{Day(2000, 5, 1), Day(2000, 8, 31)}));
    EXPECT_FALSE(again->cbAnimate->isChecked());
    // The close box stores too.
    again->setRange({Day(2000, 6, 1), Day(2000, 6, 2)});
    again->reject();
    EXPECT_EQ(settings.raw("Options", "ChartStart"), QString::number(Day(2000, 6, 1)));
}

TEST_F(ChartWindow, RangeDialogSetsTheRangeAndRemembersTheChoice)
{
    marchStore();
    WriteChartRange(settings, {Day(2001, 2, 1), Day(2001, 3, 31)});
    auto w = make();
    w->FormShow();
    runner.responders.append([](QDialog &d) {
        auto &dlg = dynamic_cast<TfrmSelectDateRange &>(d);
        EXPECT_EQ(dlg.lblTitle->shadowDepth(), 4);
        EXPECT_TRUE(dlg.rbBetween->isChecked());
        EXPECT_EQ(dlg.dtStart->date(), QDate(2001, 2, 1));
        dlg.rbMonths->setChecked(true);
        dlg.rbDaysClick();
        dlg.btOKClick();
        return int(QDialog::Accepted);
    });
    w->btDateRangeClick();
    EXPECT_EQ(runner.shownTitles, QStringList({"Select Date Range"}));
    // The previous month on 31 March is March.
    EXPECT_EQ(w->range(), (ChartRange{Day(2001, 3, 1), Day(2001, 3, 31)}));
    EXPECT_EQ(w->lblTitle->text(), "All tasks from 3/1/2001 through 3/31/2001");
    EXPECT_EQ(TfrmChart::rememberedChoice(), (RangeChoice{RangeChoice::Months, 1, 1}));

    // The next opening shows the remembered choice; Cancel changes nothing.
    runner.responders.append([](QDialog &d) {
        auto &dlg = dynamic_cast<TfrmSelectDateRange &>(d);
        EXPECT_TRUE(dlg.rbMonths->isChecked());
        EXPECT_EQ(dlg.dtStart->date(), QDate(2001, 3, 1));
        dlg.rbDays->setChecked(true);
        dlg.edDays->setValue(5);
        return int(QDialog::Rejected);
    });
    w->btDateRangeClick();
    EXPECT_EQ(w->range(), (ChartRange{Day(2001, 3, 1), Day(2001, 3, 31)}));
    EXPECT_EQ(TfrmChart::rememberedChoice().row, RangeChoice::Months);
}

TEST_F(ChartWindow, AnimationTurnsInTwentyThreeTicks)
{
    marchStore();
    auto w = make();
    w->FormShow();
    ChartView *week = w->chrtWeek;
    ASSERT_EQ(w->animatedChart(), week);
    EXPECT_EQ(week->view3D(), (ChartView::View3D{false, 270, 270, 33}));
    EXPECT_TRUE(w->Timer1->isActive());
    EXPECT_EQ(w->Timer1->interval(), 80);
    EXPECT_NEAR(week->transform().m11(), 0.33, 1e-9);
    for (int i = 0; i < 22; ++i)
        w->Timer1Timer();
    EXPECT_EQ(week->view3D(), (ChartView::View3D{false, 358, 358, 99}));
    EXPECT_TRUE(w->Timer1->isActive());
    w->Timer1Timer();
    EXPECT_EQ(week->view3D(), (ChartView::View3D{true, 362, 362, 100}));
    EXPECT_FALSE(w->Timer1->isActive());
    EXPECT_TRUE(week->transform().isIdentity());

    // Turning the page mid-turn leaves the old chart whole and turns the new one.
    w->AnimateWindow();
    w->Timer1Timer();
    w->PageControl1->setCurrentIndex(1);
    EXPECT_EQ(week->view3D(), (ChartView::View3D{true, 360, 360, 100}));
    EXPECT_TRUE(week->transform().isIdentity());
    EXPECT_EQ(w->animatedChart(), w->chrtHour);
    EXPECT_EQ(w->chrtHour->view3D().zoom, 33);

    // The list page has no chart to turn.
    w->PageControl1->setCurrentIndex(4);
    EXPECT_EQ(w->animatedChart(), nullptr);
    EXPECT_TRUE(w->chrtHour->transform().isIdentity());
    EXPECT_FALSE(w->Timer1->isActive());

    // Without "Animate?" nothing turns.
    w->cbAnimate->setChecked(false);
    w->PageControl1->setCurrentIndex(2);
    EXPECT_EQ(w->animatedChart(), nullptr);
    EXPECT_FALSE(w->Timer1->isActive());
    w->cbAnimate->setChecked(true);
    w->cbAnimateClick();
    EXPECT_EQ(w->animatedChart(), w->chrtDay);
    EXPECT_TRUE(w->Timer1->isActive());
    w->btCloseClick();
    EXPECT_FALSE(w->Timer1->isActive());
}

TEST_F(ChartWindow, SwitchesDepthAndHints)
{
    marchStore();
    auto w = make();
    w->cbAnimate->setChecked(false);
    w->FormShow();

    w->cbHourDone->setChecked(false);
    w->cbHourDoneClick();
    EXPECT_FALSE(w->serHourDone->isVisible());
    EXPECT_FALSE(w->depHourDone->isVisible());
    EXPECT_TRUE(w->serHourNotDone->isVisible());
    w->cbDayNotDone->setChecked(false);
    w->cbDayDoneClick();
    EXPECT_TRUE(w->serDayDone->isVisible());
    EXPECT_FALSE(w->serDayNotDone->isVisible());
    w->cbCatDone->setChecked(false);
    w->cbCatDoneClick();
    EXPECT_FALSE(TfrmChart::barSetShown(w->serCatDone));
    EXPECT_TRUE(TfrmChart::barSetShown(w->serCatNotDone));
    // A redraw fills the hidden set too, and showing it puts it back first.
    w->btPlotClick();
    EXPECT_EQ(values(w->serCatDone), (QList<qreal>{0, 2}));
    w->cbCatDone->setChecked(true);
    w->cbCatDoneClick();
    EXPECT_EQ(w->catSeries->barSets(), (QList<QBarSet *>{w->serCatDone, w->serCatNotDone}));

    // The depth bars run from 5 to 70 and push the ribbons back.
    EXPECT_EQ(w->sbTime->minimum(), 5);
    EXPECT_EQ(w->sbTime->maximum(), 70);
    EXPECT_EQ(w->sbTime->value(), 5);
    auto reach = [](QAreaSeries *ribbon) {
        return ribbon->upperSeries()->at(18).x() - ribbon->lowerSeries()->at(18).x();
    };
    const qreal shallow = reach(w->depHourNotDone);
    w->sbTime->setValue(70);
    EXPECT_NEAR(reach(w->depHourNotDone), shallow * 14, 1e-9);
    EXPECT_EQ(w->depHourNotDone->lowerSeries()->points(), w->serHourNotDone->points());
    w->sbDayDay->setValue(40);
    EXPECT_GT(w->depDayDone->upperSeries()->at(0).x(), w->serDayDone->at(0).x());

    // Hints over the lower right corner; OK hides them.
    w->resize(625, 464);
    EXPECT_FALSE(w->pnlHints->isVisibleTo(w.get()));
    w->btHintClick();
    EXPECT_TRUE(w->pnlHints->isVisibleTo(w.get()));
    EXPECT_EQ(w->pnlHints->geometry().bottomRight(), QPoint(624, 463));
    w->btOKClick();
    EXPECT_FALSE(w->pnlHints->isVisibleTo(w.get()));
}

TEST_F(ChartWindow, DragsZoomMoveAndReset)
{
    marchStore();
    auto w = shown();
    w->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    ChartView *v = w->chrtHour;
    QWidget *port = v->viewport();
    const QRectF area = v->chart()->plotArea();
    ASSERT_GT(area.width(), 100);
    const QPoint a = area.topLeft().toPoint() + QPoint(area.width() / 4, 10);
    const QPoint b = area.topLeft().toPoint() + QPoint(area.width() / 2, area.height() - 10);

    // Upper left to lower right: zoom in.
    QTest::mousePress(port, Qt::LeftButton, {}, a);
    QTest::mouseMove(port, b);
    QTest::mouseRelease(port, Qt::LeftButton, {}, b);
    EXPECT_GT(w->hourAxis->min(), 5);
    EXPECT_LT(w->hourAxis->max(), 30);

    // Lower right to upper left: back to the whole chart.
    QTest::mousePress(port, Qt::LeftButton, {}, b);
    QTest::mouseMove(port, a);
    QTest::mouseRelease(port, Qt::LeftButton, {}, a);
    EXPECT_DOUBLE_EQ(w->hourAxis->min(), 0);
    EXPECT_DOUBLE_EQ(w->hourAxis->max(), 48);

    // A right drag moves the chart with the pointer.
    QTest::mousePress(port, Qt::RightButton, {}, b);
    QMouseEvent move(QEvent::MouseMove, QPointF(a), port->mapToGlobal(QPointF(a)), Qt::NoButton, Qt::RightButton,
                     Qt::NoModifier);
    QApplication::sendEvent(port, &move);
    QTest::mouseRelease(port, Qt::RightButton, {}, a);
    EXPECT_GT(w->hourAxis->min(), 0);
    w->TeeHour->findChild<QAction *>("actReset")->trigger();
    EXPECT_DOUBLE_EQ(w->hourAxis->min(), 0);
    EXPECT_DOUBLE_EQ(w->hourAxis->max(), 48);

    // A redraw shows the whole chart, and a reset after it stays there.
    QTest::mousePress(port, Qt::LeftButton, {}, a);
    QTest::mouseMove(port, b);
    QTest::mouseRelease(port, Qt::LeftButton, {}, b);
    ASSERT_GT(w->hourAxis->min(), 5);
    w->btPlotClick();
    EXPECT_DOUBLE_EQ(w->hourAxis->min(), 0);
    EXPECT_DOUBLE_EQ(w->hourAxis->max(), 48);
    w->chrtHour->resetView();
    EXPECT_DOUBLE_EQ(w->hourAxis->min(), 0);
    EXPECT_DOUBLE_EQ(w->hourAxis->max(), 48);

    // In Move mode a left drag moves instead of zooming.
    w->TeeHour->findChild<QAction *>("actMove")->trigger();
    EXPECT_EQ(v->leftDrag(), ChartView::LeftDrag::Move);
    QTest::mousePress(port, Qt::LeftButton, {}, b);
    QMouseEvent leftMove(QEvent::MouseMove, QPointF(a), port->mapToGlobal(QPointF(a)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(port, &leftMove);
    QTest::mouseRelease(port, Qt::LeftButton, {}, a);
    EXPECT_NEAR(w->hourAxis->max() - w->hourAxis->min(), 48, 1e-6);
    EXPECT_GT(w->hourAxis->min(), 0);
    w->hide();
}

TEST_F(ChartWindow, CountAxesShowEachWholeNumberOnceOnItsGridlineAfterZoomAndMove)
{
    marchStore();
    auto w = shown();
    struct Page {
        ChartView *view;
        QAbstractSeries *series;
        QValueAxis *axis;
    };
    const Page pages[] = {{w->chrtWeek, w->weekSeries, w->weekCount},
                          {w->chrtHour, w->serHourDone, w->hourCount},
                          {w->chrtDay, w->serDayDone, w->dayCount},
                          {w->chrtCat, w->catSeries, w->catCount}};
    auto expectWhole = [&](const Page &p, const char *when) {
        const QList<ShownLabel> labels = countLabels(p.view, p.series, p.axis);
        const std::string where = p.view->objectName().toStdString() + " " + when + ": " + texts(labels).toStdString();
        EXPECT_FALSE(labels.isEmpty()) << where;
        int previous = -1;
        for (const ShownLabel &l : labels) {
            bool whole = false;
            const int n = l.text.toInt(&whole);
            EXPECT_TRUE(whole) << where;
            EXPECT_GT(n, previous) << where;  // each once, never below 0
            EXPECT_LT(std::abs(l.offset), 3) << where << " (" << n << " is " << l.offset << " pixels off)";
            previous = n;
        }
        EXPECT_GE(p.axis->min(), 0) << where;
    };
    auto drag = [](ChartView *v, Qt::MouseButton button, QPoint from, QPoint to) {
        QWidget *port = v->viewport();
        QTest::mousePress(port, button, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), port->mapToGlobal(QPointF(to)), Qt::NoButton, button,
                         Qt::NoModifier);
        QApplication::sendEvent(port, &move);
        QTest::mouseRelease(port, button, {}, to);
    };

    for (int page = 0; page < 4; ++page) {
        const Page &p = pages[page];
        w->PageControl1->setCurrentIndex(page);
        QApplication::processEvents();
        expectWhole(p, "plotted");
        // Zoomed into the middle, the ends fall between whole counts.
        const QRectF area = p.view->chart()->plotArea();
        drag(p.view, Qt::LeftButton, (area.topLeft() + QPointF(area.width() * 0.2, area.height() * 0.15)).toPoint(),
             (area.topLeft() + QPointF(area.width() * 0.8, area.height() * 0.85)).toPoint());
        expectWhole(p, "zoomed");
        p.view->resetView();
        expectWhole(p, "reset");
    }

    // Moved both ways on the hour chart: never below 0.
    w->PageControl1->setCurrentIndex(1);
    QApplication::processEvents();
    const Page &hour = pages[1];
    const QRectF area = w->chrtHour->chart()->plotArea();
    const QPoint middle = area.center().toPoint();
    const QPoint high = middle - QPoint(0, int(area.height() / 2) - 2), low = middle + QPoint(0, int(area.height() / 2) - 2);
    drag(w->chrtHour, Qt::RightButton, middle, high);
    expectWhole(hour, "moved up");
    drag(w->chrtHour, Qt::RightButton, middle, low);
    expectWhole(hour, "moved down");
    drag(w->chrtHour, Qt::RightButton, middle, high);
    expectWhole(hour, "moved up again");
    w->hide();
}

TEST_F(ChartWindow, PrintsTheChartThroughThePrintDialog)
{
    marchStore();
    auto w = shown();
    QApplication::processEvents();
    const QString pdf = dir.filePath("chart.pdf");
    runner.responders.append([&](QDialog &d) {
        auto &dialog = dynamic_cast<QPrintDialog &>(d);
        dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
        dialog.printer()->setOutputFileName(pdf);
        return int(QDialog::Accepted);
    });
    w->TeeWeek->findChild<QAction *>("actPrint")->trigger();
    EXPECT_EQ(runner.shownTitles, QStringList({"Print"}));
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_GT(QFile(pdf).size(), 1000);
    const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
    if (!pdftotext.isEmpty()) {
        QProcess p;
        p.start(pdftotext, {pdf, "-"});
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString text = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_TRUE(text.contains("All tasks from 3/1/2001 through 3/31/2001")) << text.toStdString();
        EXPECT_TRUE(text.contains("Frequency")) << text.toStdString();
        EXPECT_TRUE(text.contains("Thu")) << text.toStdString();
    }

    // Cancelled: nothing printed, nothing said.
    QFile::remove(pdf);
    w->TeeWeek->findChild<QAction *>("actPrint")->trigger();
    EXPECT_FALSE(QFile::exists(pdf));
    EXPECT_TRUE(prompts.shown.isEmpty());
    w->hide();
}
