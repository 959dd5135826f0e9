#include "Colors.h"
#include "ScreenPlacement.h"
#include "ColorPicker.h"
#include "HelpWindow.h"
#include "MonthCalendar.h"
#include "SoundPlayer.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialog>
#include <QFileInfo>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>

using namespace morvane;

TEST(MonthGrid, CellsFollowTheWeekStart)
{
    // December 2026 begins on a Tuesday.
    MonthGrid g{QDate(2026, 12, 9), Qt::Sunday};
    EXPECT_EQ(g.firstCell(), 3);
    EXPECT_EQ(g.dateOfCell(3), QDate(2026, 12, 1));
    EXPECT_EQ(g.dateOfCell(1), QDate(2026, 11, 29));   // the neighbouring month
    EXPECT_EQ(g.dateOfCell(42), QDate(2027, 1, 9));
    EXPECT_EQ(g.cellOfDate(QDate(2026, 12, 31)), 33);
    EXPECT_EQ(g.cellOfDate(QDate(2027, 1, 1)), 0);
    EXPECT_TRUE(g.inMonth(33));
    EXPECT_FALSE(g.inMonth(34));
    g.startOfWeek = Qt::Monday;
    EXPECT_EQ(g.firstCell(), 2);
    // A month starting on the week's first day starts in cell 1.
    EXPECT_EQ((MonthGrid{QDate(2026, 11, 15), Qt::Sunday}).firstCell(), 1);
    EXPECT_EQ((MonthGrid{QDate(2026, 6, 15), Qt::Monday}).firstCell(), 1);
}

TEST(MonthCalendar, DateStepsKeepWithinTheMonth)
{
    MonthCalendar cal;
    cal.setDate(QDate(2026, 1, 31));
    QSignalSpy months(&cal, &MonthCalendar::monthChanged);
    QSignalSpy years(&cal, &MonthCalendar::yearChanged);
    QSignalSpy dates(&cal, &MonthCalendar::dateChanged);
    cal.nextMonth();
    EXPECT_EQ(cal.date(), QDate(2026, 2, 28));
    cal.setDate(QDate(2024, 1, 31));
    cal.nextMonth();
    EXPECT_EQ(cal.date(), QDate(2024, 2, 29));
    cal.nextYear();
    EXPECT_EQ(cal.date(), QDate(2025, 2, 28));
    cal.priorMonth();
    EXPECT_EQ(cal.date(), QDate(2025, 1, 28));
    cal.addDays(7);
    EXPECT_EQ(cal.date(), QDate(2025, 2, 4));
    cal.addDays(-1);
    cal.setDay(20);
    EXPECT_EQ(cal.date(), QDate(2025, 2, 20));
    cal.setDay(31);  // no such day: unchanged
    EXPECT_EQ(cal.date(), QDate(2025, 2, 20));
    cal.setDate(QDate(2024, 2, 29));
    cal.setYear(2023);
    EXPECT_EQ(cal.date(), QDate(2023, 2, 28));
    EXPECT_EQ(dates.count(), 10);
    EXPECT_GE(months.count(), 6);
    EXPECT_EQ(years.count(), 4);
}

TEST(MonthCalendar, HitTestingAndOwnerDrawing)
{
    MonthCalendar cal;
    cal.setDate(QDate(2026, 12, 9));
    cal.resize(280, 240);
    cal.show();
    for (int n : {1, 7, 8, 33, 42}) {
        const QRect r = cal.cellRect(n);
        ASSERT_FALSE(r.isEmpty());
        EXPECT_EQ(cal.cellAt(r.center()), n);
    }
    EXPECT_EQ(cal.cellAt(QPoint(1, 1)), 0);  // the labels, not a cell

    // A click selects the day under it; a double click reports the cell.
    QSignalSpy dbl(&cal, &MonthCalendar::cellDoubleClicked);
    QTest::mouseClick(&cal, Qt::LeftButton, {}, cal.cellRect(33).center());
    EXPECT_EQ(cal.date(), QDate(2026, 12, 31));
    QTest::mouseDClick(&cal, Qt::LeftButton, {}, cal.cellRect(3).center());
    ASSERT_EQ(dbl.count(), 1);
    EXPECT_EQ(dbl[0][2].toInt(), 3);
    EXPECT_EQ(dbl[0][3].toInt(), 1);

    // The owner is asked for every cell, with the default drawing off.
    int asked = 0, selected = 0;
    cal.setDrawCell([&](QPainter &, const MonthCalendar::Cell &c, bool &defaultDraw) {
        EXPECT_FALSE(defaultDraw);
        ++asked;
        selected += c.selected ? 1 : 0;
        defaultDraw = true;
    });
    QImage img(cal.size(), QImage::Format_ARGB32);
    cal.render(&img);
    EXPECT_EQ(asked, 42);
    EXPECT_EQ(selected, 1);
}

