#include "Prompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

using namespace morvane;

TEST(Prompts, ScriptedPromptsRecordWhatWasShown)
{
    ScriptedPrompts p;
    Prompts &seam = p;
    seam.ErrorBox("Grid.grd file not found!");
    seam.InfoBox("Saved.");
    ASSERT_EQ(p.shown.size(), 2);
    EXPECT_EQ(p.shown[0].kind, ScriptedPrompts::Kind::Error);
    EXPECT_EQ(p.shown[0].text, "Grid.grd file not found!");
    EXPECT_EQ(p.shown[1].kind, ScriptedPrompts::Kind::Info);
    EXPECT_EQ(p.beeps, 1);  // only errors beep
}

// The real boxes are modal with one OK button; answer them as soon as the
// event loop shows them.
TEST(Prompts, WidgetPromptsShowModalBoxes)
{
    WidgetPrompts p;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    auto answerNextBox = [&] {
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            icon = box->icon();
            text = box->text();
            EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
            box->accept();
        });
    };
    answerNextBox();
    p.ErrorBox("Something failed");
    EXPECT_EQ(icon, QMessageBox::Critical);
    EXPECT_EQ(text, "Something failed");
    answerNextBox();
    p.InfoBox("For your information");
    EXPECT_EQ(icon, QMessageBox::Information);
    EXPECT_EQ(text, "For your information");
}
