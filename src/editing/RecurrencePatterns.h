#pragma once
// The dates of a repeating task: five patterns over a range of days, and the
// lines of their preview.

#include "Grid.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QDate>
#include <QList>
#include <QString>
#include <array>

namespace morvane {

bool IsLeapYear(int year);
int LastDayOfMonth(int year, int month);
void incrementMonth(int &month, int &year, int k);

enum class RecurPattern { WeekOfMonth, DaysOfMonth, Weekly, Daily, Annually };

struct RecurrenceRule {
    RecurPattern pattern = RecurPattern::WeekOfMonth;
    int everyMonthsWofM = 1;                 // 1..12
    std::array<bool, 5> ordinals{};          // 1st, 2nd, 3rd, 4th, Last
    std::array<bool, 7> wofmDays{};          // Sunday first
    int everyMonthsDofM = 1;                 // 1..12
    std::array<bool, 31> selectedDays{};     // days 1..31
    bool dofmAvoidSat = false, dofmAvoidSun = false;
    int everyWeeks = 1;                      // 1..52
    std::array<bool, 7> weeklyDays{};        // Sunday first
    int everyDays = 1;                       // 1..364
    bool dailyAvoidSat = false, dailyAvoidSun = false;
};

// The longest range a run accepts, in days.
constexpr int kMaxRecurrenceDays = 7400;
bool RangeTooLong(const QDate &start, const QDate &end);

// The dates the pattern gives from start to end (both included), in the
// order the pattern produces them.
QList<QDate> GenerateDates(const RecurrenceRule &rule, const QDate &start, const QDate &end);

// The short date format made to show a four-digit year.
QString MakePreviewFormat(const QString &shortDateFormat);
// "date<TAB>ddd<TAB>relative day".
QString PreviewLine(const QDate &date, const QString &previewFormat, const FormatSettings &fs, const Clock &clock);

struct RecurringTask {
    QString time, category, notes, alarm;
};
// Puts one row per date at the top of the store, keyed at position 100 (not
// yet placed within its day); the caller sorts and saves the store.
void InsertRecurringTasks(TaskStore &store, const QList<QDate> &dates, const RecurringTask &task);

}  // namespace morvane
