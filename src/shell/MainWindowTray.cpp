// The notification area: hiding the window there and bringing it back.

#include "MainWindow.h"

#include "AppIcon.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>
#include <QWindowStateChangeEvent>

using namespace Qt::StringLiterals;

namespace morvane {

bool TfrmMain::trayAvailable() const { return QSystemTrayIcon::isSystemTrayAvailable(); }

QSystemTrayIcon *TfrmMain::trayIcon()
{
    if (!trayIcon_)
        buildTray();
    return trayIcon_;
}

void TfrmMain::buildTray()
{
    popTray_ = new QMenu(this);
    popTray_->setObjectName(u"popTray"_s);
    QAction *show = popTray_->addAction(u"Calendar"_s);
    show->setObjectName(u"Showcalendar1"_s);
    connect(show, &QAction::triggered, this, [this] { guard([this] { Showcalendar1Click(); }); });
    QAction *daily = popTray_->addAction(u"Daily alarms"_s);
    daily->setObjectName(u"Dailyalarms1"_s);
    connect(daily, &QAction::triggered, this, [this] { guard([this] { Dailytimer1Click(); }); });
    Mutechimes1_ = popTray_->addAction(u"Mute chimes?"_s);
    Mutechimes1_->setObjectName(u"Mutechimes1"_s);
    Mutechimes1_->setCheckable(true);  // the check mark is the switch, for this run only
    popTray_->addSeparator();
    QAction *exit = popTray_->addAction(u"Exit Morvane"_s);
    exit->setObjectName(u"Exit2"_s);
    connect(exit, &QAction::triggered, this, [this] { guard([this] { SayGoodBye(); }); });

    trayIcon_ = new QSystemTrayIcon(this);
    trayIcon_->setContextMenu(popTray_);
    connect(trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason why) {
        if (why == QSystemTrayIcon::Trigger)
            guard([this] { TrayIconClick(); });
        else if (why == QSystemTrayIcon::DoubleClick)
            guard([this] { Showcalendar1Click(); });
    });
    UpdateTrayIcon();
    trayIcon_->show();
}

void TfrmMain::UpdateTrayIcon()
{
    const QDate today = sv_.clock.today();
    // The icon can show the day of the month; the window's icon follows it
    // also before the tray icon is made.
    const int day = options_.qIcons ? today.day() : 0;
    const QString name = day ? u"ICON"_s + QString::number(day) : u"MAINICON"_s;
    if (name != trayIconName_) {
        trayIconName_ = name;
        trayIconPicture_ = MakeAppIcon(day);
        setWindowIcon(trayIconPicture_);
    }
    if (!trayIcon_)
        return;
    trayIcon_->setToolTip(u"Today is "_s + FormatDateTime(u"dddddd", ToDateValue(today), fs_));
    trayIcon_->setIcon(trayIconPicture_);
}

void TfrmMain::TrayIconAppMinimize()
{
    commitNotes();
    // Every trip to the notification area leaves both task files on disk.
    (void)saveStore(false);  // a failure is reported inside
    (void)saveTodo();
}

void TfrmMain::goToTray()
{
    (void)trayIcon();  // the way back
    TrayIconAppMinimize();
    inTray_ = true;
    if (trayAvailable()) {
        hide();
    } else {
        // Without a notification area the window is only minimised, so that
        // there is always a way back.
        showMinimized();
    }
    // An alarm panel above a message box goes back into the window with it.
    if (alarmPanelShown())
        placeAlarmPanel();
}

void TfrmMain::showFromTray()
{
    inTray_ = false;
    // Back as it was before it went: a maximised window comes back maximised
    // (showNormal would leave it at its restored size), also where the
    // window manager dropped the maximised mark while it was minimised.
    if (isMinimized())
        setWindowState((windowState() & ~Qt::WindowMinimized) | (shownState_ & Qt::WindowMaximized));
    show();
    raise();
    activateWindow();
    if (alarmPanelShown())
        placeAlarmPanel();
}

void TfrmMain::Hide1Click()
{
    sv_.sound.stop();
    Hidecalendar1Click();
}

void TfrmMain::Hidecalendar1Click()
{
    // Nobody sees the clock or the alarm panel flash in the tray.
    pool_.setEnabled(tmClock_, false);
    pool_.setEnabled(tmPanel_, false);
    goToTray();
}

void TfrmMain::Showcalendar1Click()
{
    pool_.setEnabled(tmClock_, true);
    pool_.setEnabled(tmPanel_, alarmPanelShown());
    UpdateStatusClock();
    showFromTray();
}

void TfrmMain::TrayIconClick() { showFromTray(); }

void TfrmMain::changeEvent(QEvent *e)
{
    QMainWindow::changeEvent(e);
    if (e->type() == QEvent::WindowStateChange && !isMinimized())
        shownState_ = windowState();
    if (e->type() != QEvent::WindowStateChange || !isMinimized() || inTray_ || !created_)
        return;
    // Minimising sends the program to the notification area.
    guard([this] {
        TrayIconAppMinimize();
        if (trayAvailable()) {
            (void)trayIcon();
            inTray_ = true;
            QMetaObject::invokeMethod(this, [this] { hide(); }, Qt::QueuedConnection);
        }
    });
}

}  // namespace morvane
