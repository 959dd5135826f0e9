#pragma once
// TfrmChart, "Chart of Activity": the dated tasks of a range of days that the
// filter shows, done and not done, counted five ways: by weekday, by half
// hour, day by day, the ten categories with the most done tasks, and a table
// of every category. It reads the store and changes nothing in it. The range
// and the animation switch are kept in the settings between runs.
//
// The charts are drawn flat. What a three-dimensional chart would show is
// kept as figures (depth, rotation, elevation, zoom) and shown the way a flat
// chart can: the depth as a ribbon behind each line, and the opening turn of
// the animation as the chart growing from a third of its size to full size.
//
// Its handlers are split by subject: ChartWindow.cpp (building the window,
// its life cycle, the range dialog and the hints), ChartWindowPages.cpp (the
// four charts), ChartWindowToolbar.cpp (each chart's toolbar),
// ChartWindowPrinting.cpp, ChartWindowPlotting.cpp (the counts into the
// series), ChartWindowAxes.cpp (the labels along the axes),
// ChartWindowSwitches.cpp (series switches and depth bars),
// ChartWindowAnimation.cpp and ChartWindowCategoryList.cpp.

#include "ChartCounts.h"
#include "ChartView.h"
#include "CountAxisScale.h"
#include "Clock.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QDialog>
#include <QFont>

class QAreaSeries;
class QBarCategoryAxis;
class QBarSeries;
class QBarSet;
class QCategoryAxis;
class QCheckBox;
class QFrame;
class QHorizontalBarSeries;
class QLineSeries;
class QPushButton;
class QScrollBar;
class QTabWidget;
class QTableView;
class QTimer;
class QToolBar;
class QValueAxis;
class QAction;

namespace morvane {

class GridTableModel;
class ShadowLabel;

class TfrmChart : public QDialog {
    Q_OBJECT
public:
    struct Services {
        const Grid &store;           // the dated tasks, in store order
        const TaskFilter &filter;
        const FormatSettings &fs;
        const Clock &clock;
        SettingsStore &settings;     // ChartStart, ChartEnd and Animate under Options
        Prompts &prompts;
        ModalRunner &runner;         // the range dialog and the print dialog
        quint32 doneColorBG = 0xFFFF00;    // colour values as the options keep them
        quint32 notDoneColorBG = 255;
        bool shadows = true;
        QFont titleFont = QFont(QStringLiteral("Times New Roman"), 20);
        Qt::DayOfWeek weekStart = Qt::Sunday;  // the range dialog's calendars
    };

    explicit TfrmChart(Services services, QWidget *parent = nullptr);
    ~TfrmChart() override;

    // The range charted, and the last plot's figures.
    ChartRange range() const { return range_; }
    void setRange(const ChartRange &r) { range_ = r; }
    const ChartReadings &readings() const { return readings_; }
    const Grid &categoryTable() const { return gridCat_; }
    // The chart the animation turns, or none.
    ChartView *animatedChart() const { return animated_; }

    // The range dialog's last choice, kept until the program ends.
    static RangeChoice &rememberedChoice();

    // Handlers.
    void FormCreate();
    void FormShow();
    void FormClose();
    void btPlotClick();
    void PlotReadings();
    void btDateRangeClick();
    void AnimateWindow();
    void Timer1Timer();
    void PageControl1Change();
    void cbAnimateClick();
    void btHintClick();
    void btOKClick();  // the hints panel's OK
    void btCloseClick();
    void sbTimeChange();
    void sbDayDayChange();
    void chrtHourResize();
    void chrtDayResize();
    void cbDayDoneClick();
    void cbHourDoneClick();
    void cbCatDoneClick();
    void gridCatHeaderClick(int column);
    // Prints the chart of a page through the print dialog.
    void printChart(ChartView *view);

    // Whether a bar set is in its series (its check box shows it).
    static bool barSetShown(const QBarSet *set);

    // Closing by any way (Close, the close box, Escape) stores the range.
    void done(int result) override;

    ShadowLabel *lblTitle = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QWidget *tbWeek = nullptr, *tbHour = nullptr, *tbDay = nullptr, *tbCategory = nullptr, *tbCatGrid = nullptr;
    ChartView *chrtWeek = nullptr, *chrtHour = nullptr, *chrtDay = nullptr, *chrtCat = nullptr;
    QToolBar *TeeWeek = nullptr, *TeeHour = nullptr, *TeeDay = nullptr, *TeeCat = nullptr;
    QBarSeries *weekSeries = nullptr;
    QBarSet *serWeekDone = nullptr, *serWeekNotDone = nullptr;
    QLineSeries *serHourDone = nullptr, *serHourNotDone = nullptr;
    QLineSeries *serDayDone = nullptr, *serDayNotDone = nullptr;
    QHorizontalBarSeries *catSeries = nullptr;
    QBarSet *serCatDone = nullptr, *serCatNotDone = nullptr;
    // The depth ribbons behind the four lines.
    QAreaSeries *depHourDone = nullptr, *depHourNotDone = nullptr, *depDayDone = nullptr, *depDayNotDone = nullptr;
    QValueAxis *weekCount = nullptr, *hourCount = nullptr, *dayCount = nullptr, *catCount = nullptr;
    QCategoryAxis *hourAxis = nullptr, *dayAxis = nullptr;
    QBarCategoryAxis *weekDays = nullptr, *catNames = nullptr;
    QScrollBar *sbTime = nullptr, *sbDayDay = nullptr;
    QCheckBox *cbHourDone = nullptr, *cbHourNotDone = nullptr;
    QCheckBox *cbDayDone = nullptr, *cbDayNotDone = nullptr;
    QCheckBox *cbCatDone = nullptr, *cbCatNotDone = nullptr;
    QTableView *gridCat = nullptr;
    QWidget *Panel1 = nullptr;
    QPushButton *btPlot = nullptr, *btDateRange = nullptr, *btHint = nullptr, *btClose = nullptr;
    QCheckBox *cbAnimate = nullptr;
    QFrame *pnlHints = nullptr;
    QPushButton *btHintsOK = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;

private:
    // The animation's tick.
    static constexpr int kAnimationMs = 80;

    QWidget *chartPage(const QString &name, ChartView *view, QToolBar **toolbar, QWidget *strip);
    void makeWeekChart();
    void makeHourChart();
    void makeDayChart();
    void makeCatChart();
    void makeCategoryList();
    void fillWeek();
    void fillHour();
    void fillDay();
    void fillCat();
    void fillCategoryList();
    // Rebuilds a depth ribbon from its line at the scroll bar's depth.
    void updateDepth(QAreaSeries *ribbon, const QLineSeries *line, int depth, qreal xSpan, qreal ySpan);
    void updateHourDepth();
    void updateDayDepth();
    // A count axis's ends and the whole step between its labels.
    void setCountScale(QValueAxis *axis, const CountScale &scale);
    // After a zoom or a move: whole steps again, and no count below 0.
    void countAxisRangeChanged(QValueAxis *axis);
    // The labels along the bottom that fit the chart's width.
    void updateHourLabels();
    void updateDayLabels();
    void applyColours();
    void setHeadingLook(ShadowLabel *label) const;

    Services sv_;
    ChartRange range_;
    ChartReadings readings_;
    Grid gridCat_;
    GridTableModel *catModel_ = nullptr;
    int catSortColumn_ = 1;
    bool catSortAscending_ = false;
    ChartView *animated_ = nullptr;
    bool labelling_ = false;
    bool scaling_ = false;
    qreal dayMin_ = 0, dayMax_ = 1;  // the day axis as plotted
};

}  // namespace morvane
