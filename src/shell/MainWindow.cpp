#include "MainWindow.h"
#include "StartupProfile.h"

#include "PrintRangeDialog.h"

#include "AlarmPanel.h"
#include "CalendarRules.h"
#include "AppIcon.h"
#include "AtomicFile.h"
#include "DataFolder.h"
#include "GridTableModel.h"
#include "Colors.h"
#include "CompletedTasksWindow.h"
#include "FilterDialog.h"
#include "HelpWindow.h"
#include "ScreenPlacement.h"
#include "ShadowLabel.h"
#include "HolidaysWindow.h"
#include "PickListDialog.h"
#include "OptionsDialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <QScopeGuard>
#include <QSignalBlocker>
#include <QPlainTextEdit>
#include <QTableView>

#include <QElapsedTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <future>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// Events that show the window and paint it, and run none of its commands:
// the only ones that go on before the store has loaded whole.
bool PaintsOnly(QEvent::Type t)
{
    switch (t) {
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::UpdateLater:
    case QEvent::Expose:
    case QEvent::Create:
    case QEvent::Destroy:
    case QEvent::ActionAdded:
    case QEvent::ActionChanged:
    case QEvent::ActionRemoved:
    case QEvent::AcceptDropsChange:
    case QEvent::Hide:
    case QEvent::HideToParent:
    case QEvent::PlatformSurface:
    case QEvent::Show:
    case QEvent::ShowToParent:
    case QEvent::Polish:
    case QEvent::PolishRequest:
    case QEvent::LayoutRequest:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::WinIdChange:
    case QEvent::ChildAdded:
    case QEvent::ChildPolished:
    case QEvent::ChildRemoved:
    case QEvent::StyleChange:
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::ApplicationFontChange:
    case QEvent::ApplicationPaletteChange:
    case QEvent::DynamicPropertyChange:
    case QEvent::ParentChange:
    case QEvent::ParentAboutToChange:
    case QEvent::ZOrderChange:
    case QEvent::ScreenChangeInternal:
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate:
    case QEvent::ActivationChange:
    case QEvent::ApplicationStateChange:
    case QEvent::ApplicationActivate:
    case QEvent::ThreadChange:
    case QEvent::ApplicationDeactivate:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::FocusAboutToChange:
    case QEvent::Enter:
    case QEvent::Leave:
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove:
    case QEvent::ToolTipChange:
    case QEvent::WindowTitleChange:
    case QEvent::WindowIconChange:
    case QEvent::EnabledChange:
    case QEvent::ContentsRectChange:
    case QEvent::LayoutDirectionChange:
    case QEvent::LocaleChange:
    case QEvent::LanguageChange:
    case QEvent::CursorChange:
    case QEvent::MouseTrackingChange:
    case QEvent::InputMethodQuery:
        return true;
    default:
        return false;
    }
}

// Whether an event may run this program's code, which reads the store.
// Qt's controls lay themselves out and animate on timers, queued calls and
// deferred deletes of their own; this program's timers are QTimers (the
// timer pool, single shots) and its queued calls go to its own objects.
bool MayRunOurCode(const QObject *receiver, QEvent::Type t)
{
    if (PaintsOnly(t))
        return false;
    if (t != QEvent::Timer && t != QEvent::MetaCall && t != QEvent::DeferredDelete)
        return true;
    const char *name = receiver->metaObject()->className();
    return qobject_cast<const QTimer *>(receiver) || std::strcmp(name, "QSingleShotTimer") == 0 ||
           std::strncmp(name, "morvane::", 9) == 0;
}

}  // namespace

TfrmMain::TfrmMain(MainServices services, QWidget *parent)
    : QMainWindow(parent), sv_(std::move(services)), fs_(FormatSettings::enUS()),
      store_(filter_, JoinPath(sv_.folder, u"grid.grd"_s)), gridDay_(NewDayGrid()),
      gridNonday_(NewTodoGrid()), gridHoliday_(NewHolidayGrid()), todoPath_(JoinPath(sv_.folder, u"gridNon.grd"_s)),
      backup_(sv_.folder, sv_.clock)
{
    FormCreate();
}

TfrmMain::~TfrmMain()
{
    // The views and the calendars read the tables, which are destroyed before
    // the child widgets would be; and a window being destroyed is closed by
    // Qt, which must not run the way out again.
    destroying_ = true;
    sync_.reset();  // its thread may be waiting on the tables
    if (alarmCheckedPending_)
        storeAlarmChecked();
    if (sv_.notifier)
        sv_.notifier->onAction = nullptr;
    qApp->removeEventFilter(this);
    delete centralWidget();
    delete dayModel_;
    delete todoModel_;
}

