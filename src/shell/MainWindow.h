#pragma once
// TfrmMain: the main window. It owns the task tables, the timer pool and the
// window frame, and is the composition root of the program. Its handlers are
// split by subject: MainWindow.cpp (life cycle, saving), MainWindowTray.cpp
// (the notification area), MainWindowLayout.cpp (splitters and the Resize
// menu), MainWindowCalendars.cpp, MainWindowLists.cpp, MainWindowCommands.cpp
// (adding, editing, completing and deleting tasks) and
// MainWindowNavigation.cpp (moving the day, the keyboard).

#include "AlarmScan.h"
#include "Snoozes.h"
#include "AppIcon.h"
#include "Chimes.h"
#include "DailyAlarms.h"
#include "DesktopNotifier.h"
#include "FileLauncher.h"
#include "HelpWindow.h"
#include "Clock.h"
#include "DailyBackup.h"
#include "Find.h"
#include "PopupSummary.h"
#include "GridFile.h"
#include "GridPrinter.h"
#include "ListSource.h"
#include "PrintSelection.h"
#include "HolidayRules.h"
#include "ModalRunner.h"
#include "MonthCalendar.h"
#include "Options.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"
#include "TaskTables.h"
#include "TimerPool.h"
#include "UndoHistory.h"
#include "Utility.h"

#include <QDate>
#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QSet>
#include <array>
#include <functional>
#include <memory>

class QAction;
class QPrinter;
class QLabel;
class QPlainTextEdit;
class QTableView;
class QFrame;
class QTreeWidget;
class QMenu;
class QSplitter;
class QSystemTrayIcon;
class QToolBar;

namespace morvane {

struct SyncResult;
struct SyncParts;

class GridTableModel;
class TfrmComplete;
class TfrmFilter;
class FindDialog;
class TfrmEdit;

class AlarmPanel;
class ShadowLabel;
class TfrmOptions;
class TfrmPrint;
struct CalendarColours;
struct CalendarSizing;
struct OutsideTask;

// What the main window needs from outside: the seams, and where it lives.
struct MainServices {
    Clock &clock;
    Prompts &prompts;
    ModalRunner &runner;
    SettingsStore &settings;
    SoundPlayer &sound;
    QString folder;      // the data folder
    QString executable;  // this program, for the autostart entry
    QDate releaseDate;   // the day this build was made
    // Ends the program's event loop; the program passes QCoreApplication::exit,
    // tests leave it empty and read ended().
    std::function<void(int)> endLoop = {};
    // Announces alarms raised while the window is out of sight; may be null.
    Notifier *notifier = nullptr;
    // Opens published pages in the browser; null for the desktop's own.
    FileLauncher *launcher = nullptr;
    // Runs on the store's loading thread before it reads the file (tests
    // hold the load back with it).
    std::function<void()> beforeStoreLoad = {};
};

class TfrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMain(MainServices services, QWidget *parent = nullptr);
    ~TfrmMain() override;

    // False when the task files could not be loaded; the program must end
    // without showing anything.
    bool created() const { return created_; }

    // Commands.
    void SayGoodBye();
    void Hide1Click();
    void Hidecalendar1Click();
    void ToolButton14Click() { Hidecalendar1Click(); }
    void Showcalendar1Click();
    void TrayIconClick();
    void TrayIconAppMinimize();
    // The desktop session ends (log off, shut down, SIGTERM): end like Exit,
    // without asking anything.
    void endSession();

    // A request from a terminal handed over by the single-instance channel
    // ("add" and a task); the answer is "ok" or "error: " and why.
    QByteArray answerRequest(const QByteArray &request);
    // Adds a task given on the command line and saves it; returns why it
    // could not be saved, or nothing.
    QString addOutsideTask(const OutsideTask &task);

