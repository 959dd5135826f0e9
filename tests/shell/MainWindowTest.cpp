#include "MainWindowFixture.h"
#include "TestFiles.h"
#include "TestStores.h"
#include "HelpWindow.h"
#include "PickListDialog.h"
#include "MainWindow.h"
#include "OptionsDialog.h"
#include "FilterDialog.h"
#include "AppIcon.h"
#include "CompletedTasksWindow.h"
#include "PrintRangeDialog.h"
#include "ShadowLabel.h"

#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QPlainTextEdit>
#include <QTableView>
#include <QHelpEvent>
#include <QRadioButton>
#include <QDateEdit>
#include <QSpinBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QSystemTrayIcon>


#include <gtest/gtest.h>

#include <QApplication>
#include <QCloseEvent>
#include <QSplitter>
#include <QTest>
#include <QMenuBar>
#include <QHeaderView>

#include <sys/stat.h>

using namespace morvane;

namespace {

const QByteArray kUnsortedStore = "6,3\r\ncw 0,110\r\n0,1,46365.101\r\n1,1,9:00 AM\r\n3,1,later\r\n"
                                  "4,1,No\r\n5,1,No\r\n0,2,46364.101\r\n1,2,8:00 AM\r\n3,2,sooner\r\n"
                                  "4,2,No\r\n5,2,No\r\n";
const QByteArray kTodo = "3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n1,1,Buy stamps\r\n2,1,No\r\n";

class MainWindowTest : public MainWindowFixture {
protected:
    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), kUnsortedStore);
        writeBytes(data.file("gridNon.grd"), kTodo);
    }
    std::unique_ptr<TfrmMain> make() { return makeMain(); }
    void setOption(const char *name, const char *value)
    {
        settings.writeText("Options", name, value);
        settings.sync();
    }
};

void place(QSplitter *s, int pos)
{
    const int total = s->sizes()[0] + s->sizes()[1];
    s->setSizes({pos, total - pos});
}

void lockFolder(const QString &path, bool locked)
{
    ::chmod(QFile::encodeName(path).constData(), locked ? 0555 : 0755);
}

}  // namespace

TEST_F(MainWindowTest, AMissingTaskFileEndsTheProgramBeforeAnyWindow)
{
    QFile::remove(data.file("gridNon.grd"));
    auto w = make();
    EXPECT_FALSE(w->created());
    EXPECT_EQ(errors(), QStringList({"GridNon.grd file not found!"}));
    EXPECT_EQ(readBytes(data.file("grid.grd")), kUnsortedStore);  // nothing written
    EXPECT_EQ(data.entries(), QStringList({"grid.grd"}));

    prompts.shown.clear();
    QFile::remove(data.file("grid.grd"));
    EXPECT_FALSE(make()->created());
    EXPECT_EQ(errors(), QStringList({"Grid.grd file not found!"}));
}

TEST_F(MainWindowTest, TheVersionReminderComesOnlyAYearAfterTheBuild)
{
    ASSERT_TRUE(make()->created());
    EXPECT_TRUE(prompts.shown.isEmpty());
    release = QDate(2025, 12, 8);
    make();
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, ScriptedPrompts::Kind::Info);
    EXPECT_TRUE(prompts.shown[0].text.startsWith("This version is over a year old."));
}

TEST_F(MainWindowTest, ExitSavesBothTablesAndTheLayout)
{
    auto w = make();
    ASSERT_TRUE(w->created());
    w->show();
    w->Timer2Timer();  // the first layout pass
    w->gridNonday().setCell(kTodoNotes, 1, u"Buy more stamps");
    w->SayGoodBye();
    EXPECT_TRUE(w->exitRequested());
    Grid store, todo;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.cell(kStoreNotes, 1), "sooner");  // sorted on the way out
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "Buy more stamps");
    EXPECT_TRUE(settings.raw("", "Split1").has_value());
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(MainWindowTest, TheCloseBoxExitsOrHidesAsTheOptionSays)
{
    setOption("ExitF4", "0");
    auto w = make();
    w->show();
    w->gridNonday().setCell(kTodoNotes, 1, u"changed");
    QCloseEvent hideIt;
    QApplication::sendEvent(w.get(), &hideIt);
    EXPECT_FALSE(hideIt.isAccepted());  // refused: the program goes on, hidden
    EXPECT_TRUE(w->timerPool().enabled(w->clockTrigger()));
    Grid todo;
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "changed");  // the trip to the tray saved it

    setOption("ExitF4", "1");
    auto w2 = make();
    w2->show();
    QCloseEvent closeIt;
    QApplication::sendEvent(w2.get(), &closeIt);
    EXPECT_TRUE(closeIt.isAccepted());
    EXPECT_FALSE(w2->timerPool().enabled(w2->clockTrigger()));
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(store.cell(kStoreNotes, 1), "sooner");
}

