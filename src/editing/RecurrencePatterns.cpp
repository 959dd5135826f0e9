#include "RecurrencePatterns.h"

#include "TaskTables.h"

namespace morvane {

bool IsLeapYear(int y) { return y % 4 == 0 && (y % 100 != 0 || y % 400 == 0); }

int LastDayOfMonth(int y, int m)
{
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (m < 1 || m > 12)
        return 0;
    return kDays[m - 1] + (m == 2 && IsLeapYear(y) ? 1 : 0);
}

void incrementMonth(int &m, int &y, int k)
{
    m += k;
    while (m >= 13) {
        ++y;
        m -= 12;
    }
}

bool RangeTooLong(const QDate &start, const QDate &end) { return start.daysTo(end) > kMaxRecurrenceDays; }

QList<QDate> GenerateDates(const RecurrenceRule &s, const QDate &start, const QDate &end)
{
    QList<QDate> out;
    if (!start.isValid() || !end.isValid())
        return out;
    auto insert = [&](const QDate &d) {
        if (d.isValid() && start <= d && d <= end)
            out.append(d);
    };
    auto avoided = [](const QDate &d, bool sat, bool sun) {
        return (sat && d.dayOfWeek() == Qt::Saturday) || (sun && d.dayOfWeek() == Qt::Sunday);
    };
    switch (s.pattern) {
    case RecurPattern::Daily:
        for (QDate d = start; d <= end; d = d.addDays(std::max(1, s.everyDays)))
            if (!avoided(d, s.dailyAvoidSat, s.dailyAvoidSun))
                insert(d);
        break;
    case RecurPattern::Weekly:
        // Weeks run Sunday to Saturday, from the Sunday on or before the start.
        for (QDate w = start.addDays(-(WeekdayOf(start) - 1)); w <= end; w = w.addDays(7 * std::max(1, s.everyWeeks)))
            for (int i = 0; i < 7; ++i)
                if (s.weeklyDays[std::size_t(i)])
                    insert(w.addDays(i));
        break;
    case RecurPattern::DaysOfMonth: {
        int y = start.year(), m = start.month();
        for (QDate f(y, m, 1); f <= end; f = QDate(y, m, 1)) {
            for (int day = 1; day <= 31; ++day) {
                const QDate d(y, m, day);  // a day the month lacks makes no date
                if (s.selectedDays[std::size_t(day - 1)] && d.isValid()
                    && !avoided(d, s.dofmAvoidSat, s.dofmAvoidSun))
                    insert(d);
            }
            incrementMonth(m, y, std::max(1, s.everyMonthsDofM));
        }
        break;
    }
    case RecurPattern::WeekOfMonth: {
        int y = start.year(), m = start.month();
        for (QDate f(y, m, 1); f <= end; f = QDate(y, m, 1)) {
            for (int n = 1; n <= 5; ++n)
                if (s.ordinals[std::size_t(n - 1)])
                    for (int w = 1; w <= 7; ++w)
                        if (s.wofmDays[std::size_t(w - 1)])
                            insert(QDate(y, m, NthWeekdayOfMonth(y, m, n, w)));
            incrementMonth(m, y, std::max(1, s.everyMonthsWofM));
        }
        break;
    }
    case RecurPattern::Annually: {
        const int m = start.month(), d = start.day();
        int y = start.year();
        for (QDate date = start; date.isValid() && date <= end;) {
            insert(date);
            ++y;
            date = QDate(y, m, d).isValid() ? QDate(y, m, d) : QDate(y, m, d - 1);
        }
        break;
    }
    }
    return out;
}

QString MakePreviewFormat(const QString &shortDateFormat)
{
    QString f = shortDateFormat.left(25);
    if (!f.contains(u"yyyy")) {
        const qsizetype at = f.indexOf(u"yy");
        if (at >= 0)
            f.insert(at, QStringLiteral("yy"));
    }
    return f;
}

QString PreviewLine(const QDate &date, const QString &previewFormat, const FormatSettings &fs, const Clock &clock)
{
    const DateValue v = ToDateValue(date);
    return FormatDateTime(previewFormat, v, fs) + u'\t' + FormatDateTime(u"ddd", v, fs) + u'\t'
           + RelativeDayText(v, clock);
}

void InsertRecurringTasks(TaskStore &store, const QList<QDate> &dates, const RecurringTask &t)
{
    for (const QDate &d : dates)
        store.insertTask(DayNumber(d), StoredTask{t.time, t.category, t.notes, QStringLiteral("No"), t.alarm});
}

}  // namespace morvane
