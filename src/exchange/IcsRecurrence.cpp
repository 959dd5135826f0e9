#include "IcsRecurrence.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <utility>

namespace morvane {

namespace {

constexpr qint64 kDay = 86400;

qint64 floorDiv(qint64 a, qint64 b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
qint64 ceilDiv(qint64 a, qint64 b) { return -floorDiv(-a, b); }

// libical's numbering of weekdays: Sunday 1 .. Saturday 7 (Julian day 0 was
// a Monday).
int weekdayOf(qint64 jd) { return int((jd % 7 + 1) % 7) + 1; }

// Dates by the proleptic Gregorian calendar, converted without QDate, whose
// conversions cost more than everything else on a walk's path.
struct Civil {
    int y, m, d;
};
constexpr qint64 kJulianOfCivilEpoch = 1721120;  // Julian day of 1 March of year 0

Civil civilOf(qint64 jd)
{
    const qint64 z = jd - kJulianOfCivilEpoch;
    const qint64 era = floorDiv(z, 146097);
    const qint64 doe = z - era * 146097;
    const qint64 yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const qint64 doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const qint64 mp = (5 * doy + 2) / 153;
    const int d = int(doy - (153 * mp + 2) / 5 + 1);
    const int m = int(mp < 10 ? mp + 3 : mp - 9);
    return {int(yoe + era * 400 + (m <= 2)), m, d};
}

qint64 dayOf(int y, int m, int d)
{
    const qint64 yy = qint64(y) - (m <= 2);
    const qint64 era = floorDiv(yy, 400);
    const qint64 yoe = yy - era * 400;
    const qint64 doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const qint64 doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe + kJulianOfCivilEpoch;
}

bool isLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }
int daysInMonth(int y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && isLeap(y) ? 29 : kDays[m - 1];
}

// For each value, the smallest allowed value above it, or -1.
template <std::size_t N>
std::array<int, N> nextAllowedOf(const std::bitset<N> &allowed)
{
    std::array<int, N> next{};
    int above = -1;
    for (int i = int(N) - 1; i >= 0; --i) {
        next[std::size_t(i)] = above;
        if (allowed[std::size_t(i)])
            above = i;
    }
    return next;
}

class Walker {
public:
    Walker(const icalrecurrencetype &r, const icaltimetype &start, QDate first, QDate last, qint64 maxWork,
           const std::atomic<bool> *cancel, int floatingUntilOffset);
    IcsRuleWalk run();

private:
    bool setUp(const icalrecurrencetype &r, const icaltimetype &start, int floatingUntilOffset);
    void walkDays();
    void walkWithinDays();
    bool dayMatches(qint64 jd) const;
    bool weekNoMatches(qint64 jd, int year) const;
    qint64 weekOne(int year) const;
    // One step of work; false once the ceiling is reached or the walk is cancelled.
    bool step();
    // Takes a candidate; false when the walk is over.
    bool offer(qint64 t);
    // Offers the candidates of one period: every one, or those BYSETPOS picks.
    bool offerPeriod(const std::vector<qint64> &days, const std::vector<int> &times, qint64 base);

    icalrecurrencetype_frequency freq_ = ICAL_NO_RECURRENCE;
    int interval_ = 1, wkst_ = ICAL_MONDAY_WEEKDAY, count_ = 0, taken_ = 0;
    std::bitset<13> months_;
    std::bitset<24> hours_;
    std::bitset<60> minutes_, seconds_;
    std::array<bool, 63> monthDays_{};   // -31..31
    std::array<bool, 733> yearDays_{};   // -366..366
    std::array<bool, 107> weekNos_{};    // -53..53
    std::vector<std::pair<int, int>> weekdays_;  // weekday, position (0: every one)
    std::vector<int> setPos_;
    bool byMonth_ = false, byHour_ = false, byMinute_ = false, bySecond_ = false, byMonthDay_ = false,
         byYearDay_ = false, byWeekNo_ = false, byDay_ = false, ordinalInMonth_ = false, ordinalInYear_ = false;
    std::array<int, 24> nextHour_{};
    std::array<int, 60> nextMinute_{}, nextSecond_{};
    std::vector<int> times_;  // seconds of the day (daily and longer), or offsets within an hour or minute