TEST_F(MainWindowTest, AFailedSaveOnTheWayOutAsksAndCanStay)
{
    auto w = make();
    w->show();
    w->gridNonday().setCell(kTodoNotes, 1, u"unsaved");
    lockFolder(data.path(), true);

    prompts.answers = {2};  // Stay
    w->SayGoodBye();
    EXPECT_FALSE(w->exitRequested());
    ASSERT_EQ(prompts.asked.size(), 1);
    EXPECT_EQ(prompts.asked[0], QStringList({"&Try again", "&Quit without saving", "&Stay"}));
    EXPECT_TRUE(prompts.shown.last().text.contains("gridNon.grd"));
    EXPECT_TRUE(errors().isEmpty());  // the question names the failure

    prompts.answers = {0, 1};  // Try again, then quit anyway
    w->SayGoodBye();
    EXPECT_EQ(prompts.asked.size(), 3);
    EXPECT_TRUE(w->exitRequested());
    EXPECT_EQ(readBytes(data.file("gridNon.grd")), kTodo);  // the old file is whole
    lockFolder(data.path(), false);
}

TEST_F(MainWindowTest, TheEndOfTheSessionAsksNothingAndKeepsTheOldFiles)
{
    auto w = make();
    w->show();
    w->gridNonday().setCell(kTodoNotes, 1, u"unsaved");
    lockFolder(data.path(), true);
    w->endSession();
    lockFolder(data.path(), false);
    EXPECT_TRUE(prompts.shown.isEmpty());
    EXPECT_TRUE(w->exitRequested());
    EXPECT_EQ(readBytes(data.file("gridNon.grd")), kTodo);

    // When the disk takes it, the session's end saves like Exit.
    auto w2 = make();
    w2->gridNonday().setCell(kTodoNotes, 1, u"saved at logout");
    w2->endSession();
    Grid todo;
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "saved at logout");
}

TEST_F(MainWindowTest, TripsToTheTraySaveAndSwitchTheClock)
{
    auto w = make();
    w->show();
    EXPECT_TRUE(w->statusText().startsWith("Today is Wednesday"));
    EXPECT_TRUE(w->statusText().contains("2026"));
    w->gridNonday().setCell(kTodoNotes, 1, u"hidden away");

    w->Hidecalendar1Click();
    EXPECT_FALSE(w->timerPool().enabled(w->clockTrigger()));
    Grid todo;
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "hidden away");
    EXPECT_NE(readBytes(data.file("grid.grd")), kUnsortedStore);  // written too

    EXPECT_TRUE(sound.played.isEmpty());  // Hidecalendar1Click leaves a sound alone
    w->TrayIconClick();  // a single click shows the window, the clock stays off
    EXPECT_FALSE(w->timerPool().enabled(w->clockTrigger()));
    w->Hide1Click();
    EXPECT_EQ(sound.played, QStringList({"stop"}));  // Hide stops the alarm sound
    w->Showcalendar1Click();
    EXPECT_TRUE(w->timerPool().enabled(w->clockTrigger()));

    // A save that fails on the way to the tray is told once, not at every trip.
    lockFolder(data.path(), true);
    w->Hidecalendar1Click();
    w->Hidecalendar1Click();
    lockFolder(data.path(), false);
    EXPECT_EQ(errors().size(), 2);  // one for each file
    w->Hidecalendar1Click();        // saves again: the next failure is told anew
    lockFolder(data.path(), true);
    w->Hidecalendar1Click();
    lockFolder(data.path(), false);
    EXPECT_EQ(errors().size(), 4);
}

TEST_F(MainWindowTest, LayoutValuesAndTheResizeMenu)
{
    settings.writeText("", "Split1", "250");
    settings.writeText("", "Split2", "200");
    settings.writeText("", "SplitDay", "90");
    settings.writeText("", "ClientWidth", "780");
    settings.writeText("", "ClientHeight", "500");
    auto w = make();
    w->show();
    w->Timer2Timer();
    EXPECT_FALSE(w->timerPool().enabled(w->layoutTrigger()));
    EXPECT_EQ(w->split1()->sizes()[0], 250);
    EXPECT_EQ(w->split2()->sizes()[0], 200);
    EXPECT_EQ(w->splitDay()->sizes()[0], 90);
    EXPECT_EQ(w->width(), 780);
    const LayoutValues shown = w->currentLayout();
    EXPECT_EQ(shown.clientHeight, 500);

    w->Maximizedailyevents1Click();
    EXPECT_EQ(w->split2()->sizes()[1], 0);
    w->Maximizenondaytasks1Click();
    EXPECT_EQ(w->split2()->sizes()[0], 0);

    // Pointing at a splitter makes its bar blink for fifteen ticks.
    w->N4monthCalendars1Click();
    EXPECT_EQ(w->flashingSplitter(), w->split1());
    EXPECT_TRUE(w->timerPool().enabled(w->layoutTrigger()));
    for (int i = 0; i < 16; ++i)
        w->Timer2Timer();
    EXPECT_EQ(w->flashingSplitter(), nullptr);
    EXPECT_FALSE(w->timerPool().enabled(w->layoutTrigger()));

    w->Recoverscreensizepositions1Click();
    EXPECT_EQ(errors(), QStringList({"Screen has not yet been memorized"}));
    prompts.answers = {1};  // No
    w->Memorizescreensizepositions1Click();
    EXPECT_FALSE(MemorizedLayout::read(settings).done);
    place(w->split1(), 300);
    prompts.answers = {0};  // Yes
    w->Memorizescreensizepositions1Click();
    EXPECT_TRUE(MemorizedLayout::read(settings).done);
    place(w->split1(), 100);
    w->resize(700, 450);
    w->Recoverscreensizepositions1Click();
    EXPECT_EQ(w->split1()->sizes()[0], 300);
    EXPECT_EQ(w->width(), 780);

    w->SayGoodBye();
    LayoutValues saved;
    saved.restore(settings);
    EXPECT_EQ(saved.split1, 300);
    EXPECT_EQ(saved.clientWidth, 780);
}

