// The web calendar: month pages and the year index byte for byte, the day
// cells and the details table, the month grid, and publishing to disk.

#include "OutputFixtures.h"
#include "WebCalendarPages.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

QString holidays(const QDate &d)
{
    return d == QDate(2001, 3, 17) ? u"St. Patrick's <Day>"_s : QString();
}

WebCalSettings marchSettings()
{
    WebCalSettings s;
    s.title = u"Family & Friends"_s;
    s.month = QDate(2001, 3, 15);
    s.details = true;
    s.alarmColumn = true;
    s.doneColumn = false;
    s.withinDay = true;
    s.withCategory = true;
    s.fontSize = 12;
    s.webColor = ColorToWebColor(quint32(16777177));
    return s;
}

// The lines of a page, without their CR LF.
QList<QByteArray> lines(const QByteArray &page) { return page.split('\n'); }

}  // namespace

TEST(WebCalendarPages, MonthPageMatchesTheGoldenFile)
{
    const Grid store = SmallStore();
    const TaskFilter filter = HidingFilter();
    const WebCalSettings s = marchSettings();
    StoreWebContent content(store, filter, holidays);
    const QByteArray page = MonthPageHtml(s, false, s.month, content.content(), FormatSettings::enUS());
    EXPECT_EQ(page, Golden(u"march2001.htm"_s));
    // The template copy put the chosen size into both font lines.
    EXPECT_EQ(lines(page)[7], QByteArray("\tfont-size : 12pt;\r"));
    EXPECT_EQ(lines(page)[21], QByteArray("\tfont-size : 12pt;\r"));
    EXPECT_EQ(lines(page)[16], QByteArray("\t\tcolor : #D9FFFF;\r"));
}

TEST(WebCalendarPages, YearSetMonthWithAnEmptyFifthWeekMatchesTheGoldenFile)
{
    WebCalSettings s;
    s.details = false;
    s.webColor = ColorToWebColor(QColor(255, 0, 0));
    const QByteArray page = MonthPageHtml(s, true, QDate(2009, 2, 1), WebCalContent{}, FormatSettings::enUS());
    EXPECT_EQ(page, Golden(u"2_2009.htm"_s));
}

TEST(WebCalendarPages, YearIndexMatchesTheGoldenFile)
{
    WebCalSettings s = marchSettings();
    s.fontSize = 9;
    EXPECT_EQ(YearIndexHtml(s, 2001, FormatSettings::enUS()), Golden(u"2001.htm"_s));
    // The index's table cells keep their own 12pt whatever the chosen size.
    s.fontSize = 14;
    const QByteArray page = YearIndexHtml(s, 2001, FormatSettings::enUS());
    EXPECT_EQ(lines(page)[6], QByteArray("\tfont-size : 14pt;\r"));
    EXPECT_EQ(lines(page)[20], QByteArray(" \tfont-size : 12pt;\r"));
}

TEST(WebCalendarPages, MonthGridAndWeekStart)
{
    // March 2001 begins on a Thursday.
    WebMonthGrid g = FillGridWithNumbers(QDate(2001, 3, 9), false);
    EXPECT_EQ(g[0][4], 1);
    EXPECT_EQ(g[0][3], 0);
    EXPECT_EQ(g[4][6], 31);
    EXPECT_EQ(g[5][0], 0);
    // With Monday first, a month beginning on a Sunday puts day 1 last.
    g = FillGridWithNumbers(QDate(2009, 2, 1), true);
    EXPECT_EQ(g[0][6], 1);
    EXPECT_EQ(g[0][5], 0);
    EXPECT_EQ(MyDayOfWeek(QDate(2009, 2, 1), true), 7);
    EXPECT_EQ(MyDayOfWeek(QDate(2009, 2, 1), false), 1);
    EXPECT_EQ(MyDayOfWeek(QDate(2009, 2, 2), true), 1);
    // A leap February and a century that is not one.
    EXPECT_EQ(FillGridWithNumbers(QDate(2000, 2, 1), false)[4][2], 29);  // 1 Feb 2000 was a Tuesday
    g = FillGridWithNumbers(QDate(2100, 2, 1), false);
    int last = 0;
    for (const auto &w : g)
        for (int d : w)
            last = std::max(last, d);
    EXPECT_EQ(last, 28);

    // A 31-day month that begins on the last position fills six weeks:
    // March 2008 began on a Saturday.
    const QByteArray six = MonthPageHtml(WebCalSettings{}, false, QDate(2008, 3, 1), {}, FormatSettings::enUS());
    EXPECT_TRUE(six.contains("<A NAME=\"C31\">31</A>"));
    EXPECT_EQ(six.count("<td width=1 class=rightcell rowspan=12>"), 1);
    EXPECT_EQ(six.count("class=numbercell"), 31);
    EXPECT_EQ(six.count("class=FillDay"), 42 - 31);

    // Monday first: the day names start on Monday and run round to Sunday.
    WebCalSettings monday;
    monday.mondayFirst = true;
    const QByteArray page = MonthPageHtml(monday, false, QDate(2009, 2, 1), {}, FormatSettings::enUS());
    EXPECT_TRUE(page.contains(
        "<td width=1>&nbsp;</td>\r\n"
        "<td valign=top width=14% nowrap align=center class=dayheader>Monday</td>\r\n"
        "<td valign=top width=14% nowrap align=center class=dayheader bgcolor=#D9FFFF>Tuesday</td>\r\n"));
    EXPECT_TRUE(page.contains("class=dayheader>Sunday</td>\r\n</tr>\r\n"));
    // Day 1 in position 7 of week 1: shaded, as week and position are odd.
    EXPECT_TRUE(page.contains("<td width=14% class=FillDay >&nbsp;</td>\r\n"
                              "<td valign=top width=14% nowrap align=right class=numbercell bgcolor=#D9FFFF>"
                              "<A NAME=\"C1\">1</A></td>\r\n</tr>\r\n"));
}

