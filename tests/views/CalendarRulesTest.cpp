#include "CalendarRules.h"
#include "Clock.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

Grid storeOf(std::initializer_list<std::array<const char *, 6>> rows)
{
    Grid g = NewStoreGrid();
    g.setRowCount(int(rows.size()) + 1);
    int r = 1;
    for (const auto &row : rows) {
        for (int c = 0; c < 6; ++c)
            g.setCell(c, r, QString::fromUtf8(row[std::size_t(c)]));
        ++r;
    }
    return g;
}

QString key(const QDate &d, int pos) { return MakeStoreKey(DayNumber(d), 100 + pos); }

}  // namespace

TEST(CalendarColouring, PrioritiesOfADayCell)
{
    const QDate today(2026, 12, 9), mixed(2026, 12, 10), holiday(2026, 12, 25), doneDay(2026, 12, 11),
        hiddenDay(2026, 12, 12);
    const QByteArray m = key(mixed, 1).toUtf8(), m2 = key(mixed, 2).toUtf8(), h = key(holiday, 1).toUtf8(),
                     t = key(today, 1).toUtf8(), d = key(doneDay, 1).toUtf8(), hid = key(hiddenDay, 1).toUtf8();
    const Grid store = storeOf({{t.constData(), "9:00 AM", "", "a", "No", "No"},
                                {m.constData(), "9:00 AM", "", "done", "Yes", "No"},
                                {m2.constData(), "10:00 AM", "", "open", "No", "No"},
                                {d.constData(), "9:00 AM", "", "done", "Yes", "No"},
                                {hid.constData(), "9:00 AM", "Secret", "x", "No", "No"},
                                {h.constData(), "9:00 AM", "", "open", "No", "No"}});
    TaskFilter filter;
    filter.setCategories({{"Secret", false}});
    auto isHoliday = [](const QDate &dt) { return dt.month() == 12 && (dt.day() == 25 || dt.day() == 24); };
    CalendarColours c;
    auto look = [&](const QDate &dt) { return ClassifyDay(dt, today, c, store, filter, isHoliday); };

    EXPECT_EQ(look(mixed), DayLook::NotDone);  // a not-done task wins over a done one
    EXPECT_EQ(look(doneDay), DayLook::Done);
    EXPECT_EQ(look(holiday), DayLook::NotDone);  // tasks win over the holiday
    EXPECT_EQ(look(QDate(2026, 12, 24)), DayLook::Holiday);
    EXPECT_EQ(look(today), DayLook::Today);      // today wins over everything
    EXPECT_EQ(look(hiddenDay), DayLook::Plain);  // hidden tasks do not colour
    EXPECT_EQ(look(QDate(2026, 12, 13)), DayLook::Plain);

    c.notDoneColor = false;
    EXPECT_EQ(look(mixed), DayLook::Done);
    c.doneColor = false;
    EXPECT_EQ(look(mixed), DayLook::Plain);
    c.holidayColor = false;
    EXPECT_EQ(look(QDate(2026, 12, 24)), DayLook::Plain);
    c = CalendarColours();
    c.doneColor = false;
    EXPECT_EQ(look(mixed), DayLook::NotDone);
    EXPECT_EQ(look(doneDay), DayLook::Plain);

    const CellColours today_ = ColoursOf(DayLook::Today, c, Qt::gray, Qt::black);
    EXPECT_EQ(today_.back, QColor(0, 255, 0));
    EXPECT_EQ(ColoursOf(DayLook::NotDone, c, Qt::gray, Qt::black).back, QColor(255, 0, 0));
    EXPECT_EQ(ColoursOf(DayLook::Done, c, Qt::gray, Qt::black).back, QColor(0, 255, 255));
    EXPECT_EQ(ColoursOf(DayLook::Holiday, c, Qt::gray, Qt::black).back, QColor(255, 255, 0));
    EXPECT_EQ(ColoursOf(DayLook::Plain, c, Qt::gray, Qt::black).back, QColor(Qt::gray));
}

