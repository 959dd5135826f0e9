#pragma once
// TfrmRecur: turns one task into a series of dated tasks. The person picks a
// range and a pattern, previews the dates, removes the unwanted ones and
// confirms; the remaining dates go into the store at once.

#include "Clock.h"
#include "Prompts.h"
#include "RecurrencePatterns.h"
#include "TaskTables.h"

#include <QDate>
#include <QDialog>
#include <array>
#include <functional>

class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QStackedWidget;
class QTableWidget;

namespace morvane {

class TfrmRecur : public QDialog {
    Q_OBJECT
public:
    TfrmRecur(TaskStore &store, Prompts &prompts, const FormatSettings &fs, const Clock &clock,
              std::function<void(const FileResult &)> reportSave = {}, QWidget *parent = nullptr);

    void init(const QString &time, const QString &category, const QString &notes, const QString &alarm);
    QDate startDate;
    // The first day of the week of the date fields' calendars: the main
    // calendars' week start (Sunday until told).
    void setWeekStart(Qt::DayOfWeek day);

    RecurrenceRule rule() const;
    // The dates the preview lists now, in its order.
    QList<QDate> previewDates() const;

    void btPreviewClick();
    void btDeleteClick();
    void btResetClick();
    void btOKClick();
    void toggleDay(int day);  // the mini calendar

    QDateEdit *date1 = nullptr, *date2 = nullptr;
    QLabel *lblNdays = nullptr;
    QRadioButton *rbWofM = nullptr, *rbDofM = nullptr, *rbWeekly = nullptr, *rbDaily = nullptr, *rbAnnual = nullptr;
    QStackedWidget *panels = nullptr;
    QSpinBox *cntWofM = nullptr, *cntDofM = nullptr, *cntWeekly = nullptr, *cntDaily = nullptr;
    std::array<QCheckBox *, 5> cbNth{};     // 1st, 2nd, 3rd, 4th, Last
    std::array<QCheckBox *, 7> cbWofMDay{};  // Sunday first
    std::array<QCheckBox *, 7> cbWeekDay{};  // Sunday first
    QTableWidget *sgMonth = nullptr;
    QCheckBox *cbDofMAvoidSat = nullptr, *cbDofMAvoidSun = nullptr, *cbDailyAvoidSat = nullptr,
              *cbDailyAvoidSun = nullptr;
    QListWidget *ListBox1 = nullptr;
    QLabel *lblCount = nullptr;
    QPushButton *btPreview = nullptr, *btReset = nullptr, *btDelete = nullptr, *btOK = nullptr, *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QWidget *buildWofM();
    QWidget *buildDofM();
    QWidget *buildWeekly();
    QWidget *buildDaily();
    void calculateNDays();
    void updateButtons();
    void paintMiniCalendar();

    TaskStore &store_;
    Prompts &prompts_;
    const FormatSettings &fs_;
    const Clock &clock_;
    std::function<void(const FileResult &)> reportSave_;
    RecurringTask task_;
    std::array<bool, 31> selectedDays_{};
    QString previewFormat_;
};

}  // namespace morvane