    void Options2Click();
    void Holidays1Click();
    void Categories1Click();
    // (Re)reads "holiday.grd" into gridHoliday, when the file exists.
    void loadHolidays();
    Grid &gridHoliday() { return gridHoliday_; }
    QString holidayNameFor(const QDate &date) const { return holidays_.nameFor(date); }
    void Help1Click();
    void showHelp(int topic);
    // The options dialog, made when first wanted: until then the options in
    // force are the stored ones.
    TfrmOptions *frmOptions();
    HelpWindow *helpWindow() const { return help_.data(); }

    void ReadSettings(bool startHidden);
    void ApplySettings(bool shadows);
    void UpdateStatusClock();
    // The minute trigger: the day's roll-over and the alarm check.
    void Timer1Timer();
    TimerPool::Handle minuteTrigger() const { return tmMinute_; }
    void UpdateTrayIcon();
    // The tray icon's picture: "ICON<day>" or "MAINICON".
    QString trayIconName() const { return trayIconName_; }

    // The alarms.
    void pnlAlarmClick();
    // Puts the alarm on the panel off for `minutes`, and clears the panel.
    void snoozeAlarm(int minutes);
    // "Snooze…": asks for how long (the choice is kept for the next time).
    void btSnoozeClick();
    // An action pressed in the alarm's desktop notification.
    void notificationAction(const QString &key);
    const Snoozes &snoozes() const { return snoozes_; }
    void tmPanelColorTimer();
    bool alarmShowing() const { return alarmShowing_ && !leaving_; }
    bool alarmPanelShown() const;
    QString alarmText() const;
    AlarmPanel *alarmPanel() const { return pnlAlarm_; }
    TimerPool::Handle panelTrigger() const { return tmPanel_; }
    const AlarmWatch &alarmWatch() const { return alarmWatch_; }
    // The daily alarms.
    void ReadDailyAlarmSettings();
    void Dailytimer1Click();
    DailyAlarms &dailyAlarms() { return daily_; }
    // The chimes.
    void HourlyChime(bool testHour, bool testHalf);
    void Mutechimes1Click();
    bool chimesMuted() const;
    TimerPool::Handle chimeTrigger() const { return tmChime_; }

    // Resize menu.
    void N4monthCalendars1Click();
    void DaytoNonDayEvents1Click();
    void DailyEventsNotes1Click();
    void Maximizedailyevents1Click();
    void Maximizenondaytasks1Click();
    void Memorizescreensizepositions1Click();
    void Recoverscreensizepositions1Click();
    void Timer2Timer();

    // The calendars.
    void cal1DrawCell(int cal, QPainter &p, const MonthCalendar::Cell &cell, bool &defaultDraw);
    void ColorAllCalendars(bool all);
    // A day's colours as every calendar of the program shows them.
    void paintDayCell(QPainter &p, const QDate &date, bool &defaultDraw) const;
    void N12monthcalendar1Click();
    void UpdateLabels(int cal);
    void updateAppropriateMonth();
    void resizeCalendars();
    // Only where the calendars and the navigation bar go, their fonts as
    // they are.
    CalendarSizing placeCalendars();
    void cal1Click(int cal);
    void cal1DateChange();
    void cal1MonthChange();
    MonthCalendar *calendar(int i) const { return cal_[std::size_t(i)]; }
    int currentCalendar() const { return current_; }
    QDate selectedDay() const;
    QString dayHeading() const;
    QString todoHeading() const;
    bool dayHeadingIsHoliday() const;
    QColor dayHeadingColor() const;

    // The lists.
    void ResizeGridDay();
    void ResizeGridNonDay();
    void sortDayList(int column);
    // The sort in force, if any, over a freshly read or added-to day list.
    void applyDaySort();
    // After a row placed by hand: no sort until a heading is clicked.
    void keepPersonsDayOrder();
    void sortTodoList(int column);
    void DrawExtraMemo();
    void memWhatExit();
    // Stores an edit of the notes pane in the row it came from.
    void commitNotes();
    QTableView *dayView() const { return tvDay_; }
    QTableView *todoView() const { return tvNonday_; }
    QPlainTextEdit *notesPane() const { return memWhat_; }
    void selectDayRow(int row);

