#pragma once
// TfrmYear: a whole year as twelve small month calendars, coloured as the
// main window's are. Moving through it moves the main window's selected day
// along, so that on closing the main window shows the day last chosen.

#include "Clock.h"
#include "MonthCalendar.h"
#include "SettingsStore.h"

#include <QDialog>
#include <array>
#include <functional>

class QLabel;
class QPushButton;

namespace morvane {

class TfrmYear : public QDialog {
    Q_OBJECT
public:
    struct Services {
        SettingsStore &settings;
        const Clock &clock;
        // The main window: its selected day, setting it (which re-reads the
        // day there), its status text, its week start, and how it paints a
        // day of the month (set defaultDraw to let the calendar write it).
        std::function<QDate()> mainDate;
        std::function<void(const QDate &)> setMainDate;
        std::function<QString()> mainStatus;
        Qt::DayOfWeek weekStart = Qt::Sunday;
        std::function<void(QPainter &, const QDate &, bool &defaultDraw)> paintDay;
        int calendarFontSize = 8;
        bool showHints = true;     // the main window's fly-by hint setting
        QColor currentMonthBack;   // the real current month's background; none: button face
    };

    explicit TfrmYear(Services services, QWidget *parent = nullptr);

    int selected() const { return selected_; }  // 0..11
    QDate selectedDate() const;
    MonthCalendar *calendar(int i) const { return cal_[std::size_t(i)]; }
    QString statusText() const;

    void cal1Click(int cal);
    void btPriorClick();
    void btNextClick();
    void btTodayClick();

    QPushButton *btPrior = nullptr, *btNext = nullptr, *btToday = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void done(int result) override;

private:
    void FormShow();
    // The smallest size at which every month shows its weekday row and its
    // day numbers apart.
    QSize readableSize() const;
    void resizeCalendars();
    void setYear(int year);
    void select(int cal);
    bool FormKeyDown(int key, Qt::KeyboardModifiers mods);
    void updateCaption();

    Services sv_;
    std::array<MonthCalendar *, 12> cal_{};
    QWidget *Panel1_ = nullptr;
    QLabel *StatusBar1_ = nullptr;
    int selected_ = 0;
    bool yearReady_ = false;
};

}  // namespace morvane