TEST(WebCalendarPages, DayCellsFollowTheSettings)
{
    const Grid store = SmallStore();
    const TaskFilter all;
    WebCalSettings s;
    s.details = false;
    s.withinDay = false;
    StoreWebContent content(store, all, {});
    // Only times and categories, times marked strong without details.
    EXPECT_EQ(content.HTMLDumpEventDay(QDate(2001, 3, 5), s),
              u"<strong>11:00 am</strong> Hidden<br><strong>2:00 pm</strong> Home<br>"_s);
    EXPECT_EQ(content.HTMLDumpEventDay(QDate(2001, 3, 2), s), QString());

    s.withinDay = true;
    s.withCategory = false;
    EXPECT_EQ(content.HTMLDumpEventDay(QDate(2001, 3, 7), s),
              u"<strong>5:00 pm</strong> &lt;script&gt;alert('x')&lt;/script&gt; &amp; more<br>"_s);

    // Cut to ten characters before escaping, so no entity is cut in half.
    s.truncate = true;
    s.truncLength = 10;
    EXPECT_EQ(content.HTMLDumpEventDay(QDate(2001, 3, 7), s), u"<strong>5:00 pm</strong> &lt;script&gt;al<br>"_s);
    Grid one = NewStoreGrid();
    one.setRowCount(2);
    const QStringList cells{u"36951.101"_s, u"9:00 AM"_s, u"Caf\u00e9 & \U0001F600 party, twenty-five"_s};
    one.setCell(kStoreKey, 1, cells[0]);
    one.setCell(kStoreTime, 1, cells[1]);
    one.setCell(kStoreNotes, 1, cells[2]);
    StoreWebContent small(one, all, {});
    // Ten characters: the emoji counts once and is never split.
    EXPECT_EQ(small.HTMLDumpEventDay(QDate(2001, 3, 1), s),
              u"<strong>9:00 am</strong> Caf\u00e9 &amp; \U0001F600 p<br>"_s);
    s.truncLength = 0;
    EXPECT_EQ(small.HTMLDumpEventDay(QDate(2001, 3, 1), s), u"<strong>9:00 am</strong> <br>"_s);

    // Details on: the time links to the day's rows in the details table.
    s.truncate = false;
    s.details = true;
    s.withCategory = true;
    StoreWebContent holiday(store, all, holidays);
    EXPECT_EQ(holiday.HTMLDumpEventDay(QDate(2001, 3, 17), s),
              u"<font color=\"Blue\"><strong>St. Patrick's &lt;Day&gt;</strong></font><br>"_s);
    EXPECT_EQ(holiday.HTMLDumpEventDay(QDate(2001, 3, 1), s),
              u"<A HREF=\"#1\">9:00 am</A> Work Call Ann, then Bob<br>"
              u"<A HREF=\"#1\">10:30 am</A>  Say &quot;hi&quot;<br>"_s);

    const auto details = holiday.HTMLDumpEventDetails(QDate(2001, 3, 5));
    ASSERT_EQ(details.size(), 2u);
    EXPECT_EQ(details[0].day, 5);
    EXPECT_EQ(details[0].time, u"11:00 am"_s);
    EXPECT_EQ(details[1].text, u"Line one\r\nLine two\r\n"_s);
}