TEST_F(MainWindowTest, SizesFromTheSettingsAreKeptOnTheScreen)
{
    // Values another screen (or a hand) wrote: the window still paints and
    // stays on the screen.
    settings.writeText("", "ClientWidth", "100000");
    settings.writeText("", "ClientHeight", "90000");
    settings.writeText("", "Split1", "99999");
    settings.writeText("Memorize", "Done", "1");
    settings.writeText("Memorize", "Top", "-5000");
    settings.writeText("Memorize", "Left", "30000");
    settings.writeText("Memorize", "Width", "640");
    settings.writeText("Memorize", "Height", "480");
    auto w = make();
    w->show();
    w->Timer2Timer();
    const QRect area = w->availableArea();
    EXPECT_LE(w->width(), area.width());
    EXPECT_LE(w->height(), area.height());
    EXPECT_LE(w->split1()->sizes()[0], w->width());
    w->Recoverscreensizepositions1Click();
    EXPECT_TRUE(area.contains(w->frameGeometry().topLeft())) << w->frameGeometry().x() << "," << w->frameGeometry().y();
    w->SayGoodBye();
    LayoutValues saved;
    saved.restore(settings);
    EXPECT_LE(saved.clientWidth, area.width());  // and so is what is saved back
}

TEST_F(MainWindowTest, AFailingCommandIsReportedAndTheProgramGoesOn)
{
    auto w = make();
    w->guard([] { throw std::runtime_error("Disk on fire"); });
    EXPECT_EQ(errors(), QStringList({"Disk on fire"}));
    EXPECT_EQ(prompts.beeps, 1);
    // Room for the toolbar and the calendars: 636 pixels at 96 dots an inch.
    EXPECT_GE(w->minimumWidth(), w->logicalDpiX() * 636 / 96);
}

TEST_F(MainWindowTest, ADamagedStoreIsReplacedOnlyWhenThePersonAgrees)
{
    const QByteArray damaged = "6,99999999\r\n0,1,46364.101\r\n";
    writeBytes(data.file("grid.grd"), damaged);
    auto w = make();
    ASSERT_TRUE(w->created());  // the program goes on from memory
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("damaged"));
    w->Hidecalendar1Click();  // the trip to the tray does not write over it
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);
    prompts.answers = {1};    // No: keep the damaged file
    w->SayGoodBye();
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);
    ASSERT_FALSE(prompts.defaults.isEmpty());
    EXPECT_EQ(prompts.defaults.last(), 1) << "Enter alone must not replace the damaged file";

    auto w2 = make();
    prompts.answers = {0};    // Yes: replace it
    w2->SayGoodBye();
    EXPECT_NE(readBytes(data.file("grid.grd")), damaged);
}

TEST_F(MainWindowTest, OptionsAndHelpFromTheMainWindow)
{
    auto w = make();
    w->show();
    runner.responders = {[](QDialog &d) {
        static_cast<TfrmOptions &>(d).rbMinimize->setChecked(true);
        return int(QDialog::Rejected);
    }};
    w->Options2Click();
    EXPECT_EQ(runner.shownTitles, QStringList({"Options"}));
    EXPECT_FALSE(w->options().exitF4);  // read back whatever the answer

    w->Help1Click();
    ASSERT_NE(w->helpWindow(), nullptr);
    EXPECT_TRUE(w->helpWindow()->isVisible());
    EXPECT_EQ(w->helpWindow()->parentWidget(), w.get());

    // Help asked for by a modal dialog opens over it, as its child: the
    // dialog would keep any other window behind it and deaf to the mouse.
    for (void (TfrmMain::*open)() : {&TfrmMain::Options2Click, &TfrmMain::Holidays1Click, &TfrmMain::btFilterClick}) {
        runner.responders = {[&](QDialog &d) {
            d.setWindowModality(Qt::ApplicationModal);
            d.show();
            QPushButton *help = nullptr;
            for (QPushButton *b : d.findChildren<QPushButton *>())
                if (b->text() == "&Help")
                    help = b;
            EXPECT_TRUE(help) << d.windowTitle().toStdString();
            if (help)
                help->click();
            EXPECT_TRUE(w->helpWindow() && w->helpWindow()->isVisible()) << d.windowTitle().toStdString();
            EXPECT_TRUE(w->helpWindow() && w->helpWindow()->parentWidget() == &d) << d.windowTitle().toStdString();
            d.hide();
            return int(QDialog::Rejected);
        }};
        (w.get()->*open)();
    }
    w->Help1Click();
    EXPECT_EQ(w->helpWindow()->parentWidget(), w.get());
}

