// The daily alarms dialog: what it shows of the table, what OK stores and
// Cancel keeps, the two refusals, the clock it shows times on, and the time
// bar behind each time edit.

#include "DailyAlarmsDialog.h"
#include "ShadowLabel.h"
#include "TestFiles.h"
#include "TimeBarDialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimeEdit>
#include <QToolButton>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

const std::array<bool, 7> kWeekdays{false, true, true, true, true, true, false};
const std::array<bool, 7> kEveryDay{true, true, true, true, true, true, true};

class DailyAlarmsDialogTest : public ::testing::Test {
protected:
    TempFolder config;
    SettingsStore settings{config.file("Task.conf")};
    FormatSettings fs = fix2000(FormatSettings::enUS());
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(14, 25, 40))};
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    DailyAlarms table;

    std::unique_ptr<TfrmDailyTimer> open(bool shadows = true)
    {
        auto dlg = std::make_unique<TfrmDailyTimer>(
            TfrmDailyTimer::Services{table, settings, prompts, runner, fs, clock, shadows, QFont()});
        dlg->show();
        return dlg;
    }

    // The next control Tab reaches from w.
    static QWidget *nextTabStop(QWidget *w)
    {
        for (QWidget *n = w->nextInFocusChain(); n != w; n = n->nextInFocusChain())
            if ((n->focusPolicy() & Qt::TabFocus) && !n->focusProxy() && n->isVisibleTo(w->window()) &&
                n->isEnabled())
                return n;
        return w;
    }
};

