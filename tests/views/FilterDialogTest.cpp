#include "FilterDialog.h"
#include "ShadowLabel.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using namespace morvane;

namespace {

class FilterDialogTest : public ::testing::Test {
protected:
    TempFolder data, config;
    ScriptedPrompts prompts;
    SettingsStore settings{config.file("Task.conf")};
    TaskFilter filter;
    QList<int> helpTopics;

    std::unique_ptr<TfrmFilter> make()
    {
        return std::make_unique<TfrmFilter>(
            TfrmFilter::Services{prompts, settings, data.path(), [this](int t) { helpTopics << t; }}, filter);
    }
    static QStringList checked(const TfrmFilter &f)
    {
        QStringList out;
        for (int i = 0; i < f.cbWhat->count(); ++i)
            if (f.cbWhat->item(i)->checkState() == Qt::Checked)
                out << f.cbWhat->item(i)->text();
        return out;
    }
};

}  // namespace

TEST_F(FilterDialogTest, TheChecksAreTheFilterInForce)
{
    writeBytes(data.file("category.xxx"), "Work\r\nHome\r\nGarden\r\n");
    auto f = make();
    // Without "category.yyy" every category shows; nothing is filtered.
    EXPECT_EQ(checked(*f), QStringList({"Work", "Home", "Garden"}));
    EXPECT_FALSE(filter.FiltersOn());
    EXPECT_EQ(f->lblTitle->text(), "Task Filters : Off");

    f->cbWhat->item(1)->setCheckState(Qt::Unchecked);  // Home
    EXPECT_TRUE(filter.FiltersOn());
    EXPECT_FALSE(filter.TaskPassesFilter(u"No", u"home"));  // case is ignored
    EXPECT_TRUE(filter.TaskPassesFilter(u"No", u"Shopping"));  // not listed: shown
    EXPECT_TRUE(filter.TaskPassesFilter(u"No", u""));
    EXPECT_EQ(f->lblTitle->text(), "Task Filters : On");

    QTest::mouseClick(f->pnlNotDone, Qt::LeftButton);  // the caption toggles its box
    EXPECT_FALSE(f->cbNotDone->isChecked());
    EXPECT_FALSE(filter.TaskPassesFilter(u"No", u"Work"));
    EXPECT_TRUE(filter.TaskPassesFilter(u"Yes", u"Work"));

    // OK saves the shown categories; every close keeps the switches.
    f->btOK->click();
    EXPECT_EQ(readBytes(data.file("category.yyy")), "Work\r\nGarden\r\n");
    EXPECT_EQ(settings.raw("Filter", "NotDone"), "0");
    EXPECT_EQ(settings.raw("Filter", "Done"), "1");

    // The next start reads them back; names the list lacks are ignored.
    writeBytes(data.file("category.yyy"), "work\r\nPlants\r\n");
    TaskFilter again;
    TfrmFilter f2({prompts, settings, data.path(), {}}, again);
    EXPECT_EQ(checked(f2), QStringList({"Work"}));
    EXPECT_FALSE(f2.cbNotDone->isChecked());
    EXPECT_FALSE(again.TaskPassesFilter(u"No", u"Work"));
}

TEST_F(FilterDialogTest, AllNoneFiltersOffTheWarningAndTheCloseBox)
{
    writeBytes(data.file("category.xxx"), "Work\r\nHome\r\n");
    auto f = make();
    f->btDeselect->click();
    EXPECT_TRUE(checked(*f).isEmpty());
    f->btSelect->click();
    EXPECT_EQ(checked(*f).size(), 2);
    f->cbDone->setChecked(false);
    f->btDeselect->click();
    f->btOff->click();  // everything shown again, the dialog stays
    EXPECT_EQ(checked(*f).size(), 2);
    EXPECT_TRUE(f->cbDone->isChecked());
    EXPECT_FALSE(filter.FiltersOn());

    // Both switches off: allowed, with a warning.
    f->cbDone->setChecked(false);
    f->cbNotDone->setChecked(false);
    f->btOK->click();
    EXPECT_TRUE(prompts.shown.last().text.startsWith("By un-checking both DONE and NOTDONE items"));
    EXPECT_FALSE(f->cbDone->isChecked());

    // The close box keeps the checks but does not save the categories.
    QFile::remove(data.file("category.yyy"));
    f->show();
    f->cbWhat->item(0)->setCheckState(Qt::Unchecked);
    f->reject();
    EXPECT_FALSE(QFile::exists(data.file("category.yyy")));
    EXPECT_FALSE(filter.TaskPassesFilter(u"Yes", u"Work"));

    f->btHelp->click();
    EXPECT_EQ(helpTopics, QList<int>({200}));
}