TEST(Help, EveryTopicTheProgramAsksForHasItsPage)
{
    QSet<int> topics;
    const QRegularExpression asked(QStringLiteral(R"(showHelp\(\s*(\d+)\s*\))"));
    QDirIterator it(QStringLiteral(MORVANE_SOURCE_DIR "/src"), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        for (auto m = asked.globalMatch(QString::fromUtf8(f.readAll())); m.hasNext();)
            topics.insert(m.next().captured(1).toInt());
    }
    EXPECT_TRUE(topics.contains(100) && topics.contains(200) && topics.contains(300) && topics.contains(400))
        << topics.size();
    for (int topic : topics)
        EXPECT_TRUE(QFileInfo::exists(QStringLiteral(MORVANE_SOURCE_DIR "/data/help/%1.html").arg(topic)))
            << "no page for help topic " << topic;
}

namespace {
// A control that counts the hint requests that reach it.
struct HintProbe : QWidget {
    using QWidget::QWidget;
    int asked = 0;
    bool event(QEvent *e) override
    {
        if (e->type() == QEvent::ToolTip)
            ++asked;
        return QWidget::event(e);
    }
};
}  // namespace

TEST_F(MainWindowTest, TheWindowComesBackFromTheTrayAsItWentThere)
{
    auto w = make();
    // Hidden and brought back by a click on the icon, by its menu, or after
    // minimising: maximised when it was, of its own size when it was.
    for (const bool maximised : {true, false}) {
        maximised ? w->showMaximized() : w->showNormal();
        const std::function<void()> aways[] = {[&] { w->Hidecalendar1Click(); }, [&] { w->showMinimized(); }};
        for (const auto &away : aways) {
            for (auto back : {&TfrmMain::TrayIconClick, &TfrmMain::Showcalendar1Click}) {
                away();
                ((*w).*back)();
                EXPECT_EQ(w->isMaximized(), maximised);
                EXPECT_FALSE(w->isMinimized());
                EXPECT_TRUE(w->isVisible());
            }
        }
    }
}

TEST_F(MainWindowTest, TheProgramsIconStandsAtTheEndOfTheTopBar)
{
    auto w = make();
    w->show();
    auto *imIcon = w->findChild<QLabel *>("imIcon");
    ASSERT_TRUE(imIcon);
    EXPECT_TRUE(imIcon->isVisible());
    QWidget *top = w->findChild<QWidget *>("pnlTop");
    ASSERT_TRUE(top);
    EXPECT_TRUE(top->isAncestorOf(imIcon));
    // The plain program icon, not the day of the month, right of the toolbar.
    const QPixmap shown = imIcon->pixmap();
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(shown.toImage(), MakeAppIcon(0).pixmap(shown.size()).toImage());
    const QWidget *bar = w->findChild<QWidget *>("ToolBar1");
    EXPECT_GE(imIcon->mapTo(top, QPoint()).x(), bar->mapTo(top, QPoint(bar->width(), 0)).x());
}

TEST_F(MainWindowTest, FlyByHintsFollowTheOption)
{
    auto w = make();
    w->show();
    auto *probe = new HintProbe(w->centralWidget());
    auto hover = [&] {
        QHelpEvent e(QEvent::ToolTip, QPoint(2, 2), probe->mapToGlobal(QPoint(2, 2)));
        QApplication::sendEvent(probe, &e);
        return probe->asked;
    };
    EXPECT_EQ(hover(), 1);
    w->frmOptions()->cbFlyBy->setChecked(false);
    w->ReadSettings(false);
    EXPECT_EQ(hover(), 1);  // held back
    w->frmOptions()->cbFlyBy->setChecked(true);
    w->ReadSettings(false);
    EXPECT_EQ(hover(), 2);
}

