// The web calendar publisher: its settings, checks, questions and the pages
// it writes.

#include "ShadowLabel.h"
#include "TestFiles.h"
#include "WebCalendarDialog.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace morvane {
namespace {

class WebCalendarDialogTest : public ::testing::Test {
protected:
    TempFolder config, out;
    SettingsStore settings{config.file(u"Task.conf"_s)};
    ScriptedPrompts prompts;
    RecordingFileLauncher launcher;
    FormatSettings fs = FormatSettings::enUS();

    // What the file box showed while each month's first day was written.
    QStringList fileBoxWhileWriting;
    TfrmWebCal *shown = nullptr;

    std::unique_ptr<TfrmWebCal> open(QDate month = QDate(2001, 3, 14))
    {
        WebCalContent content;
        content.dayFragment = [this](const QDate &d, const WebCalSettings &) {
            if (d.day() == 1 && shown)
                fileBoxWhileWriting << shown->edFile->text();
            return d.day() == 14 ? u"Dentist"_s : QString();
        };
        auto dlg = std::make_unique<TfrmWebCal>(
            TfrmWebCal::Services{settings, prompts, launcher, fs, content, month, false, QFont()});
        dlg->show();
        shown = dlg.get();
        return dlg;
    }
    QStringList errorsShown() const { return prompts.errors(); }
};

TEST_F(WebCalendarDialogTest, OpensInMonthModeWithTheStoredSettingsAndShowsWhatApplies)
{
    settings.writeText("WebCal", "WithinDay", u"1"_s);
    settings.writeText("WebCal", "Qtruncate", u"1"_s);
    settings.writeText("WebCal", "BackColor", u"255"_s);  // red, in the stored byte order
    auto dlg = open();
    EXPECT_TRUE(dlg->rbMonth->isChecked());
    EXPECT_EQ(dlg->lblTitle->text(), u"Publish March 2001 as a web page"_s);
    EXPECT_TRUE(dlg->edFile->isVisible());
    EXPECT_FALSE(dlg->edFolder->isVisible());
    EXPECT_EQ(dlg->webColor(), u"#FF0000"_s);
    EXPECT_FALSE(dlg->cbIncludeDone->isHidden());  // details on by default
    EXPECT_FALSE(dlg->rgTrunc->isHidden());
    EXPECT_FALSE(dlg->edTrunc->isHidden());
    EXPECT_EQ(dlg->edTrunc->value(), 50);
    EXPECT_EQ(dlg->edSize->value(), 9);

    dlg->rbYear->click();
    EXPECT_EQ(dlg->lblTitle->text(), u"Publish 2001 as a set of web pages"_s);
    EXPECT_FALSE(dlg->edFile->isVisible());
    EXPECT_TRUE(dlg->edFolder->isVisible());
    dlg->cbDetails->setChecked(false);
    EXPECT_TRUE(dlg->cbIncludeDone->isHidden());
    dlg->rbWhole->setChecked(true);
    EXPECT_TRUE(dlg->edTrunc->isHidden());
    dlg->cbWithinDay->setChecked(false);
    EXPECT_TRUE(dlg->rgTrunc->isHidden());
    EXPECT_TRUE(dlg->cbCat->isHidden());

    // The colour panels.
    prompts.colors = {QColor(0x12, 0x34, 0x56)};
    dlg->Panel[2]->click();
    EXPECT_EQ(dlg->webColor(), u"#123456"_s);
}

TEST_F(WebCalendarDialogTest, AStoredSystemColourIsTheSystemsColourAndIsKeptAsStored)
{
    // 0x80000005: the system's window colour, not near-black.
    settings.writeText("WebCal", "BackColor", u"2147483653"_s);
    auto dlg = open();
    EXPECT_EQ(dlg->webColor(), ColorToWebColor(QGuiApplication::palette().color(QPalette::Base)));
    EXPECT_NE(dlg->webColor(), u"#050000"_s);
    dlg->edFile->setText(out.file(u"a.htm"_s));
    dlg->btClose->click();
    EXPECT_EQ(settings.raw("WebCal", "BackColor"), u"2147483653"_s);

    // A colour picked replaces it.
    auto again = open();
    prompts.colors = {QColor(0x12, 0x34, 0x56)};
    again->Panel[0]->click();
    again->btClose->click();
    EXPECT_EQ(settings.raw("WebCal", "BackColor"), QString::number(0x563412));
}

TEST_F(WebCalendarDialogTest, AMonthPageNeedsAnHtmlNameAndATitle)
{
    auto dlg = open();
    dlg->btPublish->click();
    EXPECT_EQ(errorsShown(), QStringList{u"An HTML file has not been specified"_s});
    dlg->edFile->setText(out.file(u"notes.txt"_s));
    dlg->btPublish->click();
    EXPECT_EQ(errorsShown().value(1), u"Filename needs \".htm\" or \".html\" extension"_s);
    EXPECT_TRUE(dlg->isVisible());

    // A cancelled title writes nothing and says nothing.
    dlg->edFile->setText(out.file(u"Report.HTML"_s));
    dlg->btPublish->click();
    EXPECT_EQ(prompts.shown.last().text, u"Calendar Title|Enter the calendar title:"_s);
    EXPECT_FALSE(QFile::exists(out.file(u"Report.HTML"_s)));
    EXPECT_EQ(errorsShown().size(), 2);

    // The box is taken as typed: blanks are part of the name.
    dlg->edFile->setText(u"   "_s);
    dlg->btPublish->click();
    EXPECT_EQ(errorsShown().value(2), u"Filename needs \".htm\" or \".html\" extension"_s);
    dlg->edFile->setText(out.file(u"Report.HTML"_s));

    prompts.texts = {u"Our <family> calendar"_s};
    dlg->btPublish->click();
    EXPECT_FALSE(dlg->isVisible());
    const QByteArray page = readBytes(out.file(u"Report.HTML"_s));
    EXPECT_TRUE(page.contains("Our &lt;family&gt; calendar"));
    EXPECT_TRUE(page.contains("Dentist"));
    // Closing stored the settings.
    EXPECT_EQ(settings.raw("WebCal", "LastFile"), out.file(u"Report.HTML"_s));
    EXPECT_EQ(settings.raw("WebCal", "BackColor"), u"16777177"_s);
}

TEST_F(WebCalendarDialogTest, AYearSetGoesIntoAFolderMadeOnRequest)
{
    auto dlg = open();
    dlg->rbYear->click();
    dlg->btPublish->click();
    EXPECT_EQ(errorsShown(), QStringList{u"An output folder has not been specified"_s});
    const QString folder = out.file(u"web/2001"_s);
    dlg->edFolder->setText(folder);
    prompts.answers = {1};  // No
    dlg->btPublish->click();
    EXPECT_EQ(prompts.shown.last().text, u"The folder \"%1\" does not exist.  Create this folder?"_s.arg(folder));
    EXPECT_FALSE(QFileInfo::exists(folder));
    EXPECT_TRUE(dlg->isVisible());

    // A folder that cannot be made is reported and nothing is written.
    writeBytes(out.file(u"plain"_s), "x");
    dlg->edFolder->setText(out.file(u"plain/web"_s));
    prompts.answers = {0};
    dlg->btPublish->click();
    EXPECT_EQ(errorsShown().value(1), u"Unable to create directory"_s);
    EXPECT_TRUE(dlg->isVisible());

    dlg->edFolder->setText(folder);
    prompts.answers = {0};
    prompts.texts = {u"Morvane"_s};
    dlg->btLaunch->click();
    // The file box names each month's page as it is written.
    QStringList months;
    for (int m = 1; m <= 12; ++m)
        months << folder + u"/%1_2001.htm"_s.arg(m);
    EXPECT_EQ(fileBoxWhileWriting, months);
    QStringList expected{u"2001.htm"_s};
    for (int m = 1; m <= 12; ++m)
        expected << u"%1_2001.htm"_s.arg(m);
    expected.sort();
    QStringList written = QDir(folder).entryList(QDir::Files);
    written.sort();
    EXPECT_EQ(written, expected);
    EXPECT_EQ(prompts.shown.last().text, u"The web pages for the year are stored in "_s + folder);
    EXPECT_EQ(dlg->edFile->text(), folder + u"/2001.htm"_s);
    EXPECT_EQ(launcher.opened, QStringList{folder + u"/2001.htm"_s});
    EXPECT_EQ(settings.raw("WebCal", "LastFile"), folder + u"/2001.htm"_s);
    EXPECT_EQ(settings.raw("WebCal", "LastFolder"), folder);
}

TEST_F(WebCalendarDialogTest, ABrowserThatWillNotStartIsReportedAndAnEmptyFileBoxStoresNothing)
{
    auto dlg = open();
    dlg->edFile->setText(out.file(u"a.htm.bak"_s));
    prompts.texts = {u"Morvane"_s};
    launcher.result = false;
    dlg->btLaunch->click();
    EXPECT_TRUE(QFile::exists(out.file(u"a.htm.bak"_s)));
    EXPECT_EQ(errorsShown(), QStringList{u"Couldn't open web browser for \"%1\""_s.arg(out.file(u"a.htm.bak"_s))});

    settings.remove("WebCal", "LastFile");
    auto again = open();
    again->edFile->clear();
    again->edFolder->setText(u"/somewhere"_s);
    again->btClose->click();
    EXPECT_FALSE(settings.raw("WebCal", "LastFile"));
    EXPECT_FALSE(settings.raw("WebCal", "LastFolder"));
}

}  // namespace
}  // namespace morvane