void TfrmMain::FormCreate()
{
    // A reminder to look for a newer version, once this build is over a year
    // old (the date it was built, not a fixed date that has long passed).
    const QDate today = sv_.clock.today();
    if (sv_.releaseDate.isValid() && today > sv_.releaseDate.addYears(1))
        sv_.prompts.InfoBox(u"This version is over a year old.  Check for a newer version of Morvane."_s);

    exitRequested_ = false;
    alarmShowing_ = false;
    // The locale's formats, made once: four-digit years, no seconds. Made at
    // creation, since the alarms read times before the window first shows.
    fs_ = fix2000(FormatSettings::fromLocale(QLocale::system(), today.year()));
    startDay_ = today;

    // The two task files must be there; without them nothing is shown and
    // nothing is written.
    QString missing;
    for (const auto &[name, message] : {std::pair{u"grid.grd"_s, u"Grid.grd file not found!"_s},
                                         std::pair{u"gridNon.grd"_s, u"GridNon.grd file not found!"_s}}) {
        if (!QFileInfo::exists(JoinPath(sv_.folder, name))) {
            missing = message;
            break;
        }
    }
    // The store, the longest part of a start, loads on a thread of its own
    // once the window has painted (finishStartup), or as soon as anything
    // needs the whole table; nothing but the first paint reads it before it
    // is waited for (awaitStore). That thread reads the first look at once,
    // while the window is built here.
    if (missing.isEmpty()) {
        // Saves that were killed left their temporary files; this copy holds
        // the single-instance lock, so no other copy is saving now.
        RemoveStaleTempFiles(sv_.folder);
        RemoveStaleTempFiles(backup_.folder());
        store_.setBeforeSave([this] { keepDailyCopy(); });
        store_.startLoad(sv_.beforeStoreLoad, true, firstLookDays(today));
        storeToSettle_ = true;
    }

    // Every event of the program passes eventFilter once, from here: the
    // window's own controls are not given the filter again, or each of
    // their events (a resize fitting the columns, a key) would be handled
    // twice.
    qApp->installEventFilter(this);
    installEventFilter(new OnScreenGuard(this));  // opens on the screen, whatever was stored
    setWindowTitle(u"Morvane"_s);
    setWindowIcon(MakeAppIcon(0));
    buildFrame();
    StartupMark("buildFrame");
    buildMenus();
    StartupMark("buildMenus");
    buildTaskCommands();
    StartupMark("buildTaskCommands");
    buildNavigation();
    StartupMark("buildNavigation");
    buildPopup();
    StartupMark("buildPopup");
    buildAlarms();
    StartupMark("buildAlarms");
    buildOutput();
    StartupMark("buildOutput");
    buildArchive();
    StartupMark("buildArchive");
    buildChart();
    StartupMark("buildChart");
    buildExchange();
    StartupMark("buildExchange");
    buildUndo();
    StartupMark("buildUndo");
    buildSync();
    StartupMark("buildSync");
    setUpDragDrop();
    StartupMark("setUpDragDrop");
    layout_.restore(sv_.settings);

    if (!missing.isEmpty()) {
        sv_.prompts.ErrorBox(missing);
        return;
    }
    // The first paint needs only the rows of the months it shows and of the
    // days the first alarm check reads: when the file gives them without a
    // doubt, the window shows them while the load goes on; otherwise it
    // waits for the whole store here.
    {
        const auto [from, to] = firstLookDays(today);
        if (!store_.showFirstLook(from, to) && !awaitStore())
            return;
        StartupMark(store_.firstLookCovers(from, to) ? "first look read" : "task store loaded (no first look)");
    }
    if (FileResult r = LoadGridFile(gridNonday_, todoPath_); !r) {
        if (!r.damaged) {
            sv_.prompts.ErrorBox(r.message);
            return;
        }
        todoDamaged_ = true;
        reportDamaged(todoPath_, r);
    }
    if (gridNonday_.colCount() < kTodoCols)
        gridNonday_.setColCount(kTodoCols);
    StartupMark("to-do list loaded");

    // The triggers of the timer pool, by their fixed order number: 1 alarm
    // check, 2 alarm panel, 3 layout, 4 popup summary, 5 clock, 6 chimes.
    tmMinute_ = pool_.add(1, 60000, [this] { guard([this] { Timer1Timer(); }); }, true);
    tmPanel_ = pool_.add(2, 1000, [this] { guard([this] { tmPanelColorTimer(); }); }, false);
    // The first layout pass after showing reads no task: it need not wait
    // for the store.
    tmLayout_ = pool_.add(
        3, 40,
        [this] {
            if (flashMode_)
                guard([this] { Timer2Timer(); });
            else
                runGuarded([this] { Timer2Timer(); });
        },
        true);
    tmPopup_ = pool_.add(4, 120, [this] { guard([this] { tmPopupTimer(); }); }, false);
    tmClock_ = pool_.add(5, 1000, [this] { guard([this] { UpdateStatusClock(); }); }, true);
    // The chime trigger follows the chime options (ReadSettings).
    tmChime_ = pool_.add(6, 15000, [this] { guard([this] { HourlyChime(false, false); }); }, true);
    pool_.setEnabled(tmLayout_, false);  // the first showing starts it
    // Triggers run from now on, also when the program starts in the
    // notification area and is not shown for hours.
    pool_.start();

    // Room for the toolbar and the calendars, whatever the screen's density.
    const int toolbarRight = std::max(154, ToolBar1_->sizeHint().width());
    minWidth_ = logicalDpiX() * (toolbarRight + 482) / 96;
    setMinimumWidth(minWidth_);
    {
        const QRect area = availableArea();
        layout_ = ClampLayout(layout_, QSize(area.width(), area.height() - menuBar()->sizeHint().height()), minWidth_);
    }
    resize(layout_.clientWidth, layout_.clientHeight + menuBar()->sizeHint().height());
    StartupMark("timers, size");

    // The filter dialog, kept for the run: its checks are the filter in force.
    frmFilter_ = std::make_unique<TfrmFilter>(
        TfrmFilter::Services{sv_.prompts, sv_.settings, sv_.folder, [this](int topic) { showHelp(topic); }}, filter_,
        this);
    Filters1_ = menuBar()->addAction(u"Filters"_s);
    Filters1_->setObjectName(u"Filters1"_s);
    connect(Filters1_, &QAction::triggered, this, [this] { guard([this] { btFilterClick(); }); });
    menuBar()->insertAction(menuBar()->actions().value(menuBar()->actions().size() - 2), Filters1_);
    btFilter_ = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Filter), u"Filter tasks"_s);
    btFilter_->setObjectName(u"btFilter"_s);
    btFilter_->setToolTip(u"Filter tasks"_s);
    connect(btFilter_, &QAction::triggered, this, [this] { guard([this] { btFilterClick(); }); });
    StartupMark("filter dialog");

    // The options in force, as stored; the options dialog, once made, holds
    // them in its controls.
    options_ = Options::read(sv_.settings, sv_.folder);
    optionsRead_ = true;
    StartupMark("options read");
    // The daily alarms are read now, so that they sound and the dialog shows
    // them also when the program starts in the notification area.
    ReadDailyAlarmSettings();
    UpdateStatusClock();
    created_ = true;
}