TEST(WebCalendarPages, DetailsTableColumnsAndHostileText)
{
    const Grid store = SmallStore();
    const TaskFilter all;
    WebCalSettings s;
    s.doneColumn = true;
    s.alarmColumn = true;
    s.title = u"<script>alert(1)</script>"_s;
    StoreWebContent content(store, all, {});
    const QByteArray page = MonthPageHtml(s, true, QDate(2001, 3, 1), content.content(), FormatSettings::enUS());
    EXPECT_TRUE(page.contains("<td colspan=\"6\" align=\"center\" class=\"calmonth\">Details</td>"));
    EXPECT_TRUE(page.contains("<td width=55% class=dayheader bgcolor=#D9FFFF>Notes</td>"));
    EXPECT_TRUE(page.contains(">Alarm?</td>\r\n<td class=dayheader align=\"center\" bgcolor=#D9FFFF>Done?</td>"));
    EXPECT_TRUE(page.contains("&lt;script&gt;alert(1)&lt;/script&gt; - March 2001<br>"));
    EXPECT_FALSE(page.contains("<script>"));
    // Secret (filtered in here) is in the table with its done flag.
    EXPECT_TRUE(page.contains("<td class=detail valign=\"top\" align=\"center\"><a name=\"5\" href=\"#C5\">5</td>\r\n"
                              "<td class=detail valign=\"top\" align=\"center\">11:00 am</td>\r\n"
                              "<td class=detail valign=\"top\" align=\"center\">Hidden</td>\r\n"
                              "<td class=detail valign=\"top\" align=\"center\">No</td>\r\n"
                              "<td class=detail valign=\"top\" align=\"center\">No</td>\r\n"
                              "<td class=detail valign=\"top\" align=\"left\">Secret</td>\r\n"));
    // Tasks of other months stay off the page.
    EXPECT_FALSE(page.contains("End of February"));
    EXPECT_FALSE(page.contains("April fool"));

    s.details = false;
    const QByteArray plain = MonthPageHtml(s, false, QDate(2001, 3, 1), content.content(), FormatSettings::enUS());
    EXPECT_FALSE(plain.contains("Details"));
    EXPECT_FALSE(plain.contains("<A HREF="));
    EXPECT_TRUE(plain.contains("<strong>9:00 am</strong>"));

    // Without content providers, cells are blank and the table has no rows.
    s.details = true;
    const QByteArray bare = MonthPageHtml(s, false, QDate(2001, 3, 1), {}, FormatSettings::enUS());
    EXPECT_TRUE(bare.contains(">Notes</td>\r\n</tr>\r\n</table>\r\n"));
    EXPECT_FALSE(bare.contains("class=detail"));

    // A TAB inside a text or category takes nothing from the other fields.
    Grid tabbed = SmallStore();
    tabbed.setCell(kStoreCategory, 2, u"Work\tand play"_s);
    tabbed.setCell(kStoreNotes, 2, u"Call\tAnn\tnow"_s);
    StoreWebContent tabs(tabbed, all, {});
    const QByteArray tabPage = MonthPageHtml(s, false, QDate(2001, 3, 1), tabs.content(), FormatSettings::enUS());
    EXPECT_TRUE(tabPage.contains("<td class=detail valign=\"top\" align=\"center\">Work\tand play</td>\r\n"
                                 "<td class=detail valign=\"top\" align=\"center\">No</td>\r\n"
                                 "<td class=detail valign=\"top\" align=\"center\">No</td>\r\n"
                                 "<td class=detail valign=\"top\" align=\"left\">Call\tAnn\tnow</td>\r\n"));
}

TEST(WebCalendarPages, WebColours)
{
    EXPECT_EQ(ColorToWebColor(QColor(255, 0, 0)), u"#FF0000"_s);
    EXPECT_EQ(ColorToWebColor(quint32(0x0000FF)), u"#FF0000"_s);   // red in the low byte
    EXPECT_EQ(ColorToWebColor(quint32(0x0A0000)), u"#00000A"_s);   // padded to six digits
    EXPECT_EQ(ColorToWebColor(quint32(16777177)), u"#D9FFFF"_s);
}

TEST(WebCalendarPages, DialogChecksAndFileNames)
{
    EXPECT_EQ(CheckWebPageFileName(QString()), u"An HTML file has not been specified"_s);
    EXPECT_EQ(CheckWebPageFileName(u"notes.txt"_s), u"Filename needs \".htm\" or \".html\" extension"_s);
    EXPECT_EQ(CheckWebPageFileName(u"Report.HTML"_s), QString());
    EXPECT_EQ(CheckWebPageFileName(u"a.htm.bak"_s), QString());
    EXPECT_EQ(CheckWebFolderName(QString()), u"An output folder has not been specified"_s);
    EXPECT_EQ(MonthPageFileName(3, 2001), u"3_2001.htm"_s);
    EXPECT_EQ(YearIndexFileName(2001), u"2001.htm"_s);

    TempFolder dir;
    EXPECT_TRUE(CreateFolderWithParents(dir.file(u"a/b/c"_s)).ok);
    EXPECT_TRUE(QFileInfo(dir.file(u"a/b/c"_s)).isDir());
    writeBytes(dir.file(u"plain"_s), "x");
    const FileResult r = CreateFolderWithParents(dir.file(u"plain/sub"_s));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.message, u"Unable to create directory"_s);
}