TEST(CalendarPlacement, FourMonthsAroundTheCurrentOne)
{
    auto p = PlaceMonths(0, QDate(2026, 1, 31));
    EXPECT_EQ(p[1], QDate(2026, 2, 28));
    EXPECT_EQ(p[2], QDate(2026, 3, 28));
    EXPECT_EQ(p[3], QDate(2026, 4, 28));
    p = PlaceMonths(0, QDate(2024, 1, 31));
    EXPECT_EQ(p[1], QDate(2024, 2, 29));
    EXPECT_EQ(p[3], QDate(2024, 4, 29));
    p = PlaceMonths(1, QDate(2026, 12, 9));
    EXPECT_EQ(p[0], QDate(2026, 11, 9));
    EXPECT_EQ(p[2], QDate(2027, 1, 9));
    EXPECT_EQ(p[3], QDate(2027, 2, 9));
    p = PlaceMonths(3, QDate(2026, 3, 31));
    EXPECT_EQ(p[2], QDate(2026, 2, 28));
    EXPECT_EQ(p[1], QDate(2026, 1, 28));
    EXPECT_EQ(p[0], QDate(2025, 12, 28));
}

TEST(CalendarSizing, Thresholds)
{
    // (P2 - nav - 5) div 2 = 91: the navigation bar shows.
    CalendarSizing s = SizeCalendars(315, 91 * 2 + 26 + 5, 26, 8);
    EXPECT_TRUE(s.navVisible);
    EXPECT_EQ(s.height, 91);
    EXPECT_EQ(s.width, 157);
    // ... = 90: it hides, and the calendars take (P2 - 5) div 2.
    s = SizeCalendars(315, 90 * 2 + 26 + 5, 26, 8);
    EXPECT_FALSE(s.navVisible);
    EXPECT_EQ(s.height, (90 * 2 + 26) / 2);
    s = SizeCalendars(300, 105, 26, 8);  // height 50
    EXPECT_EQ(s.height, 50);
    EXPECT_FALSE(s.labels);
    EXPECT_EQ(s.cellFontSize, 6);
    EXPECT_FALSE(s.raisedLabels);
    s = SizeCalendars(300, 103, 26, 8);  // 49
    EXPECT_EQ(s.cellFontSize, 4);
    s = SizeCalendars(300, 155, 26, 11);  // 75
    EXPECT_EQ(s.cellFontSize, 11);
    EXPECT_TRUE(s.raisedLabels);
    EXPECT_TRUE(s.labels);
    EXPECT_FALSE(s.weekDayHeader);
    s = SizeCalendars(300, 2 * 107 + 26 + 5, 26, 8);
    EXPECT_TRUE(s.weekDayHeader);
    EXPECT_TRUE(s.cellBevel);
}

TEST(Headings, ToDoAndDay)
{
    EXPECT_EQ(ToDoHeading(2), "To-do Tasks");
    EXPECT_EQ(ToDoHeading(1), "To-do Tasks");
    EXPECT_EQ(ToDoHeading(3), "2 To-do Tasks");
    const FixedClock clock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    EXPECT_EQ(MakeDayHeading(QDate(2026, 12, 10), 4, {}, fs, clock).text, "3 tasks Thu 12/10/2026  Tomorrow");
    EXPECT_EQ(MakeDayHeading(QDate(2026, 12, 10), 2, {}, fs, clock).text, "Thu 12/10/2026  Tomorrow");
    const DayHeading h = MakeDayHeading(QDate(2026, 12, 25), 5, "Christmas", fs, clock);
    EXPECT_EQ(h.text, "Christmas  16 days");
    EXPECT_TRUE(h.holiday);
}