TEST_F(MainWindowTest, HolidaysAreLoadedAtShowAndAfterTheHolidaysWindow)
{
    writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Christmas\r\n1,1,12\r\n2,1,December\r\n3,1,25\r\n");
    auto w = make();
    w->show();
    const QString christmas = w->holidayNameFor(QDate(2026, 12, 25));
    EXPECT_FALSE(christmas.isEmpty());  // the month name is the locale's: English under C and en_US
    runner.responders = {[&](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), "Holidays");
        writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Boxing Day\r\n1,1,12\r\n2,1,December\r\n3,1,26\r\n");
        return int(QDialog::Rejected);
    }};
    w->Holidays1Click();
    EXPECT_TRUE(w->holidayNameFor(QDate(2026, 12, 25)).isEmpty());
    EXPECT_EQ(w->holidayNameFor(QDate(2026, 12, 26)), "Boxing Day");

    // A holiday made today shows in the heading as the window closes.
    EXPECT_FALSE(w->dayHeadingIsHoliday());
    runner.responders = {[&](QDialog &) {
        writeBytes(data.file("holiday.grd"), "4,2\r\n0,1,Mid-week\r\n1,1,12\r\n2,1,December\r\n3,1,9\r\n");
        return int(QDialog::Rejected);
    }};
    w->Holidays1Click();
    EXPECT_TRUE(w->dayHeadingIsHoliday());
    EXPECT_TRUE(w->dayHeading().startsWith("Mid-week")) << w->dayHeading().toStdString();
}

TEST_F(MainWindowTest, KeysAndTriggersThatMustAlwaysWork)
{
    auto w = make();
    // The triggers run from creation, also before the window is ever shown.
    EXPECT_TRUE(w->timerPool().running());
    EXPECT_TRUE(w->timerPool().enabled(w->minuteTrigger()));
    w->show();
    QApplication::setActiveWindow(w.get());

    // Maximize gives the focus to the list itself.
    w->Maximizedailyevents1Click();
    EXPECT_EQ(w->focusWidget(), w->dayView());
    w->Maximizenondaytasks1Click();
    EXPECT_EQ(w->focusWidget(), w->todoView());

    // Hidden with Hide, a single click shows the window with the clock
    // stopped; midnight still moves the day on.
    w->Hide1Click();
    w->TrayIconClick();
    EXPECT_FALSE(w->timerPool().enabled(w->clockTrigger()));
    clock.set(QDateTime(QDate(2026, 12, 10), QTime(0, 0, 30)));
    w->timerPool().dispatch(w->timerPool().now() + 60000);
    EXPECT_TRUE(w->dayHeading().contains("Yesterday")) << w->dayHeading().toStdString();

    // Alt+H hides, every time: no menu takes the same mnemonic.
    w->Showcalendar1Click();
    w->dayView()->setFocus();
    QTest::keyClick(w->dayView(), Qt::Key_H, Qt::AltModifier);
    EXPECT_FALSE(w->timerPool().enabled(w->clockTrigger()));
    for (QAction *menu : w->menuBar()->actions())
        EXPECT_FALSE(menu->text().contains("&H")) << menu->text().toStdString();
}

