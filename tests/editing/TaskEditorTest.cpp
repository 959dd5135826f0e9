// The task editor's fields: their limits hold for typing and pasting, never
// for the task's stored text.

#include "PickListDialog.h"
#include "TaskEditor.h"
#include "TimeBarDialog.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimeEdit>
#include <QDateEdit>
#include <QToolButton>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

class TaskEditorTest : public ::testing::Test {
protected:
    TempFolder dir;
    const FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(10, 30, 45))};
    const FormatSettings fs = FormatSettings::enUS();
    TaskFilter filter;
    TaskStore store{filter, dir.file("grid.grd")};
    ScriptedPrompts prompts;
    ScriptedRunner runner;

    std::unique_ptr<TfrmEdit> make()
    {
        auto ed = std::make_unique<TfrmEdit>(
            TfrmEdit::Services{prompts, runner, fs, clock, store, dir.path(), {}, {}, {}, Qt::Sunday}, "Work",
            QDate(2026, 12, 9));
        ed->isDated = true;
        ed->isExisting = true;
        ed->show();
        return ed;
    }
    QStringList errors() const { return prompts.errors(); }
    static void paste(QWidget *field, const QString &text)
    {
        QGuiApplication::clipboard()->setText(text);
        QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    }
};

// Notes of many lines, longer than the 2048 characters the field takes.
QString longNotes()
{
    QString s;
    for (int i = 0; s.size() < 3000; ++i)
        s += u"Line %1 of the imported description\r\n"_s.arg(i);
    return s;
}

}  // namespace

TEST_F(TaskEditorTest, StoredTextComesBackWhole)
{
    const QString notes = longNotes();
    const QString category = u"Quarterly tax return paperwork"_s;  // 30 characters
    writeBytes(dir.file("category.xxx"), "Work\r\n");
    auto ed = make();
    ed->setNotes(notes);
    ed->setCategory(category);
    EXPECT_EQ(ed->notes(), notes);
    EXPECT_EQ(ed->category(), category);

    // Typing cannot take the notes beyond their stored length; a changed
    // character keeps it.
    ed->memMain->moveCursor(QTextCursor::End);
    QTest::keyClicks(ed->memMain, "xyz");
    EXPECT_EQ(ed->notes(), notes);
    ed->memMain->moveCursor(QTextCursor::Start);
    ed->memMain->moveCursor(QTextCursor::Right, QTextCursor::KeepAnchor);
    QTest::keyClicks(ed->memMain, "l");
    EXPECT_EQ(ed->notes(), u'l' + notes.mid(1));

    ed->btOKClick();
    EXPECT_EQ(ed->result(), QDialog::Accepted);
    EXPECT_EQ(ed->category(), category);
    // A category the list lacked joins it, whole.
    EXPECT_EQ(readBytes(dir.file("category.xxx")), "Work\r\nQuarterly tax return paperwork\r\n");
    EXPECT_TRUE(errors().isEmpty());
}

TEST_F(TaskEditorTest, PickingALongCategoryKeepsItWholeAndTheListUncut)
{
    const QByteArray list = "Home\r\nNeighbourhood association meetings\r\nWork\r\n";
    writeBytes(dir.file("category.xxx"), list);
    auto ed = make();
    ed->setNotes(u"Minutes"_s);
    runner.responders.append([](QDialog &d) {
        auto &box = dynamic_cast<TfrmListBox &>(d);
        box.selectItem(u"Neighbourhood association meetings"_s);
        return int(QDialog::Accepted);
    });
    ed->btCategoryClick();
    EXPECT_EQ(ed->category(), "Neighbourhood association meetings");
    ed->btOKClick();
    EXPECT_EQ(ed->category(), "Neighbourhood association meetings");
    EXPECT_EQ(readBytes(dir.file("category.xxx")), list);

    // Chosen from the drop-down list, the same.
    auto again = make();
    again->setNotes(u"Minutes"_s);
    again->cbCategory->setCurrentIndex(again->cbCategory->findText(u"Neighbourhood association meetings"_s));
    EXPECT_EQ(again->category(), "Neighbourhood association meetings");
    again->btOKClick();
    EXPECT_EQ(readBytes(dir.file("category.xxx")), list);
}

