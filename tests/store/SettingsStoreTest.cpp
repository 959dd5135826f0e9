#include "SettingsStore.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <climits>
#include <memory>

using namespace morvane;

namespace {

const BoolSetting kConfirm{"Options", "Confirm", true};
const BoolSetting kShadows{"Options", "Shadows", false};
const IntSetting kWidth{"Layout", "ClientWidth", 640};
const IntSetting kFirst{"", "FirstRun", 7};
const ColorSetting kColor{"Colors", "Today", 0x0000FFFFu};
const TextSetting kCategory{"Options", "Category", "Work"};

class SettingsStoreTest : public ::testing::Test {
protected:
    TempFolder dir;
    QString path = dir.file("Task.conf");
    int files = 0;

    // A store over a new file holding exactly these bytes. (A new name each
    // time: QSettings keeps a file it has read and may not notice a rewrite
    // of the same size within the same second.)
    std::unique_ptr<SettingsStore> over(const QByteArray &bytes)
    {
        const QString file = dir.file(QStringLiteral("Task%1.conf").arg(++files));
        writeBytes(file, bytes);
        return std::make_unique<SettingsStore>(file);
    }
};

}  // namespace

TEST_F(SettingsStoreTest, RoundTripAsText)
{
    {
        SettingsStore s(path);
        s.write(kConfirm, false);
        s.write(kShadows, true);
        s.write(kWidth, -12);
        s.write(kFirst, INT_MAX);
        s.write(kColor, 0x80000005u);
        s.write(kCategory, "Café, \"home\" = here");
        QString why;
        ASSERT_TRUE(s.sync(&why)) << why.toStdString();
    }
    const SettingsStore back(path);
    EXPECT_FALSE(back.read(kConfirm));
    EXPECT_TRUE(back.read(kShadows));
    EXPECT_EQ(back.read(kWidth), -12);
    EXPECT_EQ(back.read(kFirst), INT_MAX);
    EXPECT_EQ(back.read(kColor), 0x80000005u);
    EXPECT_EQ(back.read(kCategory), "Café, \"home\" = here");
    // Every value is stored as its text: "0"/"1" and decimal numbers.
    EXPECT_EQ(back.raw("Options", "Confirm"), "0");
    EXPECT_EQ(back.raw("Options", "Shadows"), "1");
    EXPECT_EQ(back.raw("Layout", "ClientWidth"), "-12");
    EXPECT_EQ(back.raw("Colors", "Today"), "2147483653");
    EXPECT_EQ(back.raw("", "FirstRun"), "2147483647");
    const QByteArray file = readBytes(path);
    EXPECT_TRUE(file.contains("[Options]")) << file.toStdString();
    EXPECT_TRUE(file.contains("Shadows=1")) << file.toStdString();

    // Removing a value brings its default back.
    SettingsStore again(path);
    again.remove("Layout", "ClientWidth");
    EXPECT_EQ(again.read(kWidth), 640);
    EXPECT_FALSE(again.raw("Layout", "ClientWidth").has_value());
}

TEST_F(SettingsStoreTest, AMissingOrEmptyFileGivesEveryDefault)
{
    for (bool exists : {false, true}) {
        SCOPED_TRACE(exists);
        if (exists)
            writeBytes(path, "");
        const SettingsStore s(path);
        EXPECT_TRUE(s.read(kConfirm));
        EXPECT_FALSE(s.read(kShadows));
        EXPECT_EQ(s.read(kWidth), 640);
        EXPECT_EQ(s.read(kFirst), 7);
        EXPECT_EQ(s.read(kColor), 0x0000FFFFu);
        EXPECT_EQ(s.read(kCategory), "Work");
        EXPECT_EQ(s.readText("Options", "Missing", "fallback"), "fallback");
        EXPECT_FALSE(s.raw("Options", "Confirm").has_value());
    }
}

TEST_F(SettingsStoreTest, APartialFileKeepsItsValuesAndDefaultsTheRest)
{
    const auto s = over("[Options]\nShadows=1\n[Layout]\n");
    EXPECT_TRUE(s->read(kShadows));
    EXPECT_TRUE(s->read(kConfirm));  // absent: the default
    EXPECT_EQ(s->read(kWidth), 640);
    EXPECT_EQ(s->read(kCategory), "Work");
}