TEST_F(DailyAlarmsDialogTest, TenRowsOfNamedControlsUnderTheirHeads)
{
    auto dlg = open();
    EXPECT_EQ(dlg->windowTitle(), u"Daily alarms"_s);
    EXPECT_EQ(dlg->lblTitle->text(), u"Morvane Daily Alarms"_s);
    EXPECT_EQ(dlg->lblTitle->shadowDepth(), 4);
    EXPECT_EQ(dlg->lblTitle->textColor(), QColor(0, 0, 255));
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(dlg->btOK->isDefault());
    for (const QString &head : {u"&Enabled?"_s, u"&Time of day"_s, u"&Description"_s, u"Day of week"_s}) {
        bool found = false;
        for (const QLabel *l : dlg->findChildren<QLabel *>())
            found = found || l->text() == head;
        EXPECT_TRUE(found) << head.toStdString();
    }
    std::array<QString, 7> heads;
    for (std::size_t d = 0; d < 7; ++d)
        heads[d] = dlg->lblDay[d]->text();
    EXPECT_EQ(heads, (std::array<QString, 7>{u"S"_s, u"M"_s, u"T"_s, u"W"_s, u"T"_s, u"F"_s, u"S"_s}));

    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        const QString num = QString::number(n);
        auto *ok = dlg->findChild<QCheckBox *>(u"cb"_s + num + u"OK"_s);
        ASSERT_TRUE(ok) << n;
        EXPECT_EQ(ok->text().remove(u'&'), num);
        ASSERT_TRUE(dlg->findChild<QTimeEdit *>(u"dtTime"_s + num)) << n;
        auto *edit = dlg->findChild<QLineEdit *>(u"Edit"_s + num);
        ASSERT_TRUE(edit) << n;
        EXPECT_EQ(edit->maxLength(), 80);
        for (const char *day : {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"})
            EXPECT_TRUE(dlg->findChild<QCheckBox *>(u"cb"_s + num + QString::fromLatin1(day))) << n << day;
        const TfrmDailyTimer::Row r = dlg->row(n);
        ASSERT_TRUE(r.timeBar);
        EXPECT_EQ(r.timeBar->accessibleName(), u"Time bar"_s);
        // Each weekday box stands under its head.
        for (std::size_t d = 0; d < 7; ++d) {
            const int box = r.days[d]->mapTo(dlg.get(), r.days[d]->rect().center()).x();
            const int head = dlg->lblDay[d]->mapTo(dlg.get(), dlg->lblDay[d]->rect().center()).x();
            EXPECT_LE(std::abs(box - head), 2) << n << ' ' << d;
        }
    }
    // Rows 1 and 10 have the mnemonics Alt+1 and Alt+0.
    EXPECT_EQ(dlg->row(1).ok->text(), u"&1"_s);
    EXPECT_EQ(dlg->row(10).ok->text(), u"1&0"_s);

    // Tab walks a row left to right, then the next row, and after the last
    // the buttons.
    EXPECT_EQ(nextTabStop(dlg->row(1).ok), dlg->row(1).time);
    EXPECT_EQ(nextTabStop(dlg->row(1).time), dlg->row(1).edit);
    EXPECT_EQ(nextTabStop(dlg->row(1).edit), dlg->row(1).days[0]);
    EXPECT_EQ(nextTabStop(dlg->row(1).days[6]), dlg->row(2).ok);
    EXPECT_EQ(nextTabStop(dlg->row(10).days[6]), dlg->btOK);
    EXPECT_EQ(nextTabStop(dlg->btOK), dlg->btCancel);

    // Opened in the middle of the screen.
    const QRect area = dlg->screen()->availableGeometry();
    if (dlg->frameGeometry().width() <= area.width() && dlg->frameGeometry().height() <= area.height()) {
        EXPECT_LE(std::abs(dlg->frameGeometry().center().x() - area.center().x()), 1);
        EXPECT_LE(std::abs(dlg->frameGeometry().center().y() - area.center().y()), 1);
    }

    // Without shadows the title is flat and navy.
    auto flat = open(false);
    EXPECT_EQ(flat->lblTitle->shadowDepth(), 1);
    EXPECT_EQ(flat->lblTitle->textColor(), QColor(0, 0, 128));
}

TEST_F(DailyAlarmsDialogTest, TheTableComesIntoTheRowsAndOkStoresThemAll)
{
    table.alarms[0] = {true, 6, 45, u"Walk the dog"_s, kWeekdays};
    table.alarms[9] = {false, 23, 59, u"Last"_s, {false, false, false, false, false, false, true}};
    auto dlg = open();

    const TfrmDailyTimer::Row first = dlg->row(1);
    EXPECT_TRUE(first.ok->isChecked());
    EXPECT_EQ(first.time->time(), QTime(6, 45));
    EXPECT_EQ(first.time->text(), u"6:45 AM"_s);
    EXPECT_EQ(first.edit->text(), u"Walk the dog"_s);
    for (std::size_t d = 0; d < 7; ++d)
        EXPECT_EQ(first.days[d]->isChecked(), kWeekdays[d]) << d;
    EXPECT_FALSE(dlg->row(10).ok->isChecked());
    EXPECT_EQ(dlg->row(10).time->text(), u"11:59 PM"_s);
    EXPECT_TRUE(dlg->row(10).days[6]->isChecked());
    // A record that was never set: off, no time (an empty field), no day.
    const TfrmDailyTimer::Row blank = dlg->row(2);
    EXPECT_FALSE(blank.ok->isChecked());
    EXPECT_EQ(blank.time->time(), QTime(0, 0));
    EXPECT_TRUE(blank.time->text().trimmed().isEmpty());
    EXPECT_TRUE(blank.edit->text().isEmpty());
    for (QCheckBox *b : blank.days)
        EXPECT_FALSE(b->isChecked());
    EXPECT_EQ(dlg->formAlarms(), table.alarms);

    // Row 3 written in the dialog: a time with seconds loses them, a
    // description of 100 characters keeps its first 80.
    const TfrmDailyTimer::Row third = dlg->row(3);
    third.ok->setChecked(true);
    third.time->setTime(QTime(13, 7, 42));
    const QString longText = QString(60, u'a') + QString(40, u'b');
    third.edit->setText(longText);
    third.days[2]->setChecked(true);
    dlg->btOK->click();

    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_TRUE(prompts.shown.isEmpty());
    const TDailyAlarm expected{true, 13, 7, longText.left(80), {false, false, true, false, false, false, false}};
    EXPECT_EQ(table.alarms[2], expected);
    EXPECT_EQ(table.alarms[0], (TDailyAlarm{true, 6, 45, u"Walk the dog"_s, kWeekdays}));
    // The program's long time format has no seconds (fix2000).
    EXPECT_EQ(settings.raw("DailyOptions", "Time3"), u"1:07 PM"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Edit3"), longText.left(80));

    // Every one of the ten records went to the settings and reads back.
    for (int n = 1; n <= kDailyAlarmCount; ++n)
        EXPECT_TRUE(settings.raw("DailyOptions", ("Sat" + QByteArray::number(n)).constData())) << n;
    SettingsStore again(settings.fileName());
    DailyAlarms back;
    back.read(again, fs, clock);
    EXPECT_EQ(back.alarms, table.alarms);
}

TEST_F(DailyAlarmsDialogTest, AnEnabledRowNeedsADescriptionThenATimeAndOffRowsAreNotLookedAt)
{
    table.alarms[1] = {true, 8, 0, u"Pills"_s, kEveryDay};
    const DailyAlarms before = table;
    auto dlg = open();
    // Row 1 off, blank and without a time: never in the way.
    // Row 2 enabled with only blanks; row 5 enabled and blank as well.
    dlg->row(2).edit->setText(u"   "_s);
    dlg->row(5).ok->setChecked(true);

    auto refused = [&](const QString &message, QWidget *focus) {
        const qsizetype shown = prompts.shown.size();
        dlg->btOKClick();
        ASSERT_EQ(prompts.shown.size(), shown + 1) << message.toStdString();
        EXPECT_EQ(prompts.shown.last().kind, ScriptedPrompts::Kind::Error);
        EXPECT_EQ(prompts.shown.last().text, message);
        EXPECT_EQ(dlg->focusWidget(), focus) << message.toStdString();
        EXPECT_TRUE(dlg->isVisible());
        EXPECT_EQ(dlg->result(), 0);
        // Nothing has changed.
        EXPECT_EQ(table.alarms, before.alarms);
        EXPECT_FALSE(settings.raw("DailyOptions", "Daily1"));
    };
    const QString blank = u"An alarm cannot be enabled and blank.  Fill in the description."_s;
    const QString noTime = u"The alarm time must be set"_s;
    refused(blank, dlg->row(2).edit);  // the first row at fault, and only that one
    EXPECT_EQ(prompts.beeps, 1);
    dlg->row(2).edit->setText(u"Pills"_s);
    dlg->row(2).time->setTime(QTime(0, 0));
    refused(noTime, dlg->row(2).time);
    dlg->row(2).time->setTime(QTime(8, 0));
    refused(blank, dlg->row(5).edit);
    dlg->row(5).edit->setText(u"Stretch"_s);
    refused(noTime, dlg->row(5).time);
    // A description is looked at before the time.
    dlg->row(5).edit->clear();
    refused(blank, dlg->row(5).edit);

    // Switched off, row 5 may stay as it is; an alarm on no weekday is
    // allowed (it never sounds).
    dlg->row(5).ok->setChecked(false);
    for (QCheckBox *b : dlg->row(2).days)
        b->setChecked(false);
    dlg->btOKClick();
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(prompts.beeps, 5);
    EXPECT_EQ(table.alarms[1], (TDailyAlarm{true, 8, 0, u"Pills"_s, {}}));
    EXPECT_EQ(table.alarms[4], (TDailyAlarm{false, 0, 0, QString(), {}}));
    EXPECT_EQ(settings.raw("DailyOptions", "Daily2"), u"1"_s);
}

TEST_F(DailyAlarmsDialogTest, CancelKeepsTheTableAndTheSettings)
{
    table.alarms[0] = {true, 6, 45, u"Walk the dog"_s, kWeekdays};
    table.save(settings, fs);
    const DailyAlarms before = table;
    settings.sync();
    const QByteArray stored = readBytes(settings.fileName());
    auto dlg = open();
    dlg->row(1).ok->setChecked(false);
    dlg->row(1).edit->setText(u"Changed"_s);
    dlg->row(4).ok->setChecked(true);  // would be refused, but Cancel does not look
    dlg->btCancel->click();
    EXPECT_EQ(dlg->result(), QDialog::Rejected);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(table.alarms, before.alarms);
    settings.sync();
    EXPECT_EQ(readBytes(settings.fileName()), stored);
}

TEST_F(DailyAlarmsDialogTest, TimesOnTheLocalesClockWithoutSeconds)
{
    table.alarms[0] = {true, 13, 7, u"Lunch"_s, kEveryDay};
    table.alarms[1] = {true, 0, 30, u"Late"_s, kEveryDay};
    {
        auto us = open();
        const TfrmDailyTimer::Row r = us->row(1);
        EXPECT_EQ(r.time->displayFormat(), u"h:mm AP"_s);
        EXPECT_EQ(r.time->text(), u"1:07 PM"_s);
        EXPECT_EQ(us->row(2).time->text(), u"12:30 AM"_s);
        // Typed in: hours, minutes and the marker.
        r.time->setFocus();
        r.time->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(r.time, u"9"_s);
        r.time->setSelectedSection(QDateTimeEdit::AmPmSection);
        QTest::keyClicks(r.time, u"am"_s);
        EXPECT_EQ(r.time->time(), QTime(9, 7));

        // An empty edit shows 12:00 AM to type over while it has the focus,
        // and is empty again when left without a time.
        QTimeEdit *empty = us->row(3).time;
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(empty, &in);
        EXPECT_EQ(empty->text(), u"12:00 AM"_s);
        empty->setSelectedSection(QDateTimeEdit::HourSection);
        QTest::keyClicks(empty, u"7"_s);
        empty->setSelectedSection(QDateTimeEdit::MinuteSection);
        QTest::keyClicks(empty, u"45"_s);
        EXPECT_EQ(empty->time(), QTime(7, 45));
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(empty, &out);
        EXPECT_EQ(empty->text(), u"7:45 AM"_s);
        empty->setTime(QTime(0, 0));
        QApplication::sendEvent(empty, &in);
        QApplication::sendEvent(empty, &out);
        EXPECT_TRUE(empty->text().trimmed().isEmpty());
    }

    fs = fix2000(FormatSettings::fromLocale(QLocale(QLocale::German, QLocale::Germany), 2026));
    auto de = open();
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        EXPECT_EQ(de->row(n).time->displayFormat(), u"HH:mm"_s);
        EXPECT_FALSE(de->row(n).time->displayFormat().contains(u's', Qt::CaseInsensitive));
        EXPECT_EQ(de->row(n).time->maximumTime(), QTime(23, 59, 59, 999));
    }
    EXPECT_EQ(de->row(1).time->text(), u"13:07"_s);
    EXPECT_EQ(de->row(2).time->text(), u"00:30"_s);
    EXPECT_TRUE(de->row(3).time->text().trimmed().isEmpty());
    // The weekday heads from the German day names, Sunday first.
    std::array<QString, 7> heads;
    for (std::size_t d = 0; d < 7; ++d)
        heads[d] = de->lblDay[d]->text();
    EXPECT_EQ(heads, (std::array<QString, 7>{u"S"_s, u"M"_s, u"D"_s, u"M"_s, u"D"_s, u"F"_s, u"S"_s}));
    de->row(1).time->setTime(QTime(18, 40));
    de->btOKClick();
    EXPECT_EQ(settings.raw("DailyOptions", "Time1"), u"18:40"_s);

    // Day names missing from the formats leave the English initials.
    FormatSettings none = FormatSettings::enUS();
    none.shortDayNames = {};
    none.shortDayNames[1] = u"lun."_s;
    EXPECT_EQ(DailyWeekdayHeads(none),
              (std::array<QString, 7>{u"S"_s, u"l"_s, u"T"_s, u"W"_s, u"T"_s, u"F"_s, u"S"_s}));
}

TEST_F(DailyAlarmsDialogTest, MidnightCanBeTypedOrPickedAndShowsAsATime)
{
    auto dlg = open();
    QApplication::setActiveWindow(dlg.get());
    // Row 3 has never had a time. Typing 12:00 AM over the 12:00 AM it
    // shows while focused makes it midnight, which stays shown afterwards.
    const TfrmDailyTimer::Row r = dlg->row(3);
    r.ok->setChecked(true);
    r.edit->setText(u"Take the bins out"_s);
    r.time->setFocus();
    r.time->setSelectedSection(QDateTimeEdit::HourSection);
    QTest::keyClicks(r.time, u"12"_s);
    r.time->setSelectedSection(QDateTimeEdit::MinuteSection);
    QTest::keyClicks(r.time, u"00"_s);
    r.time->setSelectedSection(QDateTimeEdit::AmPmSection);
    QTest::keyClicks(r.time, u"a"_s);
    QTest::mouseClick(r.edit, Qt::LeftButton);
    ASSERT_EQ(dlg->focusWidget(), r.edit);
    EXPECT_EQ(r.time->text(), u"12:00 AM"_s);
    // So does a key that leaves the 12:00 AM as it stands.
    QTimeEdit *still = dlg->row(6).time;
    still->setFocus();
    still->setSelectedSection(QDateTimeEdit::AmPmSection);
    QTest::keyClicks(still, u"a"_s);
    QTest::mouseClick(r.edit, Qt::LeftButton);
    EXPECT_EQ(still->text(), u"12:00 AM"_s);
    // An edit merely passed through stays empty.
    QTimeEdit *passed = dlg->row(7).time;
    passed->setFocus();
    QTest::mouseClick(r.edit, Qt::LeftButton);
    EXPECT_TRUE(passed->text().trimmed().isEmpty());

    // Row 4 gets midnight from the time bar.
    const TfrmDailyTimer::Row r4 = dlg->row(4);
    r4.ok->setChecked(true);
    r4.edit->setText(u"Lock up"_s);
    runner.responders.append([](QDialog &d) {
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(0, 0));
        return int(QDialog::Accepted);
    });
    dlg->dtTime1MiddleButtonClick(4);
    dlg->row(1).ok->setFocus();
    EXPECT_EQ(r4.time->text(), u"12:00 AM"_s);

    dlg->btOKClick();
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(table.alarms[2], (TDailyAlarm{true, 0, 0, u"Take the bins out"_s, {}, true}));
    EXPECT_TRUE(table.alarms[3].midnight);
    EXPECT_EQ(settings.raw("DailyOptions", "Midnight3"), u"1"_s);
    EXPECT_EQ(settings.raw("DailyOptions", "Midnight5"), u"0"_s);

    // Opened again, the midnights show as times; the rows without one stay empty.
    auto again = open();
    EXPECT_EQ(again->row(3).time->text(), u"12:00 AM"_s);
    EXPECT_EQ(again->row(4).time->text(), u"12:00 AM"_s);
    EXPECT_TRUE(again->row(5).time->text().trimmed().isEmpty());
}