TEST_F(TaskEditorTest, TypingAndPastingKeepTheLimits)
{
    auto ed = make();
    // The notes take 2048 characters from the keyboard.
    ed->setNotes(QString(2046, u'n'));
    ed->memMain->moveCursor(QTextCursor::End);
    QTest::keyClicks(ed->memMain, "abcd");
    EXPECT_EQ(ed->memMain->toPlainText(), QString(2046, u'n') + u"ab"_s);
    EXPECT_TRUE(errors().isEmpty());

    // A paste that does not fit is refused whole, and the person is told.
    ed->setNotes(QString(2000, u'n'));
    ed->memMain->moveCursor(QTextCursor::End);
    paste(ed->memMain, QString(60, u'p'));
    EXPECT_EQ(ed->memMain->toPlainText(), QString(2000, u'n'));
    ASSERT_EQ(errors().size(), 1);
    EXPECT_EQ(errors()[0], "Nothing was pasted: the text has 60 characters, and only 48 more fit in the notes.");
    // One that fits goes in where the cursor is, the rest of the notes kept.
    ed->memMain->moveCursor(QTextCursor::Start);
    paste(ed->memMain, u"Paste\r\nhere "_s);
    EXPECT_EQ(ed->memMain->toPlainText(), u"Paste\nhere "_s + QString(2000, u'n'));
    EXPECT_EQ(errors().size(), 1);

    // The completion notes: 255.
    ed->memComplete->setFocus();
    paste(ed->memComplete, QString(256, u'c'));
    EXPECT_TRUE(ed->memComplete->toPlainText().isEmpty());
    ASSERT_EQ(errors().size(), 2);
    EXPECT_EQ(errors()[1], "Nothing was pasted: the text has 256 characters, and only 255 more fit in the "
                           "completion notes.");

    // The category: 20 from the keyboard; a longer paste is refused and told.
    QLineEdit *line = ed->cbCategory->lineEdit();
    line->clear();
    QTest::keyClicks(line, "Household maintenance jobs");
    EXPECT_EQ(ed->category(), "Household maintenanc");
    line->clear();
    paste(line, u"Household maintenance jobs"_s);
    EXPECT_EQ(ed->category(), "");
    ASSERT_EQ(errors().size(), 3);
    EXPECT_EQ(errors()[2], "Nothing was pasted: the text has 26 characters, and only 20 more fit in the category.");
    paste(line, u"Garden"_s);
    EXPECT_EQ(ed->category(), "Garden");
    // The field's own menu pastes through the same check.
    QGuiApplication::clipboard()->setText(u" and the greenhouse"_s);
    QContextMenuEvent menuAt(QContextMenuEvent::Mouse, QPoint(2, 2), line->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(line, &menuAt);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu);
    QAction *pasteItem = nullptr;
    for (QAction *a : menu->actions())
        if (a->text().startsWith(u"&Paste"_s))
            pasteItem = a;
    ASSERT_TRUE(pasteItem);
    pasteItem->trigger();
    menu->close();
    EXPECT_EQ(ed->category(), "Garden");
    ASSERT_EQ(errors().size(), 4);
    EXPECT_EQ(errors()[3], "Nothing was pasted: the text has 19 characters, and only 14 more fit in the category.");
    // A full field takes no more, and says so for a paste.
    ed->setCategory(u"Quarterly tax return paperwork"_s);
    line->end(false);
    QTest::keyClick(line, Qt::Key_S);
    paste(line, u"es"_s);
    EXPECT_EQ(ed->category(), "Quarterly tax return paperwork");
    ASSERT_EQ(errors().size(), 5);
    EXPECT_EQ(errors()[4], "Nothing was pasted: the text has 2 characters, and no more fit in the category.");
}

TEST_F(TaskEditorTest, RepeatsAreWrittenToTheMinute)
{
    // The time bar may hand back seconds, and the long time format of these
    // settings shows them; the repeats get hours and minutes only.
    auto ed = make();
    ed->setNotes(u"Choir"_s);
    runner.responders.append([](QDialog &d) {
        dynamic_cast<TfrmTimePopup &>(d).dtTime->setTime(QTime(19, 15, 40));
        return int(QDialog::Accepted);
    });
    ed->btTimeClick();
    EXPECT_EQ(ed->dtTime->time(), QTime(19, 15));
    ed->Repeatannually1Click();
    const Grid &g = store.grid();
    ASSERT_EQ(g.rowCount(), 11);
    for (int r = 1; r < g.rowCount(); ++r)
        EXPECT_EQ(g.cell(kStoreTime, r), "7:15 PM");
}

TEST_F(TaskEditorTest, AnyKeyInTheNotesWakesANewTaskAndEnterConfirmsEitherPage)
{
    // A new dated task, as the main window opens it: OK and Mark as Complete
    // off, no Repeat, until a key is pressed in the notes; any key will do.
    auto ed = std::make_unique<TfrmEdit>(
        TfrmEdit::Services{prompts, runner, fs, clock, store, dir.path(), {}, {}, {}, Qt::Sunday}, "Work",
        QDate(2026, 12, 9));
    ed->isDated = true;
    ed->btOK->setEnabled(false);
    ed->btComplete->setEnabled(false);
    ed->show();
    EXPECT_FALSE(ed->btRepeat->isVisible());
    QTest::keyClick(ed->memMain, Qt::Key_Right);
    EXPECT_TRUE(ed->btOK->isEnabled());
    EXPECT_TRUE(ed->btComplete->isEnabled());
    EXPECT_TRUE(ed->btRepeat->isVisible());

    // A done task is not offered Repeat, whatever is typed.
    auto done = std::make_unique<TfrmEdit>(
        TfrmEdit::Services{prompts, runner, fs, clock, store, dir.path(), {}, {}, {}, Qt::Sunday}, "Work",
        QDate(2026, 12, 9));
    done->isDated = true;
    done->isExisting = true;
    done->cbDone->setChecked(true);
    done->setNotes(u"Paid"_s);
    done->show();
    QTest::keyClick(done->memMain, Qt::Key_A);
    EXPECT_FALSE(done->btRepeat->isVisible());

    // Enter on the completion page confirms the completion...
    auto complete = make();
    complete->setNotes(u"Renew the lease"_s);
    complete->btComplete->click();
    ASSERT_TRUE(complete->onCompletionPage());
    EXPECT_TRUE(complete->btOK2->isDefault());
    complete->dtComplete->setFocus();
    QTest::keyClick(complete->dtComplete, Qt::Key_Return);
    EXPECT_EQ(complete->result(), QDialog::Accepted);
    EXPECT_TRUE(complete->cbDone->isChecked());

    // ...and back on the main page, Enter is its OK again.
    auto back = make();
    back->setNotes(u"Renew the lease"_s);
    back->btComplete->click();
    back->btCancel2->click();
    EXPECT_TRUE(back->btOK->isDefault());
    QTest::keyClick(back->dtTime, Qt::Key_Return);
    EXPECT_EQ(back->result(), QDialog::Accepted);
    EXPECT_FALSE(back->cbDone->isChecked());
}
