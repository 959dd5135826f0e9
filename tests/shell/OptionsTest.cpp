#include "Options.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace morvane;

namespace {

struct IniFile {
    TempFolder dir;
    QString path = dir.file("Task.conf");
    SettingsStore store{path};
    QString text()
    {
        store.sync();
        return QString::fromUtf8(readBytes(path));
    }
};

}  // namespace

TEST(Options, AFreshUserGetsEveryDefault)
{
    IniFile ini;
    const Options o = Options::read(ini.store, "/opt/morvane");
    Options expected;
    expected.alarmPath = "/opt/morvane/alarm.wav";
    EXPECT_EQ(o, expected);
    EXPECT_EQ(o.firstTime, "000");
    EXPECT_EQ(o.doneColorBG, 0xFFFF00u);
    EXPECT_EQ(o.notDoneColorBG, 255u);
    EXPECT_EQ(o.titleFont, (FontSetting{"Times New Roman", 20}));
    EXPECT_TRUE(o.exitF4);
    EXPECT_FALSE(o.autoStart);
}

TEST(Options, SavedAsTextAndReadBack)
{
    IniFile ini;
    Options o = Options::read(ini.store, "/opt/morvane");
    o.shadows = false;
    o.category = "Work, home";
    o.monthColorBG = 0x123456;
    o.rowHeight = 22;
    o.gridFont = {"DejaVu Sans", 11, true, false, true, false};
    ASSERT_TRUE(o.write(ini.store));
    const QString text = ini.text();
    EXPECT_TRUE(text.contains("FirstTime=first")) << text.toStdString();
    EXPECT_TRUE(text.contains("Shadows=0"));
    EXPECT_TRUE(text.contains("MonthColorBG=1193046"));
    EXPECT_TRUE(text.contains("GridFontUnder=1"));

    Options back = Options::read(SettingsStore(ini.path), "/elsewhere");
    o.firstTime = "first";
    o.alarmPath = "/opt/morvane/alarm.wav";  // written out, so it stays
    EXPECT_EQ(back, o);
}

TEST(Options, ReadingRules)
{
    IniFile ini;
    ini.store.writeText("Options", "RowHeight", "0x14");
    ini.store.writeText("Options", "AlarmMin", "soon");
    ini.store.writeText("Options", "Shadows", "2");
    ini.store.writeText("Options", "Confirm", "no");
    ini.store.writeText("Options", "DoneColorBG", "0XFF");
    ini.store.writeText("Options", "HolidayColorBG", "-1");
    ini.store.writeText("Options", "CalFontSize", "400");
    ini.store.sync();
    const Options o = Options::read(ini.store, "/x");
    EXPECT_EQ(o.rowHeight, 20);
    EXPECT_EQ(o.alarmMin, 0);        // not a number: the default
    EXPECT_TRUE(o.shadows);          // any number but 0 is true
    EXPECT_TRUE(o.confirm);          // not a number: the default
    EXPECT_EQ(o.doneColorBG, 255u);
    EXPECT_EQ(o.holidayColorBG, 0xFFFFFFFFu);
    EXPECT_EQ(o.calFont.size, 400);

    ini.store.writeText("Options", "RowHeight", "99");
    ini.store.writeText("Options", "AlarmMin", "-5");
    const Options clamped = Options::read(ini.store, "/x");
    EXPECT_EQ(clamped.rowHeight, 50);  // the dialog's range
    EXPECT_EQ(clamped.alarmMin, 0);

    EXPECT_EQ(ParseSettingInt(" 42 "), 42);
    EXPECT_EQ(ParseSettingInt("-0x10"), -16);
    EXPECT_FALSE(ParseSettingInt("0x").has_value());
    EXPECT_FALSE(ParseSettingInt("1.5").has_value());
    EXPECT_FALSE(ParseSettingInt("--1").has_value());
}

TEST(Layout, ValuesAndMemorizedArrangement)
{
    IniFile ini;
    LayoutValues layout;
    layout.clientWidth = 777;
    layout.split1 = 1;
    ini.store.writeText("", "ClientWidth", "wide");
    ini.store.writeText("", "Split2", "0x100");
    layout.restore(ini.store);
    EXPECT_EQ(layout.clientWidth, 777);  // not a number: left as it was
    EXPECT_EQ(layout.split1, 314);       // missing: the default
    EXPECT_EQ(layout.split2, 256);

    layout = {300, 500, 700, 320, 160};
    layout.save(ini.store);
    LayoutValues back;
    back.restore(SettingsStore(ini.path));
    EXPECT_EQ(back, layout);

    EXPECT_FALSE(MemorizedLayout::read(ini.store).done);
    EXPECT_EQ(MemorizedLayout::read(ini.store).width, 600);
    MemorizedLayout m{false, 20, 30, 480, 800, 260, 270, 110};
    m.write(ini.store);
    MemorizedLayout expected = m;
    expected.done = true;
    EXPECT_EQ(MemorizedLayout::read(SettingsStore(ini.path)), expected);
}

TEST(Autostart, EntryWrittenCheckedAndRemoved)
{
    // XDG_CONFIG_HOME points into the test's own folder.
    ASSERT_TRUE(AutostartFile().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
    EXPECT_FALSE(checkAutostart());
    ASSERT_TRUE(writeAutostart(true, "/opt/my apps/morvane", "/opt/my apps"));
    EXPECT_TRUE(checkAutostart());
    const QByteArray entry = readBytes(AutostartFile());
    EXPECT_TRUE(entry.contains("Exec=\"/opt/my apps/morvane\"\n")) << entry.toStdString();
    EXPECT_TRUE(entry.startsWith("[Desktop Entry]\n"));
    // Another data folder goes into the entry, so that the copy started at
    // login works on the same tasks.
    ASSERT_TRUE(writeAutostart(true, "/opt/morvane/morvane", "/home/ann/my tasks"));
    EXPECT_TRUE(readBytes(AutostartFile()).contains("Exec=env \"MORVANE_DIR=/home/ann/my tasks\" /opt/morvane/morvane\n"))
        << readBytes(AutostartFile()).toStdString();
    ASSERT_TRUE(writeAutostart(true, "/opt/morvane/morvane", "/opt/morvane"));
    EXPECT_TRUE(readBytes(AutostartFile()).contains("Exec=/opt/morvane/morvane\n"));
    ASSERT_TRUE(writeAutostart(false, "/opt/my apps/morvane", {}));
    EXPECT_FALSE(checkAutostart());
    EXPECT_FALSE(QFile::exists(AutostartFile()));
}