TfrmOptions *TfrmMain::frmOptions()
{
    if (frmOptions_)
        return frmOptions_.get();
    // The dialog lives from here to the end; its controls are the options
    // in force.
    TfrmOptions::Effects effects;
    effects.applyShadows = [this](bool on) { ApplySettings(on); };
    // The effects also run while the dialog reads the settings, before it
    // is ours: then there is nothing to update yet.
    effects.repaintCalendars = [this] {
        if (frmOptions_) {
            options_ = frmOptions_->options();
            resizeCalendars();  // takes the calendar font
            ColorAllCalendars(true);
        }
    };
    effects.testChime = [this](bool hour) { guard([this, hour] { HourlyChime(hour, !hour); }); };
    effects.syncChanged = [this](const QString &password) { syncOptionsChanged(password); };
    effects.strikeOutChanged = [this] {
        if (frmOptions_) {
            options_ = frmOptions_->options();
            ColorAllCalendars(true);
            tvDay_->viewport()->update();
            tvNonday_->viewport()->update();
        }
    };
    effects.gridFontChanged = [this] {
        if (frmOptions_) {
            options_ = frmOptions_->options();
            applyListLooks();
        }
    };
    effects.rowHeightChanged = [this](int) {
        if (frmOptions_) {
            options_ = frmOptions_->options();
            applyListLooks();
        }
    };
    effects.showHelp = [this](int topic) { showHelp(topic); };
    frmOptions_ = std::make_unique<TfrmOptions>(
        TfrmOptions::Services{sv_.settings, sv_.prompts, sv_.runner, sv_.sound, sv_.folder, sv_.executable,
                              [this] { return sv_.clock.today(); }},
        std::move(effects), this);
    options_ = frmOptions_->options();
    return frmOptions_.get();
}

TfrmComplete *TfrmMain::frmComplete()
{
    if (frmComplete_)
        return frmComplete_.get();
    // Kept for the rest of the run: it owns the completed table that every
    // completion adds to.
    frmComplete_ = std::make_unique<TfrmComplete>(
        TfrmComplete::Services{sv_.prompts, fs_, sv_.folder, [this] { return options_.confirm; },
                               [this] { keepDailyCopy(); },
                               [this](const Grid &table, const QTableView *shown) {
                                   printList(table, CompletedListPageSettings(), shown);
                               },
                               [this](const Grid &table, bool html) {
                                   exportList(GridListSource(table, {kCompNotes, kCompNotesDone}), html, u"output"_s);
                               }},
        this);
    if (frmComplete_->loadedDamaged())
        (void)backup_.keepDamaged(frmComplete_->file());
    return frmComplete_.get();
}

void TfrmMain::finishStartup()
{
    store_.releaseLoad();
    if (destroying_ || leaving_)
        return;
    guard([this] {
        if (alarmCheckedPending_)
            storeAlarmChecked();
        (void)trayIcon();
        (void)frmComplete();
    });
}

std::pair<int, int> TfrmMain::firstLookDays(const QDate &today)
{
    // The four months from last month, and the days an alarm check at the
    // start may read: back to its longest catch-up, forward by the longest
    // lead time.
    const QDate lastMonth = today.addMonths(-1);
    const QDate firstShown(lastMonth.year(), lastMonth.month(), 1);
    const QDate lastShownMonth = today.addMonths(2);
    const QDate lastShown(lastShownMonth.year(), lastShownMonth.month(), lastShownMonth.daysInMonth());
    return {std::min(DayNumber(firstShown), DayNumber(today) - kAlarmCatchUpDays - 2),
            std::max(DayNumber(lastShown), DayNumber(today) + 2)};
}

bool TfrmMain::awaitStore()
{
    if (!storeToSettle_)
        return true;
    storeToSettle_ = false;
    const std::optional<FileResult> r = store_.takeLoadResult();
    StartupMark("task store loaded (waited for)");
    if (r && !*r) {
        if (!r->damaged) {
            sv_.prompts.ErrorBox(r->message);
            // Shown already from the first look: the program ends, saving
            // nothing (the store refuses to save what it could not read).
            if (created_)
                leave();
            return false;
        }
        reportDamaged(store_.path(), *r);
    }
    if (store_.firstLookDiffered())
        showWholeStore();
    alarmWatchBeforeLook_.reset();
    return true;
}

void TfrmMain::showWholeStore()
{
    if (!shownOnce_ || current_ < 0)
        return;
    cal1DateChange();
    ColorAllCalendars(true);
    // The first alarm check read the first look: it runs again on the
    // whole store, unless it raised an alarm already.
    if (alarmWatchBeforeLook_ && !alarmShowing_) {
        alarmWatch_ = *alarmWatchBeforeLook_;
        Timer1Timer();
    }
}

void TfrmMain::Options2Click()
{
    sv_.runner.showModal(*frmOptions());
    ReadSettings(false);
}

void TfrmMain::Help1Click() { showHelp(100); }