TEST(ColorPicker, NamedColoursCustomAndOther)
{
    ColorPicker p;
    p.setSelected(0x00FFFF);  // yellow, 0x00BBGGRR
    EXPECT_EQ(p.currentText(), "Yellow");
    EXPECT_EQ(ToQColor(0x00FFFF), QColor(255, 255, 0));
    EXPECT_EQ(FromQColor(QColor(0, 0, 255)), 0xFF0000u);
    p.setSelected(0x123456);
    EXPECT_EQ(p.currentText(), "Custom");
    EXPECT_EQ(p.selected(), 0x123456u);

    QSignalSpy chosen(&p, &ColorPicker::colorChosen);
    p.setChooseOther([](const QColor &) { return std::optional<QColor>(QColor(1, 2, 3)); });
    emit p.activated(p.count() - 1);  // "Other..."
    EXPECT_EQ(p.selected(), FromQColor(QColor(1, 2, 3)));
    p.setChooseOther([](const QColor &) { return std::optional<QColor>(); });
    emit p.activated(p.count() - 1);  // cancelled: the colour stays
    EXPECT_EQ(p.selected(), FromQColor(QColor(1, 2, 3)));
    emit p.activated(0);
    EXPECT_EQ(p.selected(), 0u);  // Black
    EXPECT_EQ(chosen.count(), 3);
}

TEST(HelpWindow, ShowsTheTopicsPages)
{
    HelpWindow help({QStringLiteral(MORVANE_SOURCE_DIR "/data")});
    EXPECT_TRUE(help.showTopic(100));
    EXPECT_TRUE(help.currentText().contains("The main window"));
    EXPECT_TRUE(help.showTopic(400));
    EXPECT_TRUE(help.currentText().contains("Screen Appearance"));
    EXPECT_FALSE(help.showTopic(999));
    EXPECT_TRUE(help.currentText().contains("missing"));
}

// Without an audio device a sound is silence, never an error or a wait.
TEST(SoundPlayer, AnInstalledProgramLoadsItsSoundModuleFromItsOwnLibraryFolderOnly)
{
    const QStringList installed = SoundModulePlaces(QStringLiteral("/usr/bin"));
    ASSERT_EQ(installed.size(), 1);
    EXPECT_TRUE(installed[0].startsWith(QStringLiteral("/usr/lib"))) << installed[0].toStdString();
    EXPECT_TRUE(installed[0].contains(QStringLiteral("/morvane/"))) << installed[0].toStdString();
    // A program of this build also finds the module where the build made it.
    const QStringList built = SoundModulePlaces(QCoreApplication::applicationDirPath());
    ASSERT_EQ(built.size(), 2);
    EXPECT_TRUE(QFileInfo::exists(built[1])) << built[1].toStdString();
}

TEST(SoundPlayer, PlaysAndStopsWithoutAnAudioDevice)
{
    qputenv("QT_MEDIA_BACKEND", "gstreamer");
    QtSoundPlayer player;
    const QString wav = QStringLiteral(MORVANE_SOURCE_DIR "/data/alarm.wav");
    EXPECT_FALSE(player.outputLoaded());  // nothing loaded before the first sound
    player.playFile(wav, true);
    EXPECT_TRUE(player.outputLoaded());
    EXPECT_EQ(player.source(), QUrl::fromLocalFile(wav));
    EXPECT_TRUE(player.looping());
    player.playResource(QStringLiteral("CHIMES"));  // replaces the looping sound, plays once
    EXPECT_EQ(player.source(), QUrl(QStringLiteral("qrc:/sounds/CHIMES.wav")));
    EXPECT_FALSE(player.looping());
    player.stop();
    player.playFile(QStringLiteral("/no/such/file.wav"), false);  // silence, not an error
    EXPECT_EQ(player.source(), QUrl::fromLocalFile(QStringLiteral("/no/such/file.wav")));
    EXPECT_FALSE(player.looping());
    player.stop();
}

