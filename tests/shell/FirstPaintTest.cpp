// The first paint from the rows of the shown months, read straight from the
// task file while the whole store loads on its thread.

#include "MainWindowFixture.h"
#include "TestStores.h"

#include <QImage>
#include <chrono>
#include <future>

namespace morvane {
namespace {

class FirstPaintTest : public MainWindowFixture {
protected:
    // The load waits on its thread until letLoad(): what the window does
    // before it arrives is then the same on every run.
    std::promise<void> go;
    std::shared_future<void> gate = go.get_future().share();
    bool released = false;
    void letLoad()
    {
        if (!released)
            go.set_value();
        released = true;
    }
    ~FirstPaintTest() override { letLoad(); }

    std::unique_ptr<TfrmMain> makeHeld()
    {
        MainServices services{clock, prompts, runner, settings, sound, data.path(), "/opt/morvane/morvane",
                              release, {}, &notifier, &launcher};
        // A test that went wrong ends instead of waiting for ever.
        services.beforeStoreLoad = [g = gate] { (void)g.wait_for(std::chrono::seconds(60)); };
        return std::make_unique<TfrmMain>(std::move(services));
    }

    // Tasks on most days from a year before 9 December 2026 to three
    // months after it, some done, and one task far beyond in 2028.
    static QByteArray YearOfTasks(bool farTask = true)
    {
        Grid g = NewStoreGrid();
        const int today = 46365;
        int r = 1;
        for (int day = today - 365; day <= today + 90; ++day) {
            if (day % 7 == 3)
                continue;  // days without tasks
            for (int k = 0; k < 1 + day % 3; ++k) {
                g.setRowCount(r + 1);
                g.setCell(kStoreKey, r, MakeStoreKey(day, 101 + k));
                g.setCell(kStoreTime, r, QStringLiteral("%1:00 AM").arg(8 + k));
                g.setCell(kStoreCategory, r, k ? u"Home" : u"Work");
                g.setCell(kStoreNotes, r, QStringLiteral("Task %1 of day %2").arg(k).arg(day));
                g.setCell(kStoreDone, r, (day + k) % 4 ? u"No" : u"Yes");
                g.setCell(kStoreAlarm, r, u"No");
                ++r;
            }
        }
        if (farTask) {
            g.setRowCount(r + 1);
            g.setCell(kStoreKey, r, MakeStoreKey(DayNumber(QDate(2028, 6, 1)), 101));
            g.setCell(kStoreTime, r, u"9:00 AM");
            g.setCell(kStoreNotes, r, u"Far away");
            g.setCell(kStoreDone, r, u"No");
            g.setCell(kStoreAlarm, r, u"No");
        }
        return GridFileBytes(g);
    }
    void writeTodo() { writeBytes(data.file("gridNon.grd"), "3,2\r\n1,1,Buy milk\r\n"); }
};

TEST_F(FirstPaintTest, TheFirstPaintBeforeTheLoadShowsWhatTheWholeStoreShows)
{
    writeBytes(data.file("grid.grd"), YearOfTasks());
    writeTodo();
    auto w = makeHeld();
    ASSERT_TRUE(w->created());
    w->show();
    const QImage firstLook = w->grab().toImage();  // paints the calendars and the day list
    ASSERT_TRUE(w->firstPaintDone());
    ASSERT_TRUE(w->storeLoading()) << "painted from the whole store";
    const Grid dayBefore = w->gridDay();
    ASSERT_EQ(dayBefore.cell(kDayNotes, 1), "Task 0 of day 46365");
    const QString title = w->windowTitle(), status = w->statusText();

    letLoad();
    Grid whole;
    ASSERT_TRUE(LoadGridBytes(whole, YearOfTasks(), "grid.grd").ok);
    EXPECT_EQ(TasksIn(w->store().grid()), TasksIn(whole));  // waits for the whole store
    EXPECT_FALSE(w->storeLoading());
    EXPECT_EQ(w->grab().toImage(), firstLook);
    ASSERT_EQ(w->gridDay().rowCount(), dayBefore.rowCount());
    for (int r = 0; r < dayBefore.rowCount(); ++r)
        for (int c = 0; c < kDayCols; ++c)
            EXPECT_EQ(w->gridDay().cell(c, r), dayBefore.cell(c, r)) << c << "," << r;
    EXPECT_EQ(w->windowTitle(), title);
    EXPECT_EQ(w->statusText(), status);
    EXPECT_TRUE(errors().isEmpty());
}

// The store's thread does not share the processor with the first paint:
// it begins once the window has painted, from the event loop.
TEST_F(FirstPaintTest, TheWholeStoreBeginsToLoadOnlyAfterTheFirstPaint)
{
    writeBytes(data.file("grid.grd"), YearOfTasks());
    writeTodo();
    std::promise<void> began;
    std::future<void> beganF = began.get_future();
    MainServices services{clock, prompts, runner, settings, sound, data.path(), "/opt/morvane/morvane",
                          release, {}, &notifier, &launcher};
    services.beforeStoreLoad = [&] { began.set_value(); };
    auto w = std::make_unique<TfrmMain>(std::move(services));
    w->show();
    (void)w->grab();
    ASSERT_TRUE(w->firstPaintDone());
    EXPECT_EQ(beganF.wait_for(std::chrono::milliseconds(50)), std::future_status::timeout);
    EXPECT_TRUE(w->storeLoading());
    QCoreApplication::processEvents();  // what the first paint left for the event loop
    EXPECT_EQ(beganF.wait_for(std::chrono::milliseconds(0)), std::future_status::ready);
    EXPECT_FALSE(w->storeLoading());
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(FirstPaintTest, ACommandBeforeTheLoadActsOnTheWholeStore)
{
    writeBytes(data.file("grid.grd"), YearOfTasks());
    writeTodo();
    auto w = makeHeld();
    w->show();
    (void)w->grab();
    ASSERT_TRUE(w->storeLoading());
    letLoad();
    QApplication::setActiveWindow(w.get());
    // Ctrl+N from highlighted day to highlighted day, past the months read
    // first: the last days and the task in 2028 are only in the whole store.
    for (int i = 0; i < 200 && w->selectedDay() < QDate(2028, 1, 1); ++i)
        QTest::keyClick(w.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2028, 6, 1));
    EXPECT_EQ(w->gridDay().cell(kDayNotes, 1), "Far away");
    // The way out saves every task.
    w->SayGoodBye();
    Grid saved;
    ASSERT_TRUE(LoadGridFile(saved, data.file("grid.grd")).ok);
    Grid whole;
    ASSERT_TRUE(LoadGridBytes(whole, YearOfTasks(), "grid.grd").ok);
    EXPECT_EQ(TasksIn(saved), TasksIn(whole));
}

TEST_F(FirstPaintTest, ADamageTheFirstLookCannotSeeIsReportedWhenTheStoreArrives)
{
    // A garbled line among the tasks of a year ago, far from the months shown.
    QByteArray damaged = YearOfTasks();
    const qsizetype at = damaged.indexOf("\r\n", damaged.indexOf("46010.101")) + 2;
    damaged.insert(at, "garbled line\r\n");
    writeBytes(data.file("grid.grd"), damaged);
    writeTodo();
    auto w = makeHeld();
    w->show();
    (void)w->grab();
    ASSERT_TRUE(w->storeLoading());
    EXPECT_TRUE(errors().isEmpty());
    letLoad();
    QTest::keyClick(w.get(), Qt::Key_N, Qt::ControlModifier);  // any command waits for the store
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("grid.grd")) << errors()[0].toStdString();
    EXPECT_TRUE(errors()[0].contains("damaged")) << errors()[0].toStdString();
    EXPECT_TRUE(errors()[0].contains("backups")) << errors()[0].toStdString();
    EXPECT_EQ(readBytes(data.file("backups/grid-2026-12-09-damaged.grd")), damaged);
    // Never saved over without the person's word.
    w->endSession();
    EXPECT_EQ(readBytes(data.file("grid.grd")), damaged);
}

TEST_F(FirstPaintTest, AFileNotInOrderOrCutShortIsWaitedForAsBefore)
{
    // The rows of a year, the days running backwards.
    Grid g;
    ASSERT_TRUE(LoadGridBytes(g, YearOfTasks(), "grid.grd").ok);
    for (int r = 1; r < g.rowCount(); ++r)
        g.moveRow(g.rowCount() - 1, r);
    writeBytes(data.file("grid.grd"), GridFileBytes(g));
    writeTodo();
    {
        auto w = makeMain();
        ASSERT_TRUE(w->created());
        EXPECT_FALSE(w->storeLoading()) << "painted from a file not in order";
        w->show();
        EXPECT_EQ(w->gridDay().cell(kDayNotes, 1), "Task 0 of day 46365");
        w->endSession();
    }
    // Cut short: reported before the window shows, as ever.
    const QByteArray cut = YearOfTasks().chopped(5);
    writeBytes(data.file("grid.grd"), cut);
    auto w = makeMain();
    ASSERT_TRUE(w->created());
    EXPECT_FALSE(w->storeLoading());
    ASSERT_EQ(errors().size(), 1);
    EXPECT_TRUE(errors()[0].contains("damaged")) << errors()[0].toStdString();
    w->endSession();
    EXPECT_EQ(readBytes(data.file("grid.grd")), cut);
}

}  // namespace
}  // namespace morvane