void TfrmMain::loadHolidays()
{
    const QString path = JoinPath(sv_.folder, u"holiday.grd"_s);
    if (QFileInfo::exists(path)) {
        Grid g = NewHolidayGrid();
        if (FileResult r = LoadGridFile(g, path); !r)
            sv_.prompts.ErrorBox(r.message);  // the holidays in memory stay
        else
            gridHoliday_ = std::move(g);
    }
    holidays_ = HolidayIndex(gridHoliday_, fs_);
    // New or changed holidays show at once: the calendars' colours and the
    // day heading follow them.
    if (shownOnce_ && current_ >= 0) {
        ColorAllCalendars(true);
        UpdateLabels(current_);
    }
}

void TfrmMain::Categories1Click()
{
    const QString path = JoinPath(sv_.folder, u"category.xxx"_s);
    TfrmListBox dlg(sv_.prompts, this);
    dlg.setWindowTitle(u"Edit Category Choices"_s);
    if (QFileInfo::exists(path)) {
        QStringList items;
        if (FileResult r = LoadPickList(path, &items); !r) {
            sv_.prompts.ErrorBox(r.message);
            return;  // editing an empty list would write over the file
        }
        dlg.setItems(items);
    }
    if (sv_.runner.showModal(dlg) != QDialog::Accepted)
        return;
    if (FileResult r = SavePickList(dlg.items(), path); !r)
        sv_.prompts.ErrorBox(r.message);
    categoriesSaved();
}

void TfrmMain::Holidays1Click()
{
    // Whatever is added, imported, changed or deleted in the window is one
    // step.
    const UndoStep step(*this, u"Change holidays"_s);
    TfrmHoliday dlg({sv_.prompts, sv_.runner, fs_, sv_.folder, [this] { return sv_.clock.today(); },
                     [this] { return options_.confirm; }, [this](int topic) { showHelp(topic); },
                     options_.sunday ? Qt::Sunday : Qt::Monday,
                     [this](const Grid &table, const QTableView *shown) {
                         printList(table, HolidayListPageSettings(), shown);
                     }},
                    this);
    sv_.runner.showModal(dlg);
    loadHolidays();
}

void TfrmMain::showHelp(int topic)
{
    // Help opens over the window that asked for it. A modal dialog (the
    // options, the holidays, the filters) keeps every other window behind
    // it and deaf to the mouse, so its help is its own child window, and
    // goes when the dialog goes.
    QWidget *asker = QApplication::activeModalWidget();
    if (!asker)
        asker = this;
    if (help_ && help_->parentWidget() != asker) {
        help_->hide();
        help_->deleteLater();
        help_ = nullptr;
    }
    if (!help_)
        help_ = new HelpWindow({QCoreApplication::applicationDirPath(),
                                ShippedFilesFolder(QCoreApplication::applicationDirPath()), sv_.folder},
                               asker);
    help_->showTopic(topic);
}

void TfrmMain::buildFrame()
{
    auto *central = new QWidget(this);
    auto *outer = new QVBoxLayout(central);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);

    pnlTop_ = new QWidget(central);
    pnlTop_->setObjectName(u"pnlTop"_s);
    pnlTop_->setFixedHeight(std::max(25, fontMetrics().height() + 10));
    auto *topLayout = new QHBoxLayout(pnlTop_);
    topLayout->setContentsMargins(0, 0, 4, 0);
    ToolBar1_ = new QToolBar(u"ToolBar1"_s, pnlTop_);
    ToolBar1_->setObjectName(u"ToolBar1"_s);
    ToolBar1_->setIconSize(QSize(16, 16));
    topLayout->addWidget(ToolBar1_, 0, Qt::AlignTop);
    topLayout->addStretch();
    // The program's own icon at the far end of the bar.
    imIcon_ = new QLabel(pnlTop_);
    imIcon_->setObjectName(u"imIcon"_s);
    imIcon_->setPixmap(MakeAppIcon(0).pixmap(QSize(20, 20)));
    topLayout->addWidget(imIcon_, 0, Qt::AlignVCenter);
    outer->addWidget(pnlTop_);

    auto pane = [](const QString &name, QWidget *parent) {
        auto *w = new QWidget(parent);
        w->setObjectName(name);
        return w;
    };
    split2_ = new QSplitter(Qt::Vertical, central);
    split2_->setObjectName(u"split2"_s);
    split1_ = new QSplitter(Qt::Horizontal, split2_);
    split1_->setObjectName(u"split1"_s);
    pnlCalendars_ = pane(u"pnlCalendars"_s, split1_);
    auto *dayPane = pane(u"pnlDay"_s, split1_);
    auto *dayLayout = new QVBoxLayout(dayPane);
    dayLayout->setContentsMargins(0, 0, 0, 0);
    splitDay_ = new QSplitter(Qt::Vertical, dayPane);
    splitDay_->setObjectName(u"splitDay"_s);
    pnlDayList_ = pane(u"pnlDayList"_s, splitDay_);
    pnlNotes_ = pane(u"pnlNotes"_s, splitDay_);
    dayLayout->addWidget(splitDay_);
    pnlTodo_ = pane(u"pnlTodo"_s, split2_);
    for (QSplitter *s : {split1_, split2_, splitDay_}) {
        s->setHandleWidth(2);
        s->setChildrenCollapsible(true);
        connect(s, &QSplitter::splitterMoved, this, [this] { FormResize(); });
    }
    outer->addWidget(split2_, 1);
    setCentralWidget(central);
    buildCalendars();
    buildLists();

    StatusBar1_ = new QLabel(this);
    StatusBar1_->setObjectName(u"StatusBar1"_s);
    statusBar()->addWidget(StatusBar1_, 1);
    statusBar()->setSizeGripEnabled(true);
}