    qint64 startDay_ = 0, startT_ = 0, firstDay_ = 0, lastDay_ = 0, untilT_ = 0, maxWork_ = 0, reachedDay_ = 0;
    bool hasUntil_ = false, isDate_ = false;
    icaltimetype proto_{};
    const std::atomic<bool> *cancel_ = nullptr;
    mutable qint64 cachedDay_ = -1;
    mutable bool cachedMatch_ = false;
    IcsRuleWalk out_;
};

Walker::Walker(const icalrecurrencetype &r, const icaltimetype &start, QDate first, QDate last, qint64 maxWork,
               const std::atomic<bool> *cancel, int floatingUntilOffset)
    : firstDay_(first.toJulianDay()), lastDay_(last.toJulianDay()), maxWork_(maxWork), cancel_(cancel)
{
    out_.unsupported = !setUp(r, start, floatingUntilOffset);
}

bool Walker::setUp(const icalrecurrencetype &r, const icaltimetype &start, int floatingUntilOffset)
{
    const QDate startDate(start.year, start.month, start.day);
    if (!startDate.isValid() || r.freq == ICAL_NO_RECURRENCE)
        return false;
    if (r.rscale && qstricmp(r.rscale, "GREGORIAN") != 0)
        return false;
    freq_ = r.freq;
    isDate_ = start.is_date;
    if (isDate_ && (freq_ == ICAL_HOURLY_RECURRENCE || freq_ == ICAL_MINUTELY_RECURRENCE ||
                    freq_ == ICAL_SECONDLY_RECURRENCE))
        return false;
    interval_ = std::max<int>(1, r.interval);
    count_ = std::max(0, r.count);
    if (r.week_start >= ICAL_SUNDAY_WEEKDAY && r.week_start <= ICAL_SATURDAY_WEEKDAY)
        wkst_ = r.week_start;
    startDay_ = startDate.toJulianDay();
    const int h0 = isDate_ ? 0 : start.hour, m0 = isDate_ ? 0 : start.minute, s0 = isDate_ ? 0 : start.second;
    startT_ = startDay_ * kDay + h0 * 3600 + m0 * 60 + s0;
    reachedDay_ = startDay_;
    proto_ = icaltime_null_time();
    proto_.is_date = start.is_date;
    proto_.zone = start.zone;

    auto each = [](const short *list, int size, auto &&take) {
        for (int i = 0; i < size && list[i] != ICAL_RECURRENCE_ARRAY_MAX; ++i)
            take(list[i]);
    };
    bool leapMonth = false;  // months of other calendars
    each(r.by_month, ICAL_BY_MONTH_SIZE, [&](short v) {
        byMonth_ = true;
        leapMonth = leapMonth || icalrecurrencetype_month_is_leap(v);
        const int m = icalrecurrencetype_month_month(v);
        if (m >= 1 && m <= 12)
            months_.set(std::size_t(m));
    });
    if (leapMonth)
        return false;
    each(r.by_hour, ICAL_BY_HOUR_SIZE, [&](short v) {
        byHour_ = true;
        if (v >= 0 && v < 24)
            hours_.set(std::size_t(v));
    });
    each(r.by_minute, ICAL_BY_MINUTE_SIZE, [&](short v) {
        byMinute_ = true;
        if (v >= 0 && v < 60)
            minutes_.set(std::size_t(v));
    });
    // A leap second (60) is no second of this clock.
    each(r.by_second, ICAL_BY_SECOND_SIZE, [&](short v) {
        bySecond_ = true;
        if (v >= 0 && v < 60)
            seconds_.set(std::size_t(v));
    });
    each(r.by_month_day, ICAL_BY_MONTHDAY_SIZE, [&](short v) {
        byMonthDay_ = true;
        if (v != 0 && v >= -31 && v <= 31)
            monthDays_[std::size_t(v + 31)] = true;
    });
    each(r.by_year_day, ICAL_BY_YEARDAY_SIZE, [&](short v) {
        byYearDay_ = true;
        if (v != 0 && v >= -366 && v <= 366)
            yearDays_[std::size_t(v + 366)] = true;
    });
    each(r.by_week_no, ICAL_BY_WEEKNO_SIZE, [&](short v) {
        byWeekNo_ = true;
        if (v != 0 && v >= -53 && v <= 53)
            weekNos_[std::size_t(v + 53)] = true;
    });
    each(r.by_day, ICAL_BY_DAY_SIZE, [&](short v) {
        byDay_ = true;
        const int wd = icalrecurrencetype_day_day_of_week(v);
        if (wd >= ICAL_SUNDAY_WEEKDAY && wd <= ICAL_SATURDAY_WEEKDAY)
            weekdays_.emplace_back(wd, icalrecurrencetype_day_position(v));
    });
    each(r.by_set_pos, ICAL_BY_SETPOS_SIZE, [&](short v) {
        if (v != 0)
            setPos_.push_back(v);
    });
    // The numbered weekdays (the second Sunday) count within the month in a
    // monthly rule or a yearly rule with months, within the year in another
    // yearly rule; elsewhere the number means nothing.
    ordinalInMonth_ = freq_ == ICAL_MONTHLY_RECURRENCE || (freq_ == ICAL_YEARLY_RECURRENCE && byMonth_);
    ordinalInYear_ = freq_ == ICAL_YEARLY_RECURRENCE && !byMonth_;

    // What the rule leaves open comes from the start: its day of the year,
    // of the month or of the week, and its time.
    if (!byWeekNo_ && !byYearDay_ && !byMonthDay_ && !byDay_) {
        if (freq_ == ICAL_YEARLY_RECURRENCE) {
            if (!byMonth_) {
                byMonth_ = true;
                months_.set(std::size_t(start.month));
            }
            byMonthDay_ = true;
            monthDays_[std::size_t(start.day + 31)] = true;
        } else if (freq_ == ICAL_MONTHLY_RECURRENCE) {
            byMonthDay_ = true;
            monthDays_[std::size_t(start.day + 31)] = true;
        } else if (freq_ == ICAL_WEEKLY_RECURRENCE) {
            byDay_ = true;
            weekdays_.emplace_back(weekdayOf(startDay_), 0);
        }
    }
    nextHour_ = nextAllowedOf(hours_);
    nextMinute_ = nextAllowedOf(minutes_);
    nextSecond_ = nextAllowedOf(seconds_);
    std::vector<int> hours, minutes, seconds;
    for (int i = 0; i < 24; ++i)
        if (hours_[std::size_t(i)])
            hours.push_back(i);
    for (int i = 0; i < 60; ++i) {
        if (minutes_[std::size_t(i)])
            minutes.push_back(i);
        if (seconds_[std::size_t(i)])
            seconds.push_back(i);
    }
    if (!byHour_)
        hours = {h0};
    if (!byMinute_)
        minutes = {m0};
    if (!bySecond_)
        seconds = {s0};
    if (isDate_) {
        times_ = {0};
    } else if (freq_ == ICAL_SECONDLY_RECURRENCE) {
        times_ = {0};
    } else if (freq_ == ICAL_MINUTELY_RECURRENCE) {
        times_ = seconds;
    } else {
        for (int h : freq_ == ICAL_HOURLY_RECURRENCE ? std::vector<int>{0} : hours)
            for (int m : minutes)
                for (int s : seconds)
                    times_.push_back(h * 3600 + m * 60 + s);
    }

    icaltimetype u = r.until;
    if (!icaltime_is_null_time(u)) {
        hasUntil_ = true;
        if (isDate_ || u.is_date) {
            untilT_ = dayOf(u.year, u.month, u.day) * kDay + kDay - 1;
        } else {
            if (icaltime_is_utc(u) && !icaltime_is_utc(start)) {
                if (start.zone)
                    u = icaltime_convert_to_zone(u, const_cast<icaltimezone *>(start.zone));
                else
                    icaltime_adjust(&u, 0, 0, 0, floatingUntilOffset);
            }
            untilT_ = dayOf(u.year, u.month, u.day) * kDay + u.hour * 3600 + u.minute * 60 + u.second;
        }
    }
    return true;
}

bool Walker::step()
{
    if (++out_.work > maxWork_) {
        out_.cutShort = true;
        return false;
    }
    return (out_.work & 4095) != 0 || !cancel_ || !cancel_->load(std::memory_order_relaxed);
}

bool Walker::offer(qint64 t)
{
    if (!step())
        return false;
    if (t < startT_)
        return true;
    if (hasUntil_ && t > untilT_)
        return false;
    if (count_ && ++taken_ > count_)
        return false;
    const qint64 day = floorDiv(t, kDay);
    if (day > lastDay_)
        return false;
    reachedDay_ = day;
    if (day >= firstDay_) {
        const Civil c = civilOf(day);
        icaltimetype out = proto_;
        out.year = c.y;
        out.month = c.m;
        out.day = c.d;
        if (!isDate_) {
            const int s = int(t - day * kDay);
            out.hour = s / 3600;
            out.minute = s / 60 % 60;
            out.second = s % 60;
        }
        out_.times.push_back(out);
    }
    return true;
}

bool Walker::offerPeriod(const std::vector<qint64> &days, const std::vector<int> &times, qint64 base)
{
    if (setPos_.empty()) {
        for (qint64 d : days)
            for (int s : times)
                if (!offer(base + d * kDay + s))
                    return false;
        return true;
    }
    // BYSETPOS picks from the period's candidates in order: day by day, and
    // in each day by time.
    const qint64 n = qint64(days.size()) * qint64(times.size());
    std::vector<qint64> picked;
    for (int pos : setPos_) {
        const qint64 i = pos > 0 ? pos - 1 : n + pos;
        if (i >= 0 && i < n)
            picked.push_back(base + days[std::size_t(i / qint64(times.size()))] * kDay +
                             times[std::size_t(i % qint64(times.size()))]);
    }
    std::sort(picked.begin(), picked.end());
    picked.erase(std::unique(picked.begin(), picked.end()), picked.end());
    for (qint64 t : picked)
        if (!offer(t))
            return false;
    return true;
}

qint64 Walker::weekOne(int year) const
{
    // Week 1 is the first week (from the week's first day) with at least
    // four days in the year.
    const qint64 jan1 = dayOf(year, 1, 1);
    const int into = (weekdayOf(jan1) - wkst_ + 7) % 7;
    return into <= 3 ? jan1 - into : jan1 + 7 - into;
}

bool Walker::weekNoMatches(qint64 jd, int year) const
{
    qint64 begin = weekOne(year);
    int weekYear = year;
    if (jd < begin) {
        weekYear = year - 1;
        begin = weekOne(weekYear);
    } else if (const qint64 next = weekOne(year + 1); jd >= next) {
        weekYear = year + 1;
        begin = next;
    }
    const int no = int((jd - begin) / 7) + 1;
    const int weeks = int((weekOne(weekYear + 1) - begin) / 7);
    return weekNos_[std::size_t(no + 53)] || (no - weeks - 1 >= -53 && weekNos_[std::size_t(no - weeks - 1 + 53)]);
}

bool Walker::dayMatches(qint64 jd) const
{
    if (jd == cachedDay_)
        return cachedMatch_;
    cachedDay_ = jd;
    cachedMatch_ = false;
    const auto [y, m, d] = civilOf(jd);
    if (byMonth_ && !months_[std::size_t(m)])
        return false;
    if (byWeekNo_ && !weekNoMatches(jd, y))
        return false;
    const int yearDay = int(jd - dayOf(y, 1, 1)) + 1, yearLength = isLeap(y) ? 366 : 365,
              monthLength = daysInMonth(y, m);
    if (byYearDay_ && !yearDays_[std::size_t(yearDay + 366)] && !yearDays_[std::size_t(yearDay - yearLength - 1 + 366)])
        return false;
    if (byMonthDay_ && !monthDays_[std::size_t(d + 31)] && !monthDays_[std::size_t(d - monthLength - 1 + 31)])
        return false;
    if (byDay_) {
        const int wd = weekdayOf(jd);
        bool any = false;
        for (const auto &[weekday, pos] : weekdays_) {
            if (weekday != wd)
                continue;
            if (pos == 0 || (!ordinalInMonth_ && !ordinalInYear_)) {
                any = true;
                break;
            }
            const int at = ordinalInMonth_ ? d : yearDay, length = ordinalInMonth_ ? monthLength : yearLength;
            if (pos == (at - 1) / 7 + 1 || pos == -((length - at) / 7 + 1)) {
                any = true;
                break;
            }
        }
        if (!any)
            return false;
    }
    return cachedMatch_ = true;
}

// Daily, weekly, monthly and yearly rules: period by period, the days of the
// period the rule keeps, each at the rule's times of day.
void Walker::walkDays()
{
    const Civil start = civilOf(startDay_), first = civilOf(firstDay_);
    const qint64 weekStart = startDay_ - (weekdayOf(startDay_) - wkst_ + 7) % 7;
    const qint64 startMonth = qint64(start.y) * 12 + start.m - 1;
    // Without a count, nothing before the window matters: begin with the
    // first period that reaches into it.
    qint64 k = 0;
    if (!count_) {
        switch (freq_) {
        case ICAL_DAILY_RECURRENCE: k = ceilDiv(firstDay_ - startDay_, interval_); break;
        case ICAL_WEEKLY_RECURRENCE: k = ceilDiv(firstDay_ - weekStart - 6, 7 * qint64(interval_)); break;
        case ICAL_MONTHLY_RECURRENCE:
            k = ceilDiv(qint64(first.y) * 12 + first.m - 1 - startMonth, interval_);
            break;
        default: k = ceilDiv(first.y - start.y, interval_); break;
        }
        k = std::max<qint64>(k, 0);
    }
    // Only a count or BYSETPOS needs the days of a period before the window.
    const bool wholePeriods = count_ || !setPos_.empty();
    std::vector<qint64> days;
    for (;; ++k) {
        if (!step())
            return;
        qint64 from = 0, to = 0;
        int year = 0;
        switch (freq_) {
        case ICAL_DAILY_RECURRENCE: from = to = startDay_ + k * interval_; break;
        case ICAL_WEEKLY_RECURRENCE:
            from = weekStart + 7 * interval_ * k;
            to = from + 6;
            break;
        case ICAL_MONTHLY_RECURRENCE: {
            const qint64 month = startMonth + k * interval_;
            year = int(month / 12);
            if (year > 9999)
                return;
            from = dayOf(year, int(month % 12) + 1, 1);
            to = from + daysInMonth(year, int(month % 12) + 1) - 1;
            break;
        }
        default:
            year = int(start.y + k * interval_);
            if (year > 9999)
                return;
            from = dayOf(year, 1, 1);
            to = dayOf(year, 12, 31);
            break;
        }
        if (from > lastDay_ || (hasUntil_ && from * kDay > untilT_))
            return;
        if (!wholePeriods)
            from = std::max(from, firstDay_);
        // Days before the start are nothing to a count either.
        if (setPos_.empty())
            from = std::max(from, startDay_);
        days.clear();
        for (qint64 d = from; d <= to; ++d) {
            if (!step())
                return;
            // A yearly rule with months passes over the other months whole.
            if (freq_ == ICAL_YEARLY_RECURRENCE && byMonth_) {
                const Civil c = civilOf(d);
                if (!months_[std::size_t(c.m)]) {
                    d += daysInMonth(c.y, c.m) - c.d;
                    continue;
                }
            }
            if (dayMatches(d))
                days.push_back(d);
        }
        if (days.empty())
            reachedDay_ = std::max(reachedDay_, std::min(to, lastDay_));
        if (!offerPeriod(days, times_, 0))
            return;
    }
}

// Hourly, minutely and secondly rules: the periods of the rule's step from
// the start, passing over a whole day, hour or minute the rule leaves out
// in one step.
void Walker::walkWithinDays()
{
    const qint64 unit = freq_ == ICAL_HOURLY_RECURRENCE ? 3600 : freq_ == ICAL_MINUTELY_RECURRENCE ? 60 : 1;
    const qint64 stride = unit * interval_;
    const qint64 origin = startT_ - startT_ % unit;
    qint64 cursor = count_ ? origin : std::max(origin, firstDay_ * kDay);
    const std::vector<qint64> oneDay{0};
    for (;;) {
        const qint64 at = origin + ceilDiv(cursor - origin, stride) * stride;
        const qint64 day = floorDiv(at, kDay);
        if (day > lastDay_ || (hasUntil_ && at > untilT_))
            return;
        if (!step())
            return;
        reachedDay_ = std::max(reachedDay_, day);
        if (!dayMatches(day)) {
            cursor = (day + 1) * kDay;
            continue;
        }
        const int second = int(at - day * kDay), h = second / 3600, m = second / 60 % 60, s = second % 60;
        if (byHour_ && !hours_[std::size_t(h)]) {
            const int next = nextHour_[std::size_t(h)];
            cursor = next < 0 ? (day + 1) * kDay : day * kDay + next * 3600;
            continue;
        }
        if (freq_ != ICAL_HOURLY_RECURRENCE && byMinute_ && !minutes_[std::size_t(m)]) {
            const int next = nextMinute_[std::size_t(m)];
            cursor = next < 0 ? day * kDay + (h + 1) * 3600 : day * kDay + h * 3600 + next * 60;
            continue;
        }
        if (freq_ == ICAL_SECONDLY_RECURRENCE && bySecond_ && !seconds_[std::size_t(s)]) {
            const int next = nextSecond_[std::size_t(s)];
            cursor = next < 0 ? at - s + 60 : at - s + next;
            continue;
        }
        if (!offerPeriod(oneDay, times_, at))
            return;
        cursor = at + 1;
    }
}

IcsRuleWalk Walker::run()
{
    if (out_.unsupported)
        return std::move(out_);
    if (freq_ == ICAL_HOURLY_RECURRENCE || freq_ == ICAL_MINUTELY_RECURRENCE || freq_ == ICAL_SECONDLY_RECURRENCE)
        walkWithinDays();
    else
        walkDays();
    if (out_.cutShort)
        out_.reached = QDate::fromJulianDay(reachedDay_);
    return std::move(out_);
}

}  // namespace

IcsRuleWalk WalkIcsRule(const icalrecurrencetype &rule, const icaltimetype &start, QDate first, QDate last,
                        qint64 maxWork, const std::atomic<bool> *cancel, int floatingUntilOffset)
{
    return Walker(rule, start, first, last, maxWork, cancel, floatingUntilOffset).run();
}

}  // namespace morvane