TEST(StoredColours, RgbAndSystemColours)
{
    EXPECT_EQ(ToQColor(0x000000FFu), QColor(255, 0, 0));  // 0x00BBGGRR
    EXPECT_EQ(ToQColor(0x00FF8000u), QColor(0, 128, 255));
    EXPECT_EQ(FromQColor(QColor(0, 128, 255)), 0x00FF8000u);
    QPalette p;
    p.setColor(QPalette::Button, QColor(10, 20, 30));
    p.setColor(QPalette::Base, QColor(40, 50, 60));
    p.setColor(QPalette::Highlight, QColor(70, 80, 90));
    // The system-colour bit and an index: the palette's colour for the role,
    // not the low bits read as a near-black colour.
    EXPECT_EQ(ToQColor(0x8000000Fu, p), QColor(10, 20, 30));  // button face
    EXPECT_EQ(ToQColor(0x80000005u, p), QColor(40, 50, 60));  // window
    EXPECT_EQ(ToQColor(0x8000000Du, p), QColor(70, 80, 90));  // highlight
}

TEST(ScreenPlacement, TheWholeFrameGoesOnTheScreen)
{
    const QRect area(0, 0, 800, 600);
    const QMargins frame(4, 24, 4, 4);  // a title bar and a border
    // Taller than the screen: shrunk, with the title bar at the top.
    EXPECT_EQ(PlaceFrame(QRect(100, -300, 500, 2000), frame, area, {}), QRect(100, 24, 500, 572));
    // One that fits is only moved in from the edges, frame included.
    EXPECT_EQ(PlaceFrame(QRect(700, 550, 300, 200), frame, area, {}), QRect(496, 396, 300, 200));
    EXPECT_EQ(PlaceFrame(QRect(200, 10, 300, 200), frame, area, {}), QRect(200, 24, 300, 200));
    EXPECT_EQ(PlaceFrame(QRect(200, 30, 300, 200), frame, area, {}), QRect(200, 30, 300, 200));
    // One that cannot shrink enough keeps its title bar on the screen.
    EXPECT_EQ(PlaceFrame(QRect(50, 50, 300, 200), frame, area, QSize(1000, 900)), QRect(4, 24, 1000, 900));
    // An area that does not start at 0 (a panel above it).
    EXPECT_EQ(PlaceFrame(QRect(0, 0, 300, 200), frame, QRect(0, 30, 800, 570), {}), QRect(4, 54, 300, 200));

    // A window the window manager has not framed yet (it is not, when it is
    // about to show) is placed with room for a frame all the same.
    QWidget w;
    w.setGeometry(100, -300, 500, 2000);
    KeepOnScreen(w, area);
    EXPECT_GE(w.y(), 16) << w.x() << "," << w.y();
    EXPECT_LE(w.geometry().bottom(), area.bottom());
    EXPECT_TRUE(area.contains(w.geometry()));
    // The guard does it whenever the window is shown.
    QWidget tall;
    OnScreenGuard guard;
    tall.installEventFilter(&guard);
    tall.setGeometry(0, -500, 300, 5000);
    tall.show();
    EXPECT_TRUE(AvailableArea(tall).contains(tall.geometry()));
    // A dialog is moved in after it has placed itself as it shows (a dialog
    // centres itself over its parent then, not knowing its frame), and it
    // places itself again the next time: its place stays Qt's.
    struct SelfPlacing : QDialog {
        void showEvent(QShowEvent *e) override
        {
            QDialog::showEvent(e);
            move(x(), -100);
            setAttribute(Qt::WA_Moved, false);
        }
    } dialog;
    dialog.installEventFilter(&guard);
    dialog.resize(300, 5000);
    dialog.show();
    EXPECT_TRUE(AvailableArea(dialog).contains(dialog.geometry())) << dialog.y() << " " << dialog.height();
    EXPECT_FALSE(dialog.testAttribute(Qt::WA_Moved));
}

TEST(AlarmSound, TheProgramsOwnSoundStandsInForAMissingFile)
{
    TempFolder dir;
    writeBytes(dir.file("bell.wav"), "RIFF");
    EXPECT_EQ(AlarmSoundFile(dir.file("bell.wav")), dir.file("bell.wav"));
    EXPECT_EQ(AlarmSoundFile(dir.file("none.wav")), ":/sounds/alarm.wav");
    EXPECT_EQ(AlarmSoundFile(""), ":/sounds/alarm.wav");
    EXPECT_EQ(AlarmSoundFile(dir.path()), ":/sounds/alarm.wav");  // a folder is no sound
    // The resource is in the program and is a wave file.
    QFile f(":/sounds/alarm.wav");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_TRUE(f.read(4) == "RIFF");
}