QAction *TfrmMain::command(QMenu *menu, const QString &text, const QKeySequence &key,
                           void (TfrmMain::*handler)())
{
    QAction *a = menu->addAction(text);
    if (!key.isEmpty())
        a->setShortcut(key);
    connect(a, &QAction::triggered, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
    return a;
}

QAction *TfrmMain::insertCommand(QMenu *menu, QAction *before, const QString &name, const QString &text,
                                 void (TfrmMain::*handler)())
{
    auto *a = new QAction(text, menu);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, [this, handler] { guard([this, handler] { (this->*handler)(); }); });
    menu->insertAction(before, a);
    return a;
}

QMenu *TfrmMain::fileMenu() const { return menuBar()->findChild<QMenu *>(u"File1"_s); }

void TfrmMain::buildMenus()
{
    QMenu *file = menuBar()->addMenu(u"&File"_s);
    file->setObjectName(u"File1"_s);
    command(file, u"&Hide"_s, QKeySequence(u"Alt+H"_s), &TfrmMain::Hide1Click)->setObjectName(u"Hide1"_s);
    command(file, u"&Find"_s, QKeySequence(u"Ctrl+F"_s), &TfrmMain::Search1Click)->setObjectName(u"Search1"_s);
    command(file, u"12 - &month calendar"_s, QKeySequence(u"Shift+Ctrl+C"_s), &TfrmMain::N12monthcalendar1Click)
        ->setObjectName(u"N12monthcalendar1"_s);
    file->addSeparator();
    command(file, u"E&xit"_s, QKeySequence(u"Alt+X"_s), &TfrmMain::SayGoodBye)->setObjectName(u"Exit1"_s);

    QAction *options = command(file, u"&Options"_s, QKeySequence(u"Ctrl+O"_s), &TfrmMain::Options2Click);
    options->setObjectName(u"Options1"_s);
    QAction *holidays = command(file, u"Ho&lidays"_s, {}, &TfrmMain::Holidays1Click);
    holidays->setObjectName(u"Holidays1"_s);
    file->insertAction(file->actions().value(0), options);
    file->insertAction(options, holidays);
    QAction *categories = command(file, u"&Categories"_s, {}, &TfrmMain::Categories1Click);
    categories->setObjectName(u"Categories1"_s);
    file->insertAction(options, categories);
    QAction *daily = command(file, u"&Daily alarms"_s, QKeySequence(u"Alt+D"_s), &TfrmMain::Dailytimer1Click);
    daily->setObjectName(u"Dailytimer1"_s);
    file->insertAction(options, daily);
    // The settings apart from the commands that show and find things.
    file->insertSeparator(file->findChild<QAction *>(u"Hide1"_s));

    QMenu *resize = menuBar()->addMenu(u"&Resize"_s);
    command(resize, u"4-month Calendars Width"_s, {}, &TfrmMain::N4monthCalendars1Click)
        ->setObjectName(u"N4monthCalendars1"_s);
    command(resize, u"Day to To-do Tasks"_s, {}, &TfrmMain::DaytoNonDayEvents1Click)
        ->setObjectName(u"DaytoNonDayEvents1"_s);
    command(resize, u"Daily Tasks/Notes"_s, {}, &TfrmMain::DailyEventsNotes1Click)
        ->setObjectName(u"DailyEventsNotes1"_s);
    resize->addSeparator();
    Maximizedailyevents1_ = command(resize, u"Maximize daily tasks"_s, QKeySequence(u"Ctrl+D"_s),
                                    &TfrmMain::Maximizedailyevents1Click);
    Maximizedailyevents1_->setObjectName(u"Maximizedailyevents1"_s);
    Maximizenondaytasks1_ = command(resize, u"Maximize to-do tasks"_s, QKeySequence(u"Ctrl+T"_s),
                                    &TfrmMain::Maximizenondaytasks1Click);
    Maximizenondaytasks1_->setObjectName(u"Maximizenondaytasks1"_s);
    for (QAction *a : {Maximizedailyevents1_, Maximizenondaytasks1_})
        a->setCheckable(true);
    resize->addSeparator();
    command(resize, u"Memorize screen size/positions"_s, {}, &TfrmMain::Memorizescreensizepositions1Click)
        ->setObjectName(u"Memorizescreensizepositions1"_s);
    command(resize, u"Restore screen size/positions"_s, QKeySequence(u"Ctrl+R"_s),
            &TfrmMain::Recoverscreensizepositions1Click)
        ->setObjectName(u"Recoverscreensizepositions1"_s);

    // Alt+H is File > Hide: the Help menu's mnemonic is another letter.
    QMenu *help = menuBar()->addMenu(u"Hel&p"_s);
    command(help, u"&Contents"_s, QKeySequence(Qt::Key_F1), &TfrmMain::Help1Click)->setObjectName(u"Help1"_s);

    QAction *hol = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Holidays), u"Holidays"_s);
    hol->setObjectName(u"btHolidays"_s);
    hol->setToolTip(u"Holidays"_s);
    connect(hol, &QAction::triggered, this, [this] { guard([this] { Holidays1Click(); }); });
    QAction *opt = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Options), u"Options"_s);
    opt->setObjectName(u"btOptions"_s);
    opt->setToolTip(u"Options"_s);
    connect(opt, &QAction::triggered, this, [this] { guard([this] { Options2Click(); }); });
    QAction *find = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Find), u"Find"_s);
    find->setObjectName(u"ToolButton10"_s);
    find->setToolTip(u"Find text in date oriented task"_s);
    connect(find, &QAction::triggered, this, [this] { guard([this] { Search1Click(); }); });
    QAction *year = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Year), u"12-month calendar"_s);
    year->setObjectName(u"ToolButton12"_s);
    year->setToolTip(u"12-month calendar"_s);
    connect(year, &QAction::triggered, this, [this] { guard([this] { N12monthcalendar1Click(); }); });
    QAction *alarms = ToolBar1_->addAction(MakeToolIcon(ToolIcon::DailyAlarms), u"Daily alarms"_s);
    alarms->setObjectName(u"btDailyAlarms"_s);
    alarms->setToolTip(u"Daily alarms"_s);
    connect(alarms, &QAction::triggered, this, [this] { guard([this] { Dailytimer1Click(); }); });
    QAction *hide = ToolBar1_->addAction(MakeToolIcon(ToolIcon::Hide), u"Hide calendar"_s);
    hide->setObjectName(u"ToolButton14"_s);
    hide->setToolTip(u"Hide calendar"_s);
    connect(hide, &QAction::triggered, this, [this] { guard([this] { ToolButton14Click(); }); });
}