TEST_F(SettingsStoreTest, ACorruptFileGivesDefaultsAndIsNeverFatal)
{
    // Binary noise, a section that never closes, lines without "=".
    auto s = over(QByteArray("\x00\xFF\xFE[Options\nConfirm\n=1\n\x01\x02=\x03\n[Layout]\nClientWidth=wide\n", 52));
    EXPECT_TRUE(s->read(kConfirm));
    EXPECT_FALSE(s->read(kShadows));
    EXPECT_EQ(s->read(kWidth), 640);  // not a number: the default
    EXPECT_EQ(s->read(kColor), 0x0000FFFFu);

    // Values that are not numbers give the default, whatever they look like.
    s = over("[Layout]\nClientWidth=12abc\n[Options]\nConfirm=yes\nShadows=true\n[Colors]\nToday=#FF0000\n");
    EXPECT_EQ(s->read(kWidth), 640);
    EXPECT_TRUE(s->read(kConfirm));
    EXPECT_FALSE(s->read(kShadows));
    EXPECT_EQ(s->read(kColor), 0x0000FFFFu);
    for (const char *text : {"", " ", "+", "-", "0x", "+-3", "--3", "0x-3", "3.5", "1e3"}) {
        s = over(QByteArray("[Layout]\nClientWidth=\"") + text + "\"\n");
        EXPECT_EQ(s->read(kWidth), 640) << text;
    }

    // A file that cannot be written is reported by sync, with its name.
    writeBytes(dir.file("plain"), "a file, not a folder");
    SettingsStore unwritable(dir.file("plain/Task.conf"));
    unwritable.write(kShadows, true);
    QString why;
    EXPECT_FALSE(unwritable.sync(&why));
    EXPECT_TRUE(why.contains("plain/Task.conf")) << why.toStdString();
}

TEST_F(SettingsStoreTest, NumbersOutOfRangeGiveTheDefault)
{
    auto width = [this](const char *text) {
        return over(QByteArray("[Layout]\nClientWidth=") + text + "\n")->read(kWidth);
    };
    EXPECT_EQ(width("2147483647"), INT_MAX);
    EXPECT_EQ(width("-2147483648"), INT_MIN);
    EXPECT_EQ(width("2147483648"), 640);
    EXPECT_EQ(width("-2147483649"), 640);
    EXPECT_EQ(width("4294967296"), 640);
    EXPECT_EQ(width("99999999999999999999999"), 640);
    EXPECT_EQ(width("0x7FFFFFFF"), INT_MAX);
    EXPECT_EQ(width("0x80000000"), 640);
    // Decimal and hexadecimal, signs and blanks around them.
    EXPECT_EQ(width("0x14"), 20);
    EXPECT_EQ(width("0X1f"), 31);
    EXPECT_EQ(width("-0x10"), -16);
    EXPECT_EQ(width("+25"), 25);
    EXPECT_EQ(width("\" 25 \""), 25);

    // Colours take the whole unsigned range, and the negative numbers older
    // copies wrote for the system colours.
    auto color = [this](const char *text) {
        return over(QByteArray("[Colors]\nToday=") + text + "\n")->read(kColor);
    };
    EXPECT_EQ(color("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(color("-2147483643"), 0x80000005u);
    EXPECT_EQ(color("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(color("4294967296"), 0x0000FFFFu);
    EXPECT_EQ(color("-2147483649"), 0x0000FFFFu);
    EXPECT_EQ(color("0x80000005"), 0x80000005u);
}

TEST_F(SettingsStoreTest, BooleansAreNumbersAndAnyButZeroIsTrue)
{
    auto shadows = [this](const char *text) {
        return over(QByteArray("[Options]\nShadows=") + text + "\n")->read(kShadows);
    };
    auto confirm = [this](const char *text) {
        return over(QByteArray("[Options]\nConfirm=") + text + "\n")->read(kConfirm);
    };
    EXPECT_TRUE(shadows("-1"));  // what older copies wrote for true
    EXPECT_TRUE(shadows("1"));
    EXPECT_TRUE(shadows("2"));
    EXPECT_TRUE(shadows("0x1"));
    EXPECT_TRUE(shadows("4294967296"));  // true even beyond 32 bits
    EXPECT_FALSE(confirm("0"));
    EXPECT_FALSE(confirm("-0"));
    EXPECT_FALSE(confirm("0x0"));
    EXPECT_FALSE(shadows("true"));  // not a number: the default
    EXPECT_TRUE(confirm("false"));
}

TEST(ParseSettingInt, TheOneNumberReader)
{
    EXPECT_EQ(ParseSettingInt("42"), 42);
    EXPECT_EQ(ParseSettingInt(" -0x1F "), -31);
    EXPECT_EQ(ParseSettingInt("9223372036854775807"), INT64_MAX);
    EXPECT_FALSE(ParseSettingInt("9223372036854775808").has_value());
    EXPECT_FALSE(ParseSettingInt("0x+5").has_value());
    EXPECT_FALSE(ParseSettingInt("").has_value());
}