    // The task commands. The sender tells which list a command serves, as
    // the toolbar button, popup item or list that started it.
    enum class Sender {
        tbAdd1, Add1, tbAdd2, MenuItem1,
        tbEdit1, Edit2, tbEdit2, MenuItem2,
        tbDel1, Del1, tbDel2, MenuItem3,
        tbDone1, Markascompleted2, tbDone2, Markascompleted1,
        gridDay, gridNonday
    };
    void btAddClick(Sender sender);
    void btEditClick(Sender sender);
    void Markascompleted1Click(Sender sender);
    void EditOrComplete(Sender sender, bool editMode);
    void btDelClick(Sender sender);
    // Removes the selected row, and its repeats if the person says so;
    // `moving` when the task goes on to another day (reschedule, drag).
    void deleteEntry(bool dayList, bool writeBack, const QDate &date, bool moving);
    void ToolButton15Click();
    void gridDayDblClick() { EditOrComplete(Sender::gridDay, true); }
    void gridNondayDblClick() { EditOrComplete(Sender::gridNonday, true); }
    void cal1CellDblClick();
    void ViewCompletedTasks1Click();
    // The filter dialog, and the menu caption and button that say whether a
    // filter is on.
    void btFilterClick();
    void updateFilterImage();
    // After the category list was saved: the filter lists it at once, and
    // the views follow when what it hides changed.
    void categoriesSaved();
    TfrmFilter *frmFilter() const { return frmFilter_.get(); }
    QString filterCaption() const;
    // Find.
    void Search1Click();
    void FindDialog1Find();
    FindDialog *findDialog() const { return FindDialog1_; }
    // The completed-tasks window, which owns the completed table; made
    // right after the first paint, or when first wanted before that.
    TfrmComplete *frmComplete();
    // The editor a command opens is handed here before it is shown (tests
    // read it; the program has no use for it).
    std::function<void(TfrmEdit &)> editorOpened;

    // Moving the day.
    QDate goForward(const QDate &date) const;
    QDate goBack(const QDate &date) const;
    void NextTask1Click();
    void PriorTask1Click();
    void NextMonth1Click();
    void PriorMonth1Click();
    void NextYear1Click();
    void PriorYear1Click();
    void Today1Click();
    QWidget *navigationPanel() const { return pnlNav_; }

    // Drag and drop: a drop of the source list's selected task onto a list
    // row (1..; 0 for none) or onto a calendar day.
    void gridDayDragDrop(bool fromDay, bool toDay, int row);
    void cal1DragDrop(int cal, bool fromDay, const QDate &target);

    // The popup summary.
    void cal2MouseMove(int cal, const QPoint &pos);
    void tmPopupTimer();
    void memPopupEnableClick();
    void memPopupDisableClick();
    void hidePopup();
    void popupMouseLeft();
    bool popupVisible() const;
    QStringList popupLines() const;
    TimerPool::Handle popupTrigger() const { return tmPopup_; }

    // Printing, exporting and publishing.
    void Print1Click();
    void Print3Click();
    void Print2Click();
    void HTMLFormat3Click();
    void CommaDelimitedFormat1Click();
    void HTMLFormat4Click();
    void CommaDelimitedFormat2Click();
    void HTMLFormat1Click();
    void CSVFormat1Click();
    void PublishCalendarasWebPage1Click();
    // The range dialog, made when first wanted and kept, so that its
    // choices stay.
    TfrmPrint *frmPrint();
    // The chart of activity.
    void Charts1Click();
    // iCalendar files.
    void ExportToICalendar1Click();
    void ImportFromICalendar1Click();
    // Archive, restore and clear.
    void Archive1Click();
    void Restore1Click();
    void ClearAll1Click();

