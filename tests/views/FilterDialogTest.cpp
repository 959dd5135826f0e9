#include "FilterDialog.h"
#include "ShadowLabel.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
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

TEST_F(FilterDialogTest, OnlyCategoriesThePersonUntickedAreHidden)
{
    writeBytes(data.file("category.xxx"), "Work\r\nHome\r\n");
    {
        auto f = make();
        f->cbWhat->item(1)->setCheckState(Qt::Unchecked);  // Home
        f->btOK->click();
        // "category.yyy" names the checked categories, as it always has.
        EXPECT_EQ(readBytes(data.file("category.yyy")), "Work\r\n");
    }
    // A category added since (by the editor, say) is not named in it: at
    // the next start it shows, and only Home stays hidden.
    writeBytes(data.file("category.xxx"), "Garden\r\nHome\r\nWork\r\n");
    TaskFilter again;
    TfrmFilter f2({prompts, settings, data.path(), {}}, again);
    EXPECT_EQ(checked(f2), QStringList({"Garden", "Work"}));
    EXPECT_TRUE(again.TaskPassesFilter(u"No", u"Garden"));
    EXPECT_FALSE(again.TaskPassesFilter(u"No", u"Home"));
    // Showing the dialog changes nothing of that.
    f2.show();
    EXPECT_EQ(checked(f2), QStringList({"Garden", "Work"}));
    f2.btOK->click();
    EXPECT_EQ(readBytes(data.file("category.yyy")), "Garden\r\nWork\r\n");

    // Unticked by the person, it stays hidden across starts.
    f2.show();
    f2.cbWhat->item(0)->setCheckState(Qt::Unchecked);
    f2.btOK->click();
    TaskFilter third;
    TfrmFilter f3({prompts, settings, data.path(), {}}, third);
    EXPECT_EQ(checked(f3), QStringList({"Work"}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FilterDialogTest, CategoriesSavedDuringTheRunAreListedAtOnce)
{
    writeBytes(data.file("category.xxx"), "Home\r\nWork\r\n");
    auto f = make();
    f->cbWhat->item(0)->setCheckState(Qt::Unchecked);  // Home
    f->btOK->click();
    // Beside "category.yyy", the categories the list held.
    EXPECT_EQ(readBytes(data.file("category.seen")), "Home\r\nWork\r\n");

    // Garden is added; the checks of the others stay, even one changed
    // since the last OK and not saved.
    f->cbWhat->item(1)->setCheckState(Qt::Unchecked);  // Work, by the close box
    writeBytes(data.file("category.xxx"), "Garden\r\nHome\r\nWork\r\n");
    EXPECT_FALSE(f->categoriesChanged());  // still Home and Work hidden
    EXPECT_EQ(checked(*f), QStringList({"Garden"}));
    EXPECT_TRUE(filter.TaskPassesFilter(u"No", u"Garden"));

    // Work leaves the list: its tasks show again.
    writeBytes(data.file("category.xxx"), "Garden\r\nHome\r\n");
    EXPECT_TRUE(f->categoriesChanged());
    EXPECT_TRUE(filter.TaskPassesFilter(u"No", u"Work"));
    EXPECT_FALSE(filter.TaskPassesFilter(u"No", u"Home"));

    // Home, hidden and saved so, leaves and comes back: hidden as before.
    writeBytes(data.file("category.xxx"), "Garden\r\n");
    EXPECT_TRUE(f->categoriesChanged());
    EXPECT_FALSE(filter.FiltersOn());
    writeBytes(data.file("category.xxx"), "Garden\r\nHome\r\n");
    EXPECT_TRUE(f->categoriesChanged());
    EXPECT_EQ(checked(*f), QStringList({"Garden"}));
    EXPECT_TRUE(prompts.shown.isEmpty());
}

TEST_F(FilterDialogTest, WithoutTheRememberedListNothingUnnamedIsHidden)
{
    // Files from before the list was remembered: only "category.yyy". Which
    // of the others the person unticked cannot be told, so none is hidden.
    writeBytes(data.file("category.xxx"), "Garden\r\nHome\r\nWork\r\n");
    writeBytes(data.file("category.yyy"), "Work\r\n");
    auto f = make();
    EXPECT_EQ(checked(*f), QStringList({"Garden", "Home", "Work"}));
    EXPECT_FALSE(filter.FiltersOn());

    // A file that cannot be read hides nothing either, and is reported.
    writeBytes(data.file("category.seen"), "Garden\r\nHome\r\nWork\r\n");
    QFile::remove(data.file("category.yyy"));
    ASSERT_TRUE(QDir().mkdir(data.file("category.yyy")));
    TaskFilter other;
    TfrmFilter f2({prompts, settings, data.path(), {}}, other);
    EXPECT_EQ(checked(f2), QStringList({"Garden", "Home", "Work"}));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_TRUE(prompts.shown[0].text.contains("category.yyy")) << prompts.shown[0].text.toStdString();
}

TEST_F(FilterDialogTest, AFixedDialogInTheMiddleOfTheScreen)
{
    auto f = make();
    f->move(0, 0);
    for (int shown = 0; shown < 2; ++shown) {  // each time it opens
        f->show();
        EXPECT_EQ(f->minimumSize(), f->maximumSize());
        EXPECT_GE(f->width(), 296);
        EXPECT_GE(f->height(), 373);
        const QRect area = f->screen()->availableGeometry();
        EXPECT_LE(std::abs(f->frameGeometry().center().x() - area.center().x()), 1);
        EXPECT_LE(std::abs(f->frameGeometry().center().y() - area.center().y()), 1);
        f->hide();
        f->move(3, 3);
    }
}