void TfrmMain::guard(const std::function<void()> &cmd)
{
    // Every command waits for the store, but for what the first paint runs
    // (the notes of the first task, shown when the day list selects it).
    if (paintingFirstLook_ || awaitStore())
        runGuarded(cmd);
}

void TfrmMain::runGuarded(const std::function<void()> &cmd)
{
    try {
        cmd();
    } catch (const std::exception &e) {
        sv_.prompts.ErrorBox(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        sv_.prompts.ErrorBox(u"An unexpected error stopped the command."_s);
    }
}

// ---------------------------------------------------------------------------
// Showing

void TfrmMain::showEvent(QShowEvent *e)
{
    QMainWindow::showEvent(e);
    if (!shownOnce_ && created_) {
        shownOnce_ = true;
        // The first paint reads the first look, if there is one: the store
        // is not waited for here.
        runGuarded([this] { FormShow(); });
    }
}

void TfrmMain::FormShow()
{
    StartupMark("show event");
    loadHolidays();
    StartupMark("holidays loaded");
    ReadSettings(false);
    StartupMark("settings read and applied");
    monthChangeBusy_ = false;
    dateChangeBusy_ = false;
    // Last month, this month (current) and the two after it.
    today_ = sv_.clock.today();
    {
        const QSignalBlocker quiet(cal_[1]);
        cal_[1]->setDate(today_);
    }
    cal_[1]->colorSelectedBack = ToQColor(kButtonHighlight, palette());
    cal_[1]->bevel = MonthCalendar::Bevel::Raised;
    current_ = previous_ = 1;
    // Painted from the first look while the store loads, when it holds the
    // days this paint and the first alarm check read; else from the store.
    const auto [lookFrom, lookTo] = firstLookDays(today_);
    if (!store_.firstLookCovers(lookFrom, lookTo) && !awaitStore())
        return;
    paintingFirstLook_ = store_.firstLookCovers(lookFrom, lookTo);
    const auto looked = qScopeGuard([this] { paintingFirstLook_ = false; });
    if (paintingFirstLook_)
        alarmWatchBeforeLook_ = alarmWatch_;
    updateAppropriateMonth();
    cal1DateChange();
    cal_[1]->setFocus();
    resizeCalendars();
    tvDay_->setFocus();
    StartupMark("calendars and day list filled");
    pool_.setEnabled(tmLayout_, true);
    pool_.setEnabled(tmPopup_, options_.qPopup);
    updateFilterImage();
    // The first alarm check runs at once: an alarm whose time passed while
    // the program was not running today sounds now.
    holdAlarmChecked_ = true;
    Timer1Timer();
    holdAlarmChecked_ = false;
    StartupMark("first alarm check");
    if (isMinimized()) {
        pool_.setEnabled(tmClock_, false);
        pool_.setEnabled(tmPanel_, false);
        // A minimised window may not paint until it is restored.
        QMetaObject::invokeMethod(this, [this] { finishStartup(); }, Qt::QueuedConnection);
    }
    UpdateStatusClock();
}

void TfrmMain::ReadSettings(bool startHidden)
{
    if (frmOptions_)
        options_ = frmOptions_->options();
    // These three are the stored settings, not the options window's fields:
    // a change the person cancelled there is not in force here.
    const Options stored = Options::read(sv_.settings, sv_.folder);
    shadows_ = stored.shadows;
    defaultCategory_ = stored.category;
    confirm_ = stored.confirm;
    if (shownOnce_)
        pool_.setEnabled(tmPopup_, options_.qPopup);
    pool_.setEnabled(tmChime_, options_.hourChime || options_.halfChime);
    if (memPopupEnable_)
        (options_.qPopup ? memPopupEnable_ : memPopupDisable_)->setChecked(true);
    if (!options_.qPopup)
        hidePopup();
    ApplySettings(shadows_);
    UpdateTrayIcon();
    if (startHidden) {
        pool_.setEnabled(tmClock_, false);
        pool_.setEnabled(tmPanel_, false);
        // Never painted until shown: the icon is the way back, now.
        finishStartup();
    }
}

void TfrmMain::ApplySettings(bool shadows)
{
    shadows_ = shadows;
    if (frmFilter_) {
        frmFilter_->setPanelColours(ToQColor(options_.doneColorFG), ToQColor(options_.doneColorBG),
                                    ToQColor(options_.notDoneColorFG), ToQColor(options_.notDoneColorBG));
        frmFilter_->setHeadingStyle(TfrmOptions::toFont(options_.titleFont), shadows ? 4 : 1,
                                    shadows ? QColor(0, 0, 255) : QColor(0, 0, 128));
    }
    applyListLooks();
    for (MonthCalendar *c : cal_)
        c->setStartOfWeek(options_.sunday ? Qt::Sunday : Qt::Monday);
    resizeCalendars();
    ColorAllCalendars(true);
    // Hints show exactly when fly-by hints are on.
    hints_ = frmOptions_ ? frmOptions_->options().flyBy : options_.flyBy;
}

void TfrmMain::notePaint(QObject *watched)
{
    if (firstPaintDone())
        return;
    if (watched == pnlAlarm_) {
        // An alarm due at start covers the calendars and the day list, which
        // then have nothing to paint: the panel is what the window shows.
        paintedCalendar_ = paintedDayList_ = true;
    } else if (std::find(cal_.begin(), cal_.end(), watched) != cal_.end()) {
        paintedCalendar_ = true;
    } else if (tvDay_ && watched == tvDay_->viewport()) {
        paintedDayList_ = true;
    }
    if (!firstPaintDone())
        return;
    if (!StartupProfiling()) {
        QMetaObject::invokeMethod(this, [this] { finishStartup(); }, Qt::QueuedConnection);
        return;
    }
    // Start-up measured: from the program's start to this first paint.
    const qint64 now = std::chrono::duration_cast<std::chrono::milliseconds>(
                           std::chrono::steady_clock::now().time_since_epoch())
                           .count();
    const qint64 t = now - qApp->property("morvaneStartMs").toLongLong();
    if (store_.loading())
        std::fprintf(stderr, "startup: %lld ms (load still running)\n", static_cast<long long>(t));
    else
        std::fprintf(stderr, "startup: %lld ms (load %lld ms)\n", static_cast<long long>(t),
                     static_cast<long long>(store_.loadMs()));
    StartupMark("first paint");
    PrintStartupMarks();
    std::_Exit(0);  // nothing is saved
}

bool TfrmMain::eventFilter(QObject *watched, QEvent *e)
{
    // While the window is taken down its controls are half destroyed: the
    // filters installed on them still call here, and nothing may touch them.
    if (destroying_)
        return false;
    // Until the store has loaded whole only the first paint may run: every
    // other event (input, timers, queued calls, sockets, the way out) waits
    // for it here first. What FormShow sends on its way is that paint.
    // The timer pool's triggers wait in guard each, but for the first
    // layout pass, which the first paint may need.
    if (storeToSettle_ && !paintingFirstLook_ && watched != pool_.qtTimer() && MayRunOurCode(watched, e->type()))
        (void)awaitStore();
    // Keys reach the main window before the control with the focus.
    if ((e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease) && watched->isWidgetType() && created_) {
        auto *w = static_cast<QWidget *>(watched);
        if (w->window() == this && w == focusWidget() && !leaving_) {
            auto *k = static_cast<QKeyEvent *>(e);
            if (e->type() == QEvent::KeyPress) {
                hidePopup();  // any key closes the summary
                bool used = false;
                guard([&] { used = FormKeyDown(w, k); });
                if (used)
                    return true;
            } else {
                guard([&] { FormKeyUp(w, k); });
            }
        }
    }
    if (created_ && dragEvent(watched, e))
        return true;
    if (e->type() == QEvent::MouseMove) {
        for (int i = 0; i < 4; ++i)
            if (watched == cal_[std::size_t(i)]) {
                const QPoint pos = static_cast<QMouseEvent *>(e)->position().toPoint();
                guard([this, i, pos] { cal2MouseMove(i, pos); });
            }
        // Also over the controls inside them (the toolbar's buttons), which
        // take the movement themselves.
        for (QObject *o = watched; o && popupVisible(); o = o->parent())
            if (popupHiders_.contains(o))
                hidePopup();
    }
    if (e->type() == QEvent::Leave && (watched == this || std::find(cal_.begin(), cal_.end(), watched) != cal_.end()))
        popupMouseLeft();
    if (e->type() == QEvent::MouseButtonDblClick && (watched == StatusBar1_ || watched == lblDate_)) {
        guard([this] { Today1Click(); });
        return true;
    }
    if (e->type() == QEvent::Paint && !firstPaintDone() && shownOnce_)
        notePaint(watched);
    // The sizes the controls pass through while show() lays the window out
    // for the first time are not painted: FormShow fits the calendars and
    // the lists' columns to where they end up.
    if (watched == pnlCalendars_ && e->type() == QEvent::Resize) {
        if (shownOnce_)
            resizeCalendars();
        else
            (void)placeCalendars();
    } else if ((watched == tvDay_ || watched == tvNonday_) && e->type() == QEvent::FocusIn) {
        activeList_ = watched;
        // The list with the focus shows its selection; the other hides it.
        for (QTableView *v : {tvDay_, tvNonday_})
            showListSelection(v, v == watched);
    } else if ((watched == tvDay_ || watched == tvNonday_) && e->type() == QEvent::Resize && shownOnce_) {
        if (watched == tvDay_)
            ResizeGridDay();
        else
            ResizeGridNonDay();
    } else if (watched == memWhat_ && e->type() == QEvent::FocusOut) {
        guard([this] { memWhatExit(); });
    }
    // Without fly-by hints, no control of this window shows a tooltip.
    if (e->type() == QEvent::ToolTip && !hints_) {
        auto *w = qobject_cast<QWidget *>(watched);
        if (w && w->window() == this)
            return true;
    }
    return QMainWindow::eventFilter(watched, e);
}

QString TfrmMain::statusText() const { return StatusBar1_->text(); }

void TfrmMain::UpdateStatusClock()
{
    if (shownOnce_)
        followToday();
    StatusBar1_->setText(u"Today is "_s + FormatDateTime(u"dddddd tt", ToDateValue(sv_.clock.now()), fs_));
}

void TfrmMain::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Escape) {
        e->accept();  // Esc does nothing in the main window
        return;
    }
    QMainWindow::keyPressEvent(e);
}