    // Sync with a calendar server (MainWindowSync.cpp): File > Sync now and
    // its toolbar button, at start, a few seconds after a change, every
    // [Sync] Minutes; the status bar says how it went.
    void SyncNow1Click();
    void startSync(bool askedFor);
    bool syncRunning() const;
    QString syncStatus() const;
    TimerPool::Handle syncTrigger() const { return tmSync_; }
    TimerPool::Handle syncSoonTrigger() const { return tmSyncSoon_; }
    // The sync's thread waits for the person's answers no longer than this.
    void setSyncTimeoutMs(int ms);

    // Edit > Undo and Redo of the changes to the task tables.
    void Undo1Click();
    void Redo1Click();
    UndoHistory &history() { return history_; }

    // Runs a command; a failure is shown in a message box and the program
    // goes on.
    void guard(const std::function<void()> &command);
    // The same without waiting for the store first.
    void runGuarded(const std::function<void()> &command);

    // State, for the windows that arrive later and for tests.
    TaskStore &store()
    {
        (void)awaitStore();
        return store_;
    }
    Grid &gridDay() { return gridDay_; }
    Grid &gridNonday() { return gridNonday_; }
    TaskFilter &filter() { return filter_; }
    const Options &options() const { return options_; }
    Options &options() { return options_; }
    const FormatSettings &formats() const { return fs_; }
    TimerPool &timerPool() { return pool_; }
    TimerPool::Handle clockTrigger() const { return tmClock_; }
    TimerPool::Handle layoutTrigger() const { return tmLayout_; }
    bool exitRequested() const { return exitRequested_; }
    // The way out has run (and saved): the event loop was told to end.
    bool ended() const { return leaving_; }
    DailyBackup &backups() { return backup_; }
    bool ending() const { return alarmShowing_; }
    int minimumClientWidth() const { return minWidth_; }
    LayoutValues currentLayout() const;
    void applyLayout(const LayoutValues &layout);
    // Where windows may go on this window's screen.
    QRect availableArea() const;
    QSplitter *split1() const { return split1_; }
    QSplitter *split2() const { return split2_; }
    QSplitter *splitDay() const { return splitDay_; }
    QSplitter *flashingSplitter() const { return flashMode_ ? flashSplitter_ : nullptr; }
    // The notification-area icon, made right after the first paint (at once
    // for a start into the notification area), or when first wanted.
    QSystemTrayIcon *trayIcon();
    bool trayAvailable() const;
    // True once the calendars and the day list have been painted.
    bool firstPaintDone() const { return paintedCalendar_ && paintedDayList_; }
    // The days the first look reads when the program starts on `today`.
    static std::pair<int, int> firstLookDays(const QDate &today);
    // Whether the store is still loading (the window may show its first
    // look meanwhile).
    bool storeLoading() const { return store_.loading(); }
    QString statusText() const;

protected:
    void showEvent(QShowEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void moveEvent(QMoveEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void FormCreate();
    // The one wait for the store: until it has loaded whole nothing but the
    // first paint reads it. Reports a damaged file; repaints when the first
    // look showed something else. False when the file could not be read.
    bool awaitStore();
    void showWholeStore();
    void FormShow();
    void buildFrame();
    void buildMenus();
    void buildTray();
    // What the first paint does not need, made from the event loop once it
    // is done: the tray icon and the completed-tasks window.
    void finishStartup();
    void buildAlarms();
    void buildOutput();
    // The system print dialog on a printer of the locale's paper; null when
    // it was cancelled.
    std::unique_ptr<QPrinter> choosePrinter();
    // Prints a table through the print dialog; the columns as wide as
    // `shown` has them unless the settings name widths.
    void printList(const Grid &table, PageSettings settings, const QTableView *shown);
    // The grid font of the options, for the printed day and to-do lists.
    PrintFont listPrintFont() const;
    // The range dialog in a mode; true for OK.
    bool askRange(PrintRange::Mode mode);
    // baseName is the file name proposed, without its extension.
    QString exportFileName(bool html, const QString &baseName);
    void exportList(const ListSource &list, bool html, const QString &baseName = QStringLiteral("tasks"));
    // The list the popup menus' exports write: the day list, or the to-do
    // list when it is the active one.
    GridListSource activeListSource() const;
    void exportDailyTasks(bool html);
    void buildArchive();
    void buildUndo();
    void buildSync();
    // Tells the sync journal what a command (or an undo) did to the tables.
    void feedSync(const TablesChange &change, bool forward);
    void syncFinished(const SyncResult &result);
    // A command's step is recorded: a sync that waited for it runs soon.
    void commandEnded();
    void syncOptionsChanged(const QString &typedPassword);
    // Shows or hides the toolbar's Sync now button (its picture fetched when first shown).
    void showSyncButton(bool shown);
    QByteArray answerSyncRequest();
    // Made at the start of a command that may change the task tables: what
    // the tables went through until its end becomes one step of the
    // history, under `name` (the command may rename the step through
    // undoName_ once it knows more). A pending notes edit is stored first,
    // as a step of its own. Commands run by a command are part of its step.
    class UndoStep {
    public:
        UndoStep(TfrmMain &w, const QString &name, bool storeNotesFirst = true);
        ~UndoStep();
        UndoStep(const UndoStep &) = delete;
        UndoStep &operator=(const UndoStep &) = delete;

    private:
        TfrmMain &w_;
        bool outer_ = false;
        Grid store_, todo_, completed_;
        std::optional<QByteArray> holidayFile_;
    };
    // The holiday file's bytes; none when there is no file.
    std::optional<QByteArray> holidayFileBytes() const;
    bool tablesAre(const TablesChange &c, bool after) const;
    void stepHistory(bool forward);
    void putBackTables(const TablesChange &c, bool forward);
    // "Move to 12 March".
    QString moveStepName(const QDate &day) const;
    void buildChart();
    void buildExchange();
    // The day list read afresh, both lists and the calendars shown again.
    void reloadTables();
    void raiseAlarm(const QString &text);
    // Stores where the alarm check got to (the settings file, synced).
    void storeAlarmChecked();
    void placeAlarmPanel();
    // Starts or stops the alarm sound of the options in force.
    void playAlarmSound(bool on);
    void FormResize();
    QAction *command(QMenu *menu, const QString &text, const QKeySequence &key,
                     void (TfrmMain::*handler)());
    // A command put into a menu before `before` (at its end when null).
    QAction *insertCommand(QMenu *menu, QAction *before, const QString &name, const QString &text,
                           void (TfrmMain::*handler)());
    QMenu *fileMenu() const;
    // Saves the store and the to-do list (and the layout values when
    // `layout`). With `ask`, a failure asks whether to try again, quit
    // anyway or stay; returns false for stay.
    bool saveOnTheWayOut(bool ask);
    FileResult saveStore(bool sort);
    FileResult saveTodo();
    // Tells the person about a failed save once, until that file saves again.
    void reportSave(const QString &path, const FileResult &r);
    bool agreeToReplaceDamaged(bool ask);
    // Saves for the way out once, then ends the event loop.
    void leave();
    // Tells the person a task file loaded damaged, keeping a copy of it.
    void reportDamaged(const QString &path, const FileResult &r);
    // The day's first save copies the task files into the backups.
    void keepDailyCopy();
    void goToTray();
    void showFromTray();
    void flashSplitter(QSplitter *s);
    // Fills the area of both lists with one, or gives the other back its room.
    void maximizeList(bool dayList);
    void showMaximizedList();
    void buildCalendars();
    void buildLists();
    void buildTaskCommands();
    void buildNavigation();
    void buildPopup();
    QFrame *popupPanel();
    QMenu *popupMenu();
    void setUpDragDrop();
    bool dragEvent(QObject *watched, QEvent *e);
    // Whether a list's row holds a task: a day row by its time, a to-do row
    // by its category or notes.
    bool rowHoldsTask(bool dayList, int row) const;
    // The list's current row (1..), or `none` when it has none.
    static int selectedRow(const QTableView *list, int none);
    void setPopupOption(bool on);
    QAction *taskAction(const QString &name, const QString &text, ToolIcon icon, const QString &hint,
                        const std::function<void()> &handler);
    // Keys the main window sees before the control with the focus.
    bool FormKeyDown(QWidget *target, QKeyEvent *e);
    void FormKeyUp(QWidget *target, QKeyEvent *e);
    void moveCurrentDay(int days);
    void stepYears(int years);
    void setCurrentDate(const QDate &date);
    TfrmEdit *makeEditor(bool dated);
    void editorTitle(TfrmEdit &ed, bool dated, bool adding);
    // The to-do list is saved after every change to it: a task typed in
    // must not wait for the program's end to reach the disk.
    void todoChanged();
    void listsChanged();
    FileResult addCompletedRow(const QStringList &cells);
    CalendarColours calendarColours() const;
    void applyListLooks();
    void showListSelection(QTableView *v, bool focused);
    void followToday();
    void setBarColor(QSplitter *s, const QColor &c);

    MainServices sv_;
    FormatSettings fs_;
    TaskFilter filter_;
    TaskStore store_;
    Grid gridDay_;
    Grid gridNonday_;
    Grid gridHoliday_;
    HolidayIndex holidays_;
    QString todoPath_;
    bool todoDamaged_ = false;
    DailyBackup backup_;
    bool leaving_ = false;  // the way out has saved; nothing saves again
    Options options_;
    LayoutValues layout_;
    bool created_ = false;
    bool shownOnce_ = false;
    bool exitRequested_ = false;
    bool alarmShowing_ = false;
    bool inTray_ = false;
    Qt::WindowStates shownState_;  // the last state other than minimised
    bool quietSaves_ = false;
    bool destroying_ = false;
    bool optionsRead_ = false;  // options_ holds the options in force
    QDate startDay_;            // the day the program started
    bool paintedCalendar_ = false, paintedDayList_ = false;
    bool storeToSettle_ = false;      // awaitStore has something to do
    bool paintingFirstLook_ = false;  // FormShow reads the first look
    std::optional<AlarmWatch> alarmWatchBeforeLook_;
    void notePaint(QObject *watched);
    bool shadows_ = true;
    bool hints_ = true;
    QString defaultCategory_;
    bool confirm_ = true;
    int minWidth_ = 636;
    QMap<QString, QString> toldFailures_;  // file -> message already shown
    QSet<QString> damagedFiles_;           // loaded damaged; told at start

    TimerPool pool_;
    TimerPool::Handle tmMinute_ = -1;
    TimerPool::Handle tmLayout_ = -1;
    TimerPool::Handle tmClock_ = -1;
    TimerPool::Handle tmPanel_ = -1;
    TimerPool::Handle tmChime_ = -1;
    TimerPool::Handle tmSync_ = -1;
    TimerPool::Handle tmSyncSoon_ = -1;
    // The sync and what it needs; made by buildSync, ended first when the
    // window goes.
    std::shared_ptr<SyncParts> sync_;
    AlarmWatch alarmWatch_;
    bool holdAlarmChecked_ = false;     // the start's first check runs
    bool alarmCheckedPending_ = false;  // it is stored after the first paint
    Snoozes snoozes_;
    DailyAlarms daily_;
    ChimeRecord chimes_;
    AlarmPanel *pnlAlarm_ = nullptr;
    QAction *Mutechimes1_ = nullptr;
    QString trayIconName_;
    QIcon trayIconPicture_;
    bool flashMode_ = false;
    int flashCount_ = 0;
    QSplitter *flashSplitter_ = nullptr;
    QAction *Maximizedailyevents1_ = nullptr, *Maximizenondaytasks1_ = nullptr;
    int split2BeforeMaximize_ = -1;  // where the bar was before a list filled the area

    QWidget *pnlTop_ = nullptr;
    QToolBar *ToolBar1_ = nullptr;
    QSplitter *split2_ = nullptr;
    QSplitter *split1_ = nullptr;
    QSplitter *splitDay_ = nullptr;
    QWidget *pnlCalendars_ = nullptr;
    QWidget *pnlDayList_ = nullptr;
    QWidget *pnlNotes_ = nullptr;
    QWidget *pnlTodo_ = nullptr;
    QLabel *StatusBar1_ = nullptr;
    QLabel *imIcon_ = nullptr;
    QSystemTrayIcon *trayIcon_ = nullptr;
    QMenu *popTray_ = nullptr;
    std::unique_ptr<TfrmOptions> frmOptions_;
    std::unique_ptr<TfrmPrint> frmPrint_;
    QString exportFolder_;        // where the last export went
    QString archiveFile_;         // the archive named last
    QObject *activeList_ = nullptr;  // the list that last had the focus
    FileLauncher *launcher_ = nullptr;
    std::unique_ptr<FileLauncher> ownLauncher_;

    std::array<MonthCalendar *, 4> cal_{};
    int current_ = -1;
    int previous_ = -1;
    bool calendarsInStep_ = false;
    bool monthChangeBusy_ = false;
    bool dateChangeBusy_ = false;
    QDate today_;
    ShadowLabel *lblDate_ = nullptr;
    ShadowLabel *EsLabel1_ = nullptr;
    QTableView *tvDay_ = nullptr;
    QTableView *tvNonday_ = nullptr;
    GridTableModel *dayModel_ = nullptr;
    GridTableModel *todoModel_ = nullptr;
    QPlainTextEdit *memWhat_ = nullptr;
    int memRow_ = 0;        // the day-list row the notes pane shows
    bool memDirty_ = false; // the person changed the notes since
    bool memCut_ = false;   // the pane shows the notes cut: not editable
    bool filterNoteShown_ = false;
    int pendingKey_ = 0;    // Insert or Delete pressed with no shortcut
    QWidget *pnlNav_ = nullptr;
    QToolBar *tbMonthNav_ = nullptr;
    QToolBar *ToolBar2_ = nullptr;
    QToolBar *ToolBar3_ = nullptr;
    std::unique_ptr<TfrmComplete> frmComplete_;
    std::unique_ptr<TfrmFilter> frmFilter_;
    QAction *Filters1_ = nullptr;
    QAction *btFilter_ = nullptr;
    FindDialog *FindDialog1_ = nullptr;
    QFrame *pnlPop_ = nullptr;
    QLabel *lblPopDate_ = nullptr, *lblPopWhen_ = nullptr;
    QTreeWidget *lbPopup_ = nullptr;
    QMenu *popPopup_ = nullptr;
    QAction *memPopupEnable_ = nullptr, *memPopupDisable_ = nullptr;
    PopupHover hover_;
    int hoverCalendar_ = -1;
    QSet<QObject *> popupHiders_;
    TimerPool::Handle tmPopup_ = -1;
    QTableView *dragFrom_ = nullptr;
    QPoint dragStart_;
    FindState findState_;
    // The task Find showed last, by its time, category and notes, for the
    // day list to select when it shows that day.
    QStringList foundTask_;
    void selectFoundTask(bool fromTop);
    UndoHistory history_{[this](const TablesChange &c, bool forward) { putBackTables(c, forward); }};
    bool recording_ = false;  // a command's step is being recorded
    QString undoName_;        // the name that step will have
    QAction *Undo1_ = nullptr, *Redo1_ = nullptr;
    int daySortColumn_ = 0, todoSortColumn_ = 0;  // -1: the day list as stored, unsorted
    bool daySortAscending_ = true, todoSortAscending_ = true;
    QPointer<HelpWindow> help_;  // a child of the window that asked last
};

// The day this build was made, for the version-age reminder.
QDate ReleaseDate();

}  // namespace morvane