TEST_F(MainWindowTest, ListColumnsShowTheirWholeTexts)
{
    writeBytes(data.file("grid.grd"), "6,2\r\n0,1,46365.101\r\n1,1,10:10 AM\r\n2,1,Correspondence\r\n"
                                      "3,1,Letters\r\n4,1,No\r\n5,1,Yes\r\n");
    settings.writeText("Options", "GridFontSize", "16");
    settings.sync();
    auto w = make();
    w->resize(700, 500);
    w->show();
    w->Timer2Timer();
    QTableView *v = w->dayView();
    const QFontMetrics fm(v->font());
    for (int c : {int(kDayTime), int(kDayCategory), int(kDayDone), int(kDayAlarm)}) {
        const QString text = v->model()->index(0, c).data().toString();
        EXPECT_GE(v->columnWidth(c), fm.horizontalAdvance(text)) << text.toStdString();
        const QString heading = v->model()->headerData(c, Qt::Horizontal).toString();
        EXPECT_GE(v->columnWidth(c), QFontMetrics(v->horizontalHeader()->font()).horizontalAdvance(heading));
    }
    // Too narrow for everything: the list scrolls sideways, nothing is cut.
    w->split1()->setSizes({600, 100});
    w->ResizeGridDay();
    EXPECT_GE(v->columnWidth(kDayAlarm), fm.horizontalAdvance("Yes"));
    EXPECT_NE(v->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
}

TEST_F(MainWindowTest, TheCategoriesCommandEditsThePickList)
{
    writeBytes(data.file("category.xxx"), "Work\r\nHome\r\n");
    auto w = make();
    runner.responders = {[](QDialog &d) {
        EXPECT_EQ(d.windowTitle(), "Edit Category Choices");
        return int(QDialog::Rejected);
    }};
    w->Categories1Click();
    EXPECT_EQ(readBytes(data.file("category.xxx")), "Work\r\nHome\r\n");  // Cancel writes nothing

    // Home hidden by the filter; the filter follows the saved list at once.
    runner.responders = {[](QDialog &d) {
        auto &f = dynamic_cast<TfrmFilter &>(d);
        f.cbWhat->item(1)->setCheckState(Qt::Unchecked);
        f.btOK->click();
        return f.result();
    }};
    w->btFilterClick();
    EXPECT_EQ(w->filterCaption(), "FILTERS ON");
    prompts.answers = {0};  // Yes, clear
    runner.responders = {[](QDialog &d) {
        auto &list = static_cast<TfrmListBox &>(d);
        EXPECT_EQ(list.items(), QStringList({"Home", "Work"}));
        list.btClearClick();
        return int(QDialog::Accepted);
    }};
    w->Categories1Click();
    EXPECT_EQ(readBytes(data.file("category.xxx")), "");
    EXPECT_EQ(w->frmFilter()->cbWhat->count(), 0);
    EXPECT_EQ(w->filterCaption(), "Filters");
}

// A task file edited elsewhere with LF line ends keeps every task through
// a start and a save.
TEST_F(MainWindowTest, AnLfOnlyTaskFileKeepsItsTasks)
{
    writeBytes(data.file("gridNon.grd"), "3,3\n0,0,Category\n1,1,First\n1,2,Second\n");
    auto w = make();
    ASSERT_TRUE(w->created());
    EXPECT_EQ(w->gridNonday().cell(kTodoNotes, 2), "Second");
    w->SayGoodBye();
    const QByteArray saved = readBytes(data.file("gridNon.grd"));
    EXPECT_TRUE(saved.contains("1,1,First\r\n1,2,Second\r\n")) << saved.toStdString();
}


TEST_F(MainWindowTest, ADamagedFileIsToldOnceKeptAndOnlyReplacedWithEveryTaskItGaveUp)
{
    // 163 tasks under a size line that claims two rows.
    QByteArray damaged = StoreOfTasks(163);
    damaged = "6,2" + damaged.mid(damaged.indexOf("\r\n"));
    writeBytes(data.file("grid.grd"), damaged);
    auto w = make();
    ASSERT_TRUE(w->created());
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("grid.grd")) << errors()[0].toStdString();
    EXPECT_TRUE(errors()[0].contains("beyond the rows 0 to 1 its size line gives")) << errors()[0].toStdString();
    EXPECT_TRUE(errors()[0].contains("backups")) << errors()[0].toStdString();
    EXPECT_EQ(readBytes(data.file("backups/grid-2026-12-09-damaged.grd")), damaged);
    EXPECT_EQ(TasksIn(w->store().grid()), 163);  // every task is there to see

    w->show();
    w->Hidecalendar1Click();
    w->Showcalendar1Click();
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);
    EXPECT_EQ(errors().size(), 1);  // told once

    // The end of the session asks nothing and leaves the file.
    w->endSession();
    EXPECT_TRUE(w->ended());
    EXPECT_EQ(prompts.asked.size(), 0);
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);

    // At Exit the person agrees: all 163 go back into a whole file.
    auto w2 = make();
    prompts.answers = {0};
    w2->SayGoodBye();
    Grid store;
    ASSERT_TRUE(LoadGridFile(store, data.file("grid.grd")).ok);
    EXPECT_EQ(TasksIn(store), 163);
}

TEST_F(MainWindowTest, EachWayOutSavesOnce)
{
    // Exit: a failing save asks once; the close that ends the program after
    // it neither saves nor asks again.
    auto w = make();
    w->show();
    lockFolder(data.path(), true);
    prompts.answers = {1};  // quit without saving
    w->SayGoodBye();
    EXPECT_TRUE(w->ended());
    EXPECT_EQ(prompts.asked.size(), 1);
    QCloseEvent close;
    QApplication::sendEvent(w.get(), &close);
    EXPECT_TRUE(close.isAccepted());
    EXPECT_EQ(prompts.asked.size(), 1);
    w->endSession();  // a signal on top of it all
    EXPECT_EQ(prompts.asked.size(), 1);

    // The end of the session: nothing is asked, before or after.
    auto w2 = make();
    w2->show();
    w2->endSession();
    QCloseEvent close2;
    QApplication::sendEvent(w2.get(), &close2);
    EXPECT_TRUE(close2.isAccepted());
    lockFolder(data.path(), false);
    EXPECT_EQ(prompts.asked.size(), 1);
    EXPECT_TRUE(errors().isEmpty());
    EXPECT_EQ(readBytes(data.file("grid.grd")), kUnsortedStore);
}