// ---------------------------------------------------------------------------
// Saving and ending

void TfrmMain::keepDailyCopy() { reportSave(backup_.folder(), backup_.beforeSave()); }

FileResult TfrmMain::saveStore(bool sort)
{
    // A file that loaded damaged is not saved over until the person agrees
    // at Exit; they were told when it loaded.
    if (store_.saveBlocked())
        return FileResult::success();
    const FileResult r = sort ? store_.SortGridStore() : store_.save();
    reportSave(store_.path(), r);
    return r;
}

FileResult TfrmMain::saveTodo()
{
    if (todoDamaged_)
        return FileResult::success();
    keepDailyCopy();
    const FileResult r = SaveGridFile(gridNonday_, todoPath_);
    reportSave(todoPath_, r);
    return r;
}

void TfrmMain::reportSave(const QString &path, const FileResult &r)
{
    if (r.ok) {
        toldFailures_.remove(path);
        return;
    }
    // The person heard about a damaged file when it loaded.
    if (damagedFiles_.contains(path))
        return;
    if (toldFailures_.value(path) == r.message)
        return;
    toldFailures_.insert(path, r.message);
    // On the way out the question that follows names the failures; at the
    // end of a session nobody may be there to read them.
    if (!quietSaves_)
        sv_.prompts.ErrorBox(r.message);
}

