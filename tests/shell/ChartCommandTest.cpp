// The chart opens from the File menu and the toolbar over the main window's
// tasks.

#include "ChartWindow.h"
#include "MainWindowFixture.h"
#include "TestFiles.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

TEST_F(MainWindowFixture, TheChartOpensFromTheFileMenuAndTheToolbar)
{
    writeBytes(data.file("grid.grd"), "6,2\r\n0,1,46365.101\r\n1,1,9:00 AM\r\n2,1,Work\r\n3,1,Report\r\n4,1,Yes\r\n"
                                      "5,1,No\r\n");
    writeBytes(data.file("gridNon.grd"), "3,2\r\n");
    auto w = makeMain();
    ASSERT_TRUE(w->created());
    w->show();
    int opened = 0;
    for (int i = 0; i < 2; ++i)
        runner.responders.append([&](QDialog &d) {
            EXPECT_TRUE(dynamic_cast<TfrmChart *>(&d));
            ++opened;
            return int(QDialog::Rejected);
        });
    QAction *item = w->menuBar()->findChild<QMenu *>(u"File1"_s)->findChild<QAction *>(u"Charts1"_s);
    ASSERT_TRUE(item);
    item->trigger();
    QAction *button = w->findChild<QAction *>(u"ToolButton2"_s);
    ASSERT_TRUE(button);
    EXPECT_EQ(button->toolTip(), u"Charts"_s);
    button->trigger();
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(runner.shownTitles.value(0), u"Chart of Activity"_s);
}