TEST_F(MainWindowTest, StartClearsLeftoversAndTheDaysFirstSaveKeepsACopy)
{
    writeBytes(data.file(".grid.grd.morvane-Ab12Cd"), "half a save");
    writeBytes(data.file(".gridNon.grd.x1y2z3"), "half a save");
    auto w = make();
    ASSERT_TRUE(w->created());
    EXPECT_EQ(data.entries(), QStringList({"grid.grd", "gridNon.grd"}));

    w->gridNonday().setCell(kTodoNotes, 1, u"changed today");
    w->Hidecalendar1Click();
    EXPECT_EQ(readBytes(data.file("backups/grid-2026-12-09.grd")), kUnsortedStore);
    EXPECT_EQ(readBytes(data.file("backups/gridNon-2026-12-09.grd")), kTodo);
    Grid todo;
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "changed today");

    // A folder that takes no copies is told once and the saves go on.
    QFile::remove(data.file("backups/grid-2026-12-09.grd"));
    QFile::remove(data.file("backups/gridNon-2026-12-09.grd"));
    QDir(data.file("backups")).removeRecursively();
    writeBytes(data.file("backups"), "not a folder");
    auto w2 = make();
    w2->gridNonday().setCell(kTodoNotes, 1, u"saved anyway");
    w2->Hidecalendar1Click();
    w2->Hidecalendar1Click();
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("backups"));
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cell(kTodoNotes, 1), "saved anyway");
}

TEST_F(MainWindowTest, HugeCellsAreShownCutAndKeptWhole)
{
    // A to-do task of 150 MiB: drawn without taking the program down, and
    // saved back byte for byte.
    const qsizetype size = qsizetype(150) << 20;
    {
        QByteArray todo = "3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n1,1,";
        todo.append(QByteArray(size, 'x'));
        todo.append("\r\n2,1,No\r\n");
        writeBytes(data.file("gridNon.grd"), todo);
    }
    // A dated task today whose notes are too long to edit in the pane.
    const QString longNotes = QString(kShownChars + 500, u'n');
    writeBytes(data.file("grid.grd"), "6,2\r\n0,1,46365.101\r\n1,1,9:00 AM\r\n3,1," + longNotes.toUtf8() +
                                          "\r\n4,1,No\r\n5,1,No\r\n");
    auto w = make();
    ASSERT_TRUE(w->created());
    w->resize(900, 700);
    w->show();
    w->Timer2Timer();
    const QImage shot = w->grab().toImage();  // paints both lists
    EXPECT_FALSE(shot.isNull());
    const QString shownTodo = w->todoView()->model()->index(0, kTodoNotes).data().toString();
    EXPECT_EQ(shownTodo.size(), kShownChars + 1);

    w->selectDayRow(1);
    EXPECT_TRUE(w->notesPane()->isReadOnly());
    EXPECT_EQ(w->notesPane()->toPlainText().size(), kShownChars + 1);
    w->notesPane()->document()->setModified(true);
    w->commitNotes();
    EXPECT_EQ(w->store().grid().cell(kStoreNotes, 1), longNotes);

    w->SayGoodBye();
    Grid todo;
    ASSERT_TRUE(LoadGridFile(todo, data.file("gridNon.grd")).ok);
    EXPECT_EQ(todo.cellUtf8(kTodoNotes, 1).size(), size);
}

TEST_F(MainWindowTest, AnEmptyDaysBlankRowIsNotDrawnSelected)
{
    auto w = make();
    w->resize(760, 500);
    w->show();
    w->Timer2Timer();
    QApplication::setActiveWindow(w.get());
    auto rowColour = [&] {
        QTableView *v = w->dayView();
        v->setFocus();
        const QImage img = v->viewport()->grab().toImage();
        return img.pixelColor(v->columnViewportPosition(2) + 3, v->rowViewportPosition(0) + v->rowHeight(0) / 2);
    };
    const QColor highlight = w->dayView()->palette().color(QPalette::Active, QPalette::Highlight);
    w->selectDayRow(1);
    EXPECT_EQ(rowColour(), highlight);  // a task's row shows its selection
    w->calendar(w->currentCalendar())->setDate(QDate(2026, 12, 20));
    w->selectDayRow(1);
    EXPECT_NE(rowColour(), highlight);
}

TEST_F(MainWindowTest, ACancelledOptionIsNotInForceAndASingleRowKeepsItsSortMark)
{
    auto w = make();
    w->show();
    // The options window is left with Confirm unchecked but cancelled: the
    // main window goes on asking before deleting.
    runner.responders = {[](QDialog &d) {
        d.findChild<QCheckBox *>("cbConfirm")->setChecked(false);
        return int(QDialog::Rejected);
    }};
    w->Options2Click();
    w->selectDayRow(1);
    prompts.answers = {1};  // No
    w->btDelClick(TfrmMain::Sender::tbDel1);
    ASSERT_FALSE(prompts.shown.isEmpty());
    EXPECT_TRUE(prompts.shown.last().text.startsWith("Really delete"));

    // A header click on a list of one task flips no sort mark.
    QHeaderView *header = w->dayView()->horizontalHeader();
    const auto before = header->sortIndicatorOrder();
    header->sectionClicked(0);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(0) + 5, 5));
    EXPECT_EQ(header->sortIndicatorOrder(), before);
    EXPECT_EQ(header->sortIndicatorSection(), 0);
}