TEST(WebCalendarPages, PublishingAYearWritesTheIndexAndTwelveMonths)
{
    const Grid store = SmallStore();
    const TaskFilter all;
    TempFolder dir;
    WebPublishRequest req;
    req.wholeYear = true;
    req.folder = dir.path();
    req.settings = marchSettings();
    StoreWebContent content(store, all, holidays);
    const WebPublishResult r = PublishWebCalendar(req, content.content(), FormatSettings::enUS());
    ASSERT_TRUE(r.ok) << r.message.toStdString();
    QStringList expected{u"2001.htm"_s};
    for (int m = 1; m <= 12; ++m)
        expected << MonthPageFileName(m, 2001);
    ASSERT_EQ(r.written.size(), 13);
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(r.written[i], dir.file(expected[i]));
    EXPECT_EQ(r.pageToOpen, dir.file(u"2001.htm"_s));
    expected.sort();
    QStringList onDisk = dir.entries();
    onDisk.sort();
    EXPECT_EQ(onDisk, expected);  // and no temporary file left behind
    EXPECT_EQ(readBytes(dir.file(u"3_2001.htm"_s)),
              MonthPageHtml(req.settings, true, QDate(2001, 3, 1), content.content(), FormatSettings::enUS()));
    EXPECT_TRUE(readBytes(dir.file(u"3_2001.htm"_s)).contains("<a href=\"12_2001.htm\">December 2001</a>"));

    // Month mode writes the one page, with the single-month heading.
    WebPublishRequest one;
    one.file = dir.file(u"calendar.htm"_s);
    one.settings = req.settings;
    const WebPublishResult m = PublishWebCalendar(one, content.content(), FormatSettings::enUS());
    ASSERT_TRUE(m.ok);
    EXPECT_EQ(m.written, QStringList{one.file});
    EXPECT_EQ(m.pageToOpen, one.file);
    const Grid hidingStore = SmallStore();
    const TaskFilter hiding = HidingFilter();
    StoreWebContent golden(hidingStore, hiding, holidays);
    ASSERT_TRUE(PublishWebCalendar(one, golden.content(), FormatSettings::enUS()).ok);
    EXPECT_EQ(readBytes(one.file), Golden(u"march2001.htm"_s));

    // No month at all is refused, not written as a page of nonsense.
    WebPublishRequest none = one;
    none.settings.month = QDate();
    EXPECT_FALSE(PublishWebCalendar(none, content.content(), FormatSettings::enUS()).ok);
    EXPECT_FALSE(MonthPageHtml(none.settings, false, QDate(), {}, FormatSettings::enUS()).isEmpty());

    one.file = dir.file(u"notes.txt"_s);
    EXPECT_FALSE(PublishWebCalendar(one, content.content(), FormatSettings::enUS()).ok);
    EXPECT_FALSE(QFile::exists(one.file));
}

TEST(WebCalendarPages, AFailedPageStopsTheRunAndKeepsWhatWasWritten)
{
    TempFolder dir;
    WebPublishRequest req;
    req.wholeYear = true;
    req.folder = dir.path();
    req.settings = marchSettings();
    // May's page cannot replace a folder of its name.
    ASSERT_TRUE(QDir().mkpath(dir.file(u"5_2001.htm"_s)));
    writeBytes(dir.file(u"6_2001.htm"_s), "old June");
    const WebPublishResult r = PublishWebCalendar(req, {}, FormatSettings::enUS());
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.failedFile, dir.file(u"5_2001.htm"_s));
    EXPECT_TRUE(r.message.contains(u"5_2001.htm"_s)) << r.message.toStdString();
    EXPECT_EQ(r.written.size(), 5);  // the index and January to April
    EXPECT_TRUE(QFile::exists(dir.file(u"4_2001.htm"_s)));
    EXPECT_EQ(readBytes(dir.file(u"6_2001.htm"_s)), QByteArray("old June"));

    // A read-only folder, by its permission bits (so also when run as root):
    // nothing is written and the old index stays.
    TempFolder other;
    writeBytes(other.file(u"2001.htm"_s), "old index");
    QFile::setPermissions(other.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    req.folder = other.path();
    const WebPublishResult ro = PublishWebCalendar(req, {}, FormatSettings::enUS());
    QFile::setPermissions(other.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_FALSE(ro.ok);
    EXPECT_TRUE(ro.written.isEmpty());
    EXPECT_TRUE(ro.message.contains(u"read-only"_s)) << ro.message.toStdString();
    EXPECT_EQ(readBytes(other.file(u"2001.htm"_s)), QByteArray("old index"));
    EXPECT_EQ(other.entries(), QStringList{u"2001.htm"_s});
}
