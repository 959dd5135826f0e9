#pragma once
// A month calendar: a 6 x 7 grid of day cells under optional month and year
// labels and a one-letter weekday header. Cells are numbered 1 to 42 row by
// row; the first column is the first day of the week. Cells before and after
// the month show the neighbouring months' days.
//
// The owner draws cells through a callback: before it the control sets the
// painter's font and the cell's background colour, and afterwards, when the
// owner sets the default-draw flag, fills the cell and writes its day.

#include <QColor>
#include <QDate>
#include <QFont>
#include <QWidget>

#include <functional>

namespace morvane {

// The date arithmetic of the grid, without widgets.
struct MonthGrid {
    QDate date;                             // the calendar's date
    Qt::DayOfWeek startOfWeek = Qt::Sunday;

    // Number of the cell that holds the first day of the shown month (1..7).
    int firstCell() const;
    // The date a cell shows (also for neighbouring months).
    QDate dateOfCell(int cell) const;
    // The cell showing a date of the shown month, or 0.
    int cellOfDate(const QDate &d) const;
    bool inMonth(int cell) const;

    // Month and year steps keep the day but never pass the new month's end.
    static QDate addMonths(const QDate &d, int months);
    static QDate addYears(const QDate &d, int years);
};

class MonthCalendar : public QWidget {
    Q_OBJECT
public:
    struct Cell {
        QRect rect;
        int day = 0;        // day of month shown, 0 for an empty cell
        int number = 0;     // 1..42
        bool inMonth = false;
        bool selected = false;
    };
    // Paints one cell; defaultDraw comes in false: set it to let the control
    // fill the cell and write its day with the preset brush and font.
    using DrawCell = std::function<void(QPainter &, const Cell &, bool &defaultDraw)>;
    enum class Bevel { None, Lowered, Raised };

    explicit MonthCalendar(QWidget *parent = nullptr);

    QDate date() const { return grid_.date; }
    void setDate(const QDate &d);
    Qt::DayOfWeek startOfWeek() const { return grid_.startOfWeek; }
    void setStartOfWeek(Qt::DayOfWeek day);

    void nextMonth() { setDate(MonthGrid::addMonths(date(), 1)); }
    void priorMonth() { setDate(MonthGrid::addMonths(date(), -1)); }
    void nextYear() { setDate(MonthGrid::addYears(date(), 1)); }
    void priorYear() { setDate(MonthGrid::addYears(date(), -1)); }
    void addDays(int n) { setDate(date().addDays(n)); }
    void setYear(int year);
    void setDay(int day);

    // 1..42 under the point, 0 when the point is on no cell.
    int cellAt(const QPoint &p) const;
    QDate dateOfCell(int cell) const { return grid_.dateOfCell(cell); }
    QRect cellRect(int cell) const;
    const MonthGrid &grid() const { return grid_; }
    int cellOfSelection() const { return grid_.cellOfDate(grid_.date); }

    void setDrawCell(DrawCell fn) { drawCell_ = std::move(fn); update(); }

    // Looks.
    QColor colorBack = QColor(240, 240, 240);
    QColor colorSelectedBack = QColor(240, 240, 240);
    QColor colorPrevNextBack = QColor(240, 240, 240);
    QColor colorDayText = Qt::black;
    QColor colorPrevNextText = Qt::gray;
    Bevel bevel = Bevel::Lowered;
    int bevelWidth = 3;
    QFont cellFont;
    QFont selectedCellFont;
    QFont monthLabelFont;
    QFont yearLabelFont;
    bool showWeekDayHeader = true;
    bool showOnCalendar = true;  // the month and year labels
    bool text3dLabels = false;   // labels drawn raised
    bool cellBevel = false;      // a lowered frame round every day of the month
    // Off: the cells of the neighbouring months stay empty, in the
    // background colour, and take no click, so that a calendar that must
    // keep its month (one of a year's twelve) cannot be moved off it.
    bool prevNextDaysShown = true;
    QColor colorHeaderBack = QColor(240, 240, 240);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void clicked();
    void dateChanged(const QDate &date);
    void monthChanged();
    void yearChanged();
    void cellDoubleClicked(const QRect &rect, bool inMonth, int cell, int day);

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseDoubleClickEvent(QMouseEvent *e) override;

private:
    QRect gridRect() const;
    int labelHeight() const;
    int headerHeight() const;
    // The cell under the point when it takes clicks, else 0.
    int clickableCellAt(const QPoint &p) const;

    MonthGrid grid_;
    DrawCell drawCell_;
};

// The font made smaller, point by point, until `sample` fits in a box of
// width x height (a calendar cell, a label line); never below one point.
QFont FitFont(QFont font, const QString &sample, int width, int height);

}  // namespace morvane