TEST_F(MainWindowTest, ALargeCalendarFontShrinksToWhatTheCellsHold)
{
    settings.writeText("Options", "CalFontSize", "40");
    settings.sync();
    auto w = make();
    w->resize(700, 460);
    w->show();
    w->Timer2Timer();
    for (int i = 0; i < 4; ++i) {
        const MonthCalendar *c = w->calendar(i);
        const QFontMetrics cell(c->cellFont);
        EXPECT_LE(cell.height(), c->height() / 8);
        EXPECT_LE(cell.horizontalAdvance("30"), c->width() / 7);
        EXPECT_LE(QFontMetrics(c->monthLabelFont).horizontalAdvance(QLocale().monthName(11) + " 2026"), c->width());
    }
}

// The windows the first paint does not need are made when first wanted (the
// tray icon and the completed tasks right after the first paint): until then
// the options in force are the stored ones, and each window opens as if it
// had been there from the start.
TEST_F(MainWindowTest, WindowsTheFirstPaintDoesNotNeedComeWhenFirstWanted)
{
    setOption("Sunday", "0");
    setOption("AlarmMin", "15");
    setOption("Shadows", "0");
    setOption("qPopup", "0");
    auto w = make();
    EXPECT_EQ(w->findChild<TfrmOptions *>(), nullptr);
    EXPECT_EQ(w->findChild<QMenu *>("popPopup"), nullptr);
    EXPECT_EQ(w->findChild<QFrame *>("pnlPop"), nullptr);
    EXPECT_EQ(w->findChild<TfrmPrint *>(), nullptr);
    EXPECT_EQ(w->findChild<TfrmComplete *>(), nullptr);
    EXPECT_EQ(w->findChild<QSystemTrayIcon *>(), nullptr);
    EXPECT_EQ(w->options().alarmMin, 15);

    // The first paint, and what the event loop does after it.
    w->show();
    EXPECT_EQ(w->calendar(1)->startOfWeek(), Qt::Monday);
    for (int i = 0; i < 10 && !w->firstPaintDone(); ++i)
        QCoreApplication::processEvents();
    ASSERT_TRUE(w->firstPaintDone());
    QCoreApplication::sendPostedEvents(w.get(), QEvent::MetaCall);
    EXPECT_NE(w->findChild<QSystemTrayIcon *>(), nullptr);
    EXPECT_NE(w->findChild<TfrmComplete *>(), nullptr);
    EXPECT_EQ(w->findChild<TfrmOptions *>(), nullptr);

    // The options dialog holds the stored options; cancelling it changes
    // nothing in force.
    bool asked = false;
    runner.responders = {[&](QDialog &d) {
        auto &o = dynamic_cast<TfrmOptions &>(d);
        EXPECT_EQ(o.edMin->value(), 15);
        EXPECT_TRUE(o.rbMon->isChecked());
        EXPECT_FALSE(o.cbShadow->isChecked());
        asked = true;
        return int(QDialog::Rejected);
    }};
    w->Options2Click();
    EXPECT_TRUE(asked);
    EXPECT_EQ(w->options().alarmMin, 15);
    EXPECT_EQ(w->calendar(1)->startOfWeek(), Qt::Monday);

    // The heading without shadows, as the options say.
    int depth = -1;
    runner.responders = {[&](QDialog &d) {
        depth = dynamic_cast<TfrmComplete &>(d).lblCompTitle->shadowDepth();
        return int(QDialog::Rejected);
    }};
    w->ViewCompletedTasks1Click();
    EXPECT_EQ(depth, 1);

    // The range dialog, made a day later, still offers the day of the start.
    clock.set(clock.now().addDays(1));
    QDate offered;
    runner.responders = {[&](QDialog &d) {
        offered = dynamic_cast<TfrmPrint &>(d).dt1->date();
        return int(QDialog::Rejected);
    }};
    w->Print1Click();
    EXPECT_EQ(offered, QDate(2026, 12, 9));

    // The calendars' menu, made at the first right click, shows the summary
    // switched off as stored, and switches it on.
    MonthCalendar *c = w->calendar(1);
    QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, c->rect().center(), c->mapToGlobal(c->rect().center()));
    QApplication::sendEvent(c, &menuKey);
    auto *menu = w->findChild<QMenu *>("popPopup");
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    ASSERT_EQ(menu->actions().size(), 2);
    EXPECT_FALSE(menu->actions()[0]->isChecked());
    EXPECT_TRUE(menu->actions()[1]->isChecked());
    menu->actions()[0]->trigger();
    menu->hide();
    EXPECT_TRUE(w->options().qPopup);
    EXPECT_TRUE(menu->actions()[0]->isChecked());
    EXPECT_EQ(settings.raw("Options", "qPopup"), "1");
}
