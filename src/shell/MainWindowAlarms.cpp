// The alarms: the minute check, the alarm panel, the daily alarms and the
// chimes.

#include "MainWindow.h"

#include "AlarmPanel.h"
#include "Chimes.h"
#include "DailyAlarmsDialog.h"
#include "OptionsDialog.h"

#include <QAction>
#include <algorithm>
#include <QMenuBar>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmMain::buildAlarms()
{
    pnlAlarm_ = new AlarmPanel(this);
    connect(pnlAlarm_, &AlarmPanel::clicked, this, [this] { guard([this] { pnlAlarmClick(); }); });
    connect(pnlAlarm_, &AlarmPanel::snoozeRequested, this,
            [this](int minutes) { guard([this, minutes] { snoozeAlarm(minutes); }); });
    connect(pnlAlarm_, &AlarmPanel::snoozeChoiceRequested, this, [this] { guard([this] { btSnoozeClick(); }); });
    if (sv_.notifier)
        sv_.notifier->onAction = [this](const QString &key) { guard([this, key] { notificationAction(key); }); };
    // Where the last run stopped checking: what it raised is not raised again.
    alarmWatch_.resume(ReadAlarmChecked(sv_.settings));
    // Alarms put off in the last run rise when their time comes, or at once
    // when it passed meanwhile.
    snoozes_.read(sv_.settings);
}

void TfrmMain::ReadDailyAlarmSettings() { daily_.read(sv_.settings, fs_, sv_.clock); }

void TfrmMain::Dailytimer1Click()
{
    // The alarms were read at start, so OK never stores empty rows over
    // the saved ones. The minute check goes on while the dialog is up.
    TfrmDailyTimer dialog({daily_, sv_.settings, sv_.prompts, sv_.runner, fs_, sv_.clock, shadows_,
                           TfrmOptions::toFont(options_.titleFont)},
                          this);
    sv_.runner.showModal(dialog);
}

void TfrmMain::Timer1Timer()
{
    if (alarmShowing_)
        return;
    const QDateTime now = sv_.clock.now();
    const QTime time = now.time();
    if ((time.hour() == 0 || time.hour() == 1) && (time.minute() == 0 || time.minute() == 1))
        UpdateTrayIcon();
    // The day moves on at midnight even while the status clock stands still
    // (it is stopped while the window is hidden with Hide).
    if (shownOnce_)
        followToday();
    const AlarmSettings settings{options_.playAlarm, options_.alarmMin};
    // Alarms sound whatever the filter shows: a hidden category must not
    // silence an appointment.
    const QDateTime checkedBefore = alarmWatch_.lastChecked();
    const auto alarm = alarmWatch_.check(now, paintingFirstLook_ ? store_.firstLook() : store_.grid(), daily_,
                                         settings, fs_);
    const bool checkedMoved = alarmWatch_.lastChecked() != checkedBefore;
    // Stored before the panel goes up, so that a start after a crash or an
    // exit does not ring again for what this check raised.
    if (alarm) {
        if (checkedMoved)
            storeAlarmChecked();
        raiseAlarm(alarm->panelText(now.date(), fs_));
        return;
    }
    const std::optional<SnoozedAlarm> snoozed = snoozes_.takeDue(now);
    if (checkedMoved) {
        // A start's check that raised nothing is stored once the window has
        // painted: the settings file's write and sync need not hold up the
        // first look (nothing would ring twice if it were lost).
        if (holdAlarmChecked_ && !snoozed)
            alarmCheckedPending_ = true;
        else
            storeAlarmChecked();
    }
    if (snoozed) {
        snoozes_.write(sv_.settings);
        (void)sv_.settings.sync();
        raiseAlarm(snoozed->text);
    }
}

void TfrmMain::storeAlarmChecked()
{
    alarmCheckedPending_ = false;
    WriteAlarmChecked(sv_.settings, alarmWatch_.lastChecked());
}