void TfrmMain::reportDamaged(const QString &path, const FileResult &r)
{
    damagedFiles_.insert(path);
    QString copy;
    const FileResult kept = backup_.keepDamaged(path, &copy);
    sv_.prompts.ErrorBox(r.message + u"\n\n"_s +
                         (kept ? u"A copy of the file as it is now is kept as %1."_s.arg(QDir::toNativeSeparators(copy))
                               : u"Morvane could not keep a copy of it: %1"_s.arg(kept.message)) +
                         u"\n\nWhen you exit, Morvane will ask whether to replace it with the tasks it holds then."_s);
}

bool TfrmMain::agreeToReplaceDamaged(bool ask)
{
    if (!store_.saveBlocked() && !todoDamaged_)
        return true;
    if (!ask)
        return false;
    const QString text =
        u"A task file was damaged when Morvane started and has not been saved over since (a copy of it "
        "is kept in %1).\n\nReplace it with the tasks Morvane holds now? Answer No to keep the damaged "
        "file as it is."_s.arg(QDir::toNativeSeparators(backup_.folder()));
    if (!sv_.prompts.YesNo(text, true))
        return false;
    store_.allowSaveOver();
    todoDamaged_ = false;
    damagedFiles_.clear();
    return true;
}

bool TfrmMain::saveOnTheWayOut(bool ask)
{
    (void)awaitStore();
    commitNotes();
    const bool replace = agreeToReplaceDamaged(ask);
    quietSaves_ = true;
    const auto loud = qScopeGuard([this] { quietSaves_ = false; });
    for (;;) {
        QStringList failures;
        if (replace || !store_.saveBlocked())
            if (FileResult r = saveStore(true); !r)
                failures << r.message;
        if (replace || !todoDamaged_)
            if (FileResult r = saveTodo(); !r)
                failures << r.message;
        layout_ = currentLayout();
        layout_.save(sv_.settings);
        if (failures.isEmpty() || !ask)
            return true;
        const int choice = sv_.prompts.Ask(
            u"Morvane could not save your tasks:\n\n%1\n\nTry again, quit without saving (the files keep "
            "what they held at their last save), or stay in Morvane?"_s.arg(failures.join(u"\n"_s)),
            {u"&Try again"_s, u"&Quit without saving"_s, u"&Stay"_s}, 0, 2);
        if (choice == 1)
            return true;
        if (choice == 2)
            return false;
    }
}

void TfrmMain::leave()
{
    if (alarmCheckedPending_)
        storeAlarmChecked();
    leaving_ = true;
    pool_.disableAll();
    // Ends the loop without closing the windows first: the way out has
    // saved, and no window may hold the end up.
    if (sv_.endLoop)
        sv_.endLoop(0);
}

void TfrmMain::SayGoodBye()
{
    if (leaving_)
        return;
    exitRequested_ = true;
    const bool alarmWasShowing = alarmShowing_;
    alarmShowing_ = true;
    sv_.sound.stop();
    if (!saveOnTheWayOut(true)) {
        exitRequested_ = false;
        alarmShowing_ = alarmWasShowing;
        return;
    }
    leave();
}

void TfrmMain::endSession()
{
    // Nobody may be there to answer: nothing is asked, a save that fails
    // keeps the old file, a damaged file is left as it is, and the program
    // ends.
    if (leaving_)
        return;
    exitRequested_ = true;
    alarmShowing_ = true;
    sv_.sound.stop();
    pool_.disableAll();
    saveOnTheWayOut(false);
    leave();
}

void TfrmMain::closeEvent(QCloseEvent *e)
{
    if (destroying_ || leaving_) {
        e->accept();
        return;
    }
    if (!options_.exitF4 && !exitRequested_) {
        // Closing means going to the notification area.
        e->ignore();
        guard([this] { goToTray(); });
        return;
    }
    const bool alarmWasShowing = alarmShowing_;
    alarmShowing_ = true;
    if (!saveOnTheWayOut(true)) {
        alarmShowing_ = alarmWasShowing;
        e->ignore();
        return;
    }
    e->accept();
    leave();
}

void TfrmMain::resizeEvent(QResizeEvent *e)
{
    QMainWindow::resizeEvent(e);
    FormResize();
    if (alarmPanelShown())
        placeAlarmPanel();
}

void TfrmMain::moveEvent(QMoveEvent *e)
{
    QMainWindow::moveEvent(e);
    // A panel raised above a message box is a window of its own.
    if (alarmPanelShown())
        placeAlarmPanel();
}


}  // namespace morvane