TEST(ListSorting, TimesCategoriesAndTies)
{
    const FormatSettings fs = fix2000(FormatSettings::enUS());
    Grid day = NewDayGrid();
    day.setRowCount(6);
    const char *rows[][4] = {{"10:30 AM", "Work", "b", "No"}, {"9:00 AM", "Work", "a", "No"},
                             {"", "Home", "c", "No"},         {"9:00 AM", "Home", "z", "Yes"},
                             {"soon", "Home", "d", "No"}};
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 4; ++c)
            day.setCell(c, r + 1, QString::fromUtf8(rows[r][c]));
    // "soon" reads as the moment of the sort: 10:00.
    SortDayList(day, kDayTime, true, fs, TimeValue(10, 0));
    QStringList notes;
    for (int r = 1; r < 6; ++r)
        notes << day.cell(kDayNotes, r);
    EXPECT_EQ(notes, QStringList({"z", "a", "d", "b", "c"}));  // same time: by category; empty last

    SortDayList(day, kDayCategory, true, fs, TimeValue(10, 0));
    EXPECT_EQ(day.cell(kDayCategory, 1), "Home");
    EXPECT_EQ(day.cell(kDayNotes, 1), "c");  // ties go on to the right only: by notes
    SortDayList(day, kDayCategory, false, fs, TimeValue(10, 0));
    EXPECT_EQ(day.cell(kDayCategory, 1), "Work");

    Grid todo = NewTodoGrid();
    todo.setRowCount(4);
    todo.setCell(kTodoCategory, 1, u"b");
    todo.setCell(kTodoNotes, 1, u"2");
    todo.setCell(kTodoCategory, 2, u"a");
    todo.setCell(kTodoNotes, 2, u"9");
    todo.setCell(kTodoCategory, 3, u"a");
    todo.setCell(kTodoNotes, 3, u"1");
    SortTodoList(todo, kTodoCategory, true);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "1");
    EXPECT_EQ(todo.cell(kTodoNotes, 3), "2");
    EXPECT_EQ(todo.cell(kTodoCategory, 0), "Category");  // the header stays
}

TEST(ListWidths, FitTheListWidth)
{
    const auto w = DayListWidths(500, 96, 0, 4);
    EXPECT_EQ(w[0], 58);
    EXPECT_EQ(w[1], 74);
    EXPECT_EQ(w[3], 46);
    EXPECT_EQ(w[2], 500 - 58 - 74 - 46 - 46 - 4 - 5);
    EXPECT_EQ(DayListWidths(500, 96, 17, 4)[2], w[2] - 17);  // a scroll bar narrows "What"
    const auto t = TodoListWidths(400, 144, 0, 4);
    EXPECT_EQ(t[0], 126);
    EXPECT_EQ(t[2], 81);
    EXPECT_EQ(t[1], 400 - 126 - 81 - 4 - 5);
}

TEST(ListSorting, TheLastColumnSortsToo)
{
    // "Alarm?" and the to-do list's "Done?" are the last columns: a header
    // click on them sorts by them, ties broken by nothing after them.
    Grid day = NewDayGrid();
    day.setRowCount(4);
    const char *alarms[] = {"Yes", "No", "Yes"};
    for (int r = 1; r <= 3; ++r) {
        day.setCell(kDayTime, r, QStringLiteral("%1:00 AM").arg(r + 7));
        day.setCell(kDayNotes, r, QStringLiteral("task %1").arg(r));
        day.setCell(kDayDone, r, u"No");
        day.setCell(kDayAlarm, r, QString::fromLatin1(alarms[r - 1]));
    }
    const FormatSettings fs = FormatSettings::enUS();
    SortDayList(day, kDayAlarm, true, fs, 0);
    EXPECT_EQ(day.cell(kDayAlarm, 1), "No");
    EXPECT_EQ(day.cell(kDayAlarm, 3), "Yes");
    SortDayList(day, kDayAlarm, false, fs, 0);
    EXPECT_EQ(day.cell(kDayAlarm, 1), "Yes");

    Grid todo = NewTodoGrid();
    todo.setRowCount(3);
    todo.setCell(kTodoNotes, 1, u"b");
    todo.setCell(kTodoDone, 1, u"Yes");
    todo.setCell(kTodoNotes, 2, u"a");
    todo.setCell(kTodoDone, 2, u"No");
    SortTodoList(todo, kTodoDone, true);
    EXPECT_EQ(todo.cell(kTodoDone, 1), "No");
}