TEST_F(DailyAlarmsDialogTest, TheTimeBarPicksARowsTime)
{
    table.alarms[2] = {true, 7, 30, u"Bus"_s, kWeekdays};
    auto dlg = open();

    // OK on the bar: its time goes into that row's edit, which takes the
    // focus. The bar opens on the edit's time and above other windows.
    QTime preset;
    bool onTop = false;
    runner.responders.append([&](QDialog &d) {
        auto &bar = dynamic_cast<TfrmTimePopup &>(d);
        preset = bar.dtTime->time();
        onTop = bar.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
        bar.dtTime->setTime(QTime(9, 35));
        return int(QDialog::Accepted);
    });
    dlg->dtTime1MiddleButtonClick(3);
    EXPECT_EQ(runner.shownTitles, QStringList{u"Time Entry"_s});
    EXPECT_EQ(preset, QTime(7, 30));
    EXPECT_TRUE(onTop);
    EXPECT_EQ(dlg->row(3).time->time(), QTime(9, 35));
    EXPECT_EQ(dlg->focusWidget(), dlg->row(3).time);

    // Cancel on the bar leaves the edit alone.
    dlg->row(1).ok->setFocus();
    runner.responders.append([](QDialog &d) {
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(11, 0));
        return int(QDialog::Rejected);
    });
    dlg->dtTime1MiddleButtonClick(3);
    EXPECT_EQ(dlg->row(3).time->time(), QTime(9, 35));
    EXPECT_EQ(dlg->focusWidget(), dlg->row(1).ok);

    // The side button and F4 in the edit open it for their own row; an
    // empty edit opens it at the present time.
    runner.responders.append([&](QDialog &d) {
        preset = dynamic_cast<TfrmTimePopup &>(d).dtTime->time();
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(21, 15));
        return int(QDialog::Accepted);
    });
    dlg->row(4).timeBar->click();
    EXPECT_EQ(QTime(preset.hour(), preset.minute()), QTime(14, 25));
    EXPECT_EQ(dlg->row(4).time->time(), QTime(21, 15));
    runner.responders.append([](QDialog &d) {
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(6, 5));
        return int(QDialog::Accepted);
    });
    QTest::keyClick(dlg->row(7).time, Qt::Key_F4);
    EXPECT_EQ(dlg->row(7).time->time(), QTime(6, 5));
    EXPECT_EQ(runner.shownTitles.size(), 4);

    // A row set to midnight is a time, and the bar opens on it.
    runner.responders.append([](QDialog &d) {
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(0, 0));
        return int(QDialog::Accepted);
    });
    dlg->dtTime1MiddleButtonClick(8);
    runner.responders.append([&](QDialog &d) {
        preset = dynamic_cast<TfrmTimePopup &>(d).dtTime->time();
        return int(QDialog::Rejected);
    });
    dlg->dtTime1MiddleButtonClick(8);
    EXPECT_EQ(preset, QTime(0, 0));
    EXPECT_EQ(runner.shownTitles.size(), 6);

    // Only OK on the dialog puts the picked times in the table.
    EXPECT_EQ(table.alarms[2].hour, 7);
    dlg->row(4).ok->setChecked(true);
    dlg->row(4).edit->setText(u"News"_s);
    dlg->btOKClick();
    EXPECT_EQ(table.alarms[2], (TDailyAlarm{true, 9, 35, u"Bus"_s, kWeekdays}));
    EXPECT_EQ(table.alarms[3], (TDailyAlarm{true, 21, 15, u"News"_s, {}}));
}

}  // namespace
}  // namespace morvane