void TfrmMain::raiseAlarm(const QString &text)
{
    alarmShowing_ = true;
    // Out of sight, the desktop announces it too: a window manager may keep
    // a window that comes forward on its own behind the others.
    if (sv_.notifier && (inTray_ || isHidden() || isMinimized())) {
        // The panel's buttons, in the notification: the alarm can be put
        // off while the window stays out of sight.
        QList<NotificationAction> actions{
            {u"snooze:%1"_s.arg(kSnoozeShortMinutes), u"Snooze %1 min"_s.arg(kSnoozeShortMinutes)}};
        const int chosen = std::clamp(sv_.settings.read(kSnoozeMinutesSetting), kSnoozeMinMinutes, kSnoozeMaxMinutes);
        if (chosen != kSnoozeShortMinutes)
            actions.append({u"snooze:%1"_s.arg(chosen), u"Snooze %1 min"_s.arg(chosen)});
        actions.append({u"clear"_s, u"Clear"_s});
        sv_.notifier->notify(u"Morvane alarm"_s, QString(text).replace(u" ... click panel to clear"_s, QString()),
                             actions);
    }
    pool_.setEnabled(tmClock_, true);
    showFromTray();
    pool_.setEnabled(tmPanel_, true);
    playAlarmSound(true);
    hidePopup();
    placeAlarmPanel();
    pnlAlarm_->setText(text);
    pnlAlarm_->show();
    pnlAlarm_->raise();
    pnlAlarm_->setFocus();
    if (pnlAlarm_->isWindow()) {
        pnlAlarm_->activateWindow();
        return;
    }
    raise();
    activateWindow();
}

void TfrmMain::playAlarmSound(bool on)
{
    // An open options dialog holds the sound in force, changes not yet
    // saved included.
    if (frmOptions_) {
        frmOptions_->playAlarmSound(on);
    } else if (on) {
        sv_.sound.playFile(AlarmSoundFile(options_.alarmPath), options_.repeatAlarm);
    } else {
        sv_.sound.stop();
    }
}

void TfrmMain::placeAlarmPanel()
{
    // Everything below the menu, which stays usable (Hide, Exit).
    const int top = menuBar()->isVisible() ? menuBar()->geometry().bottom() + 1 : 0;
    pnlAlarm_->cover(this, QRect(0, top, width(), height() - top));
}

void TfrmMain::snoozeAlarm(int minutes)
{
    if (!alarmPanelShown())
        return;
    snoozes_.add(sv_.clock.now(), minutes, pnlAlarm_->text());
    snoozes_.write(sv_.settings);
    (void)sv_.settings.sync();
    pnlAlarmClick();
}

void TfrmMain::btSnoozeClick()
{
    const int last = std::clamp(sv_.settings.read(kSnoozeMinutesSetting), kSnoozeMinMinutes, kSnoozeMaxMinutes);
    const std::optional<int> minutes =
        sv_.prompts.InputNumber(u"Snooze"_s, u"Minutes until the alarm sounds again:"_s, last, kSnoozeMinMinutes,
                                kSnoozeMaxMinutes);
    if (!minutes)
        return;
    sv_.settings.write(kSnoozeMinutesSetting, *minutes);
    snoozeAlarm(*minutes);
}

void TfrmMain::notificationAction(const QString &key)
{
    if (key.startsWith(u"snooze:"_s))
        snoozeAlarm(key.mid(7).toInt());
    else if (key == u"clear"_s && alarmPanelShown())
        pnlAlarmClick();
}

void TfrmMain::pnlAlarmClick()
{
    if (sv_.notifier)
        sv_.notifier->withdraw();
    pool_.setEnabled(tmPanel_, false);
    pnlAlarm_->hide();
    playAlarmSound(false);
    if (!leaving_)
        alarmShowing_ = false;
    if (tvDay_)
        tvDay_->setFocus();
}

void TfrmMain::tmPanelColorTimer() { pnlAlarm_->flash(); }

bool TfrmMain::alarmPanelShown() const { return pnlAlarm_ && !pnlAlarm_->isHidden(); }

QString TfrmMain::alarmText() const { return pnlAlarm_->text(); }

void TfrmMain::HourlyChime(bool testHour, bool testHalf)
{
    if (!optionsRead_)
        return;
    if (testHour || testHalf) {
        // The test buttons sound even when the chimes are off or muted.
        sv_.sound.playResource(ChimeResource(testHour ? Chime::Hour : Chime::HalfHour));
        return;
    }
    if (chimesMuted())
        return;
    const Chime c = chimes_.take(sv_.clock.now(), options_.hourChime, options_.halfChime);
    if (c != Chime::None)
        sv_.sound.playResource(ChimeResource(c));
}

void TfrmMain::Mutechimes1Click() { Mutechimes1_->toggle(); }

bool TfrmMain::chimesMuted() const { return Mutechimes1_ && Mutechimes1_->isChecked(); }

}  // namespace morvane
