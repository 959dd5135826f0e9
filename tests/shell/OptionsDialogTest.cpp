#include "ColorPicker.h"
#include "ShadowLabel.h"
#include "TestFiles.h"
#include "ColorDialog.h"
#include "OptionsDialog.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>

using namespace morvane;

namespace {

class OptionsDialogTest : public ::testing::Test {
protected:
    TempFolder config;
    TempFolder data;
    SettingsStore settings{config.file("Task.conf")};
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    RecordingSoundPlayer sound;
    int repaints = 0;
    QList<bool> shadows;

    std::unique_ptr<TfrmOptions> make()
    {
        TfrmOptions::Effects fx;
        fx.repaintCalendars = [this] { ++repaints; };
        fx.applyShadows = [this](bool on) { shadows << on; };
        return std::make_unique<TfrmOptions>(
            TfrmOptions::Services{settings, prompts, runner, sound, data.path(), "/opt/morvane/morvane",
                                  [] { return QDate(2026, 12, 9); }},
            fx);
    }
};

}  // namespace

TEST_F(OptionsDialogTest, AFreshUserSeesTheDefaultsAndOkSavesThem)
{
    auto dlg = make();
    EXPECT_EQ(dlg->pages->currentIndex(), 0);
    EXPECT_EQ(dlg->pages->tabText(0), "Screen Appearance");
    EXPECT_TRUE(dlg->cbStartup->isChecked());  // a first start offers starting with the desktop
    EXPECT_TRUE(dlg->rbSun->isChecked());
    EXPECT_TRUE(dlg->rbExit->isChecked());
    EXPECT_EQ(dlg->edRowHeight->value(), 16);
    EXPECT_EQ(dlg->edRowHeight->maximum(), 50);
    EXPECT_EQ(dlg->edMin->maximum(), 120);
    EXPECT_EQ(dlg->edCategory->maxLength(), 20);
    EXPECT_EQ(dlg->edPath->text(), data.file("alarm.wav"));
    EXPECT_EQ(dlg->btHeader->text(), "Times New Roman, 20 pt");
    EXPECT_EQ(dlg->lblTitle->shadowDepth(), 4);
    EXPECT_TRUE(shadows.isEmpty());  // loading applies nothing

    dlg->btOK->click();
    EXPECT_EQ(settings.raw("Options", "FirstTime"), "first");
    EXPECT_EQ(settings.raw("Options", "RowHeight"), "16");
    EXPECT_TRUE(checkAutostart());

    // Unchecked and saved, the autostart entry goes.
    auto again = make();
    EXPECT_TRUE(again->cbStartup->isChecked());
    again->cbStartup->setChecked(false);
    again->btOK->click();
    EXPECT_FALSE(checkAutostart());
    EXPECT_FALSE(make()->cbStartup->isChecked());
}

TEST_F(OptionsDialogTest, CancelKeepsChangesForTheRunOnly)
{
    auto dlg = make();
    QFont font("DejaVu Sans", 13);
    prompts.fonts = {font};
    dlg->btGridFontClick();
    EXPECT_EQ(dlg->options().gridFont.name, "DejaVu Sans");
    EXPECT_EQ(dlg->options().gridFont.size, 13);
    dlg->rbMinimize->setChecked(true);
    dlg->btCancel->click();
    EXPECT_FALSE(dlg->options().exitF4);  // in force until the end of the run
    auto nextRun = make();
    EXPECT_EQ(nextRun->options().gridFont.name, "Ms Sans Serif");
    EXPECT_TRUE(nextRun->options().exitF4);

    prompts.fonts = {};  // a cancelled font dialog changes nothing
    dlg->btHeaderClick();
    EXPECT_EQ(dlg->options().titleFont.name, "Times New Roman");
}

TEST_F(OptionsDialogTest, ShadowsApplyAtOnce)
{
    auto dlg = make();
    dlg->cbShadow->setChecked(false);
    EXPECT_EQ(shadows, QList<bool>({false}));
    EXPECT_EQ(dlg->lblTitle->shadowDepth(), 1);
    EXPECT_EQ(dlg->lblTitle->textColor(), QColor(0, 0, 128));
}

TEST_F(OptionsDialogTest, ColourSamplesOpenTheColourDialog)
{
    auto dlg = make();
    const int before = repaints;
    QString caption;
    runner.responders = {[&](QDialog &d) {
        auto &c = static_cast<TfrmColor &>(d);
        caption = c.windowTitle();
        EXPECT_EQ(c.cbFG->selected(), 0u);
        EXPECT_EQ(c.cbBG->selected(), 0xFFFF00u);
        c.cbFG->setSelected(0xFFFFFF);
        c.cbBG->setSelected(0x800000);
        return int(QDialog::Accepted);
    }};
    dlg->pnlDone->click();
    EXPECT_EQ(caption, "Set color for DONE tasks");
    EXPECT_EQ(dlg->doneColors().fg, 0xFFFFFFu);
    EXPECT_EQ(dlg->doneColors().bg, 0x800000u);
    EXPECT_EQ(repaints, before + 1);

    // Cancel keeps the colours, and the calendars are repainted anyway.
    runner.responders = {[](QDialog &d) {
        static_cast<TfrmColor &>(d).cbBG->setSelected(0);
        return int(QDialog::Rejected);
    }};
    dlg->pnlHoliday->click();
    EXPECT_EQ(dlg->holidayColors().bg, 0xFFFFu);
    EXPECT_EQ(repaints, before + 2);

    runner.responders = {[&](QDialog &d) {
        auto &c = static_cast<TfrmColor &>(d);
        EXPECT_TRUE(c.monthMode);
        c.cbBG->setSelected(0x0000FF);
        return int(QDialog::Accepted);
    }};
    dlg->pnlMonth->click();
    EXPECT_EQ(runner.shownTitles.last(), "Set color for Current Month");
    EXPECT_EQ(dlg->monthColor(), 0x0000FFu);
    dlg->btOK->click();
    EXPECT_EQ(settings.raw("Options", "DoneColorBG"), QString::number(0x800000));
    EXPECT_EQ(settings.raw("Options", "MonthColorBG"), "255");
}

TEST_F(OptionsDialogTest, TheAlarmTestAndBrowse)
{
    auto dlg = make();
    writeBytes(data.file("alarm.wav"), "RIFF");
    dlg->cbRepeat->setChecked(false);
    dlg->btTest->click();
    EXPECT_EQ(dlg->btTest->text(), "&Test");  // plays once
    EXPECT_EQ(sound.played, QStringList({"once " + data.file("alarm.wav")}));

    dlg->cbRepeat->setChecked(true);
    dlg->btTest->click();
    EXPECT_EQ(dlg->btTest->text(), "&Stop");
    dlg->btTest->click();
    EXPECT_EQ(dlg->btTest->text(), "&Test");
    EXPECT_EQ(sound.played.mid(1), QStringList({"loop " + data.file("alarm.wav"), "stop"}));

    dlg->edPath->setText(data.file("missing.wav"));
    sound.played.clear();
    dlg->playAlarmSound(true);
    // The file is not there: the program's own alarm sound plays instead.
    EXPECT_EQ(sound.played, QStringList({"loop :/sounds/alarm.wav"}));

    prompts.files = {"/sounds/bell.wav"};
    dlg->btAlarmBrowse->click();
    EXPECT_EQ(dlg->edPath->text(), "/sounds/bell.wav");
    EXPECT_TRUE(prompts.shown.last().text.startsWith("Sound Files|"));
    EXPECT_TRUE(prompts.shown.last().text.contains("Wav sound files (*.wav)"));
}
