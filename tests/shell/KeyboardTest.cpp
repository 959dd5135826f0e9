// The keyboard across the program: no two commands of a window answer the
// same key, no two controls of a window or items of a menu share an access
// key, and every shortcut of the main window runs its command when pressed.

#include "ChartWindow.h"
#include "DailyAlarmsDialog.h"
#include "FindDialog.h"
#include "HelpWindow.h"
#include "HolidaysWindow.h"
#include "MainWindowFixture.h"
#include "MonthCalendar.h"
#include "OptionsDialog.h"
#include "SpellCheckDialog.h"
#include "TaskEditor.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QTableView>
#include <QTest>
#include <QToolButton>

#include <optional>

using namespace morvane;
using namespace Qt::StringLiterals;

namespace {

// Tasks on 2, 9 (today), 11 and 16 December 2026.
QByteArray storeBytes()
{
    Grid g = NewStoreGrid();
    const std::pair<int, const char *> tasks[] = {
        {46358, "Water plants"}, {46365, "Call the bank"}, {46367, "Meeting"}, {46372, "Dentist"}};
    g.setRowCount(int(std::size(tasks)) + 1);
    int r = 1;
    for (const auto &[day, notes] : tasks) {
        g.setCell(kStoreKey, r, MakeStoreKey(day, 101));
        g.setCell(kStoreTime, r, QStringLiteral("8:00 PM"));
        g.setCell(kStoreCategory, r, QStringLiteral("Home"));
        g.setCell(kStoreNotes, r, QString::fromLatin1(notes));
        g.setCell(kStoreDone, r, QStringLiteral("No"));
        g.setCell(kStoreAlarm, r, QStringLiteral("No"));
        ++r;
    }
    return GridFileBytes(g);
}

const QByteArray kTodo = "3,2\r\n0,0,Category\r\n1,0,What\r\n2,0,Done?\r\n0,1,Home\r\n1,1,Buy stamps\r\n2,1,No\r\n";

// The letter after a single '&' of a caption, in capitals; none when the
// caption has no access key ("&&" is a plain '&').
QChar AccessKey(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != u'&')
            continue;
        if (text[i + 1] == u'&') {
            ++i;
            continue;
        }
        return text[i + 1].isLetterOrNumber() ? text[i + 1].toUpper() : QChar();
    }
    return {};
}

// The window an object belongs to: its first window ancestor that is not a
// menu (a menu's items act for the window that holds the menu).
QWidget *OwningWindow(QObject *o)
{
    for (; o; o = o->parent())
        if (auto *w = qobject_cast<QWidget *>(o); w && w->isWindow() && !qobject_cast<QMenu *>(w))
            return w;
    return nullptr;
}

// Where a control shows: the page it is on in every stack of pages (tab
// pages, the editor's two pages) between it and its window; nothing when it
// is hidden outright.
using Pages = QList<std::pair<const QWidget *, const QWidget *>>;
std::optional<Pages> PagesOf(const QWidget *w, const QWidget *window)
{
    Pages pages;
    for (const QWidget *c = w; c && c != window; c = c->parentWidget()) {
        const QWidget *parent = c->parentWidget();
        if (qobject_cast<const QStackedWidget *>(parent))
            pages.append(std::pair{parent, c});
        else if (c->isHidden())
            return std::nullopt;
    }
    return pages;
}

// Two controls can be seen at once unless they sit on different pages of
// one stack.
bool SeenTogether(const Pages &a, const Pages &b)
{
    for (const auto &[stack, page] : a)
        for (const auto &[otherStack, otherPage] : b)
            if (stack == otherStack && page != otherPage)
                return false;
    return true;
}

struct Keyed {
    QString key, what;
    Pages pages;
};

QString Describe(const QObject *o, const QString &text)
{
    return (o->objectName().isEmpty() ? QString::fromLatin1(o->metaObject()->className()) : o->objectName()) +
           u" \""_s + text + u'"';
}

// Every pair of entries that answer the same key and can be seen together.
QStringList Clashes(const QString &where, const QList<Keyed> &entries)
{
    QStringList out;
    for (qsizetype i = 0; i < entries.size(); ++i)
        for (qsizetype j = i + 1; j < entries.size(); ++j)
            if (entries[i].key == entries[j].key && SeenTogether(entries[i].pages, entries[j].pages))
                out << where + u": "_s + entries[i].key + u" is both "_s + entries[i].what + u" and "_s + entries[j].what;
    return out;
}

// The clashes of one window: its controls' access keys (labels, buttons,
// check boxes, group boxes, tabs, the menu bar's titles), its shortcuts
// (an access key is Alt and its letter too), and the access keys of the
// items of each of its menus.
QStringList WindowClashes(QWidget *window)
{
    const QString where = QString::fromLatin1(window->metaObject()->className());
    QList<Keyed> access;
    auto add = [&](const QWidget *w, const QString &text) {
        const QChar key = AccessKey(text);
        if (key.isNull() || OwningWindow(const_cast<QWidget *>(w)) != window)
            return;
        if (const auto pages = PagesOf(w, window))
            access.append({QString(key), Describe(w, text), *pages});
    };
    for (const QAbstractButton *b : window->findChildren<QAbstractButton *>())
        add(b, b->text());
    for (const QLabel *l : window->findChildren<QLabel *>())
        add(l, l->text());
    for (const QGroupBox *g : window->findChildren<QGroupBox *>())
        add(g, g->title());
    for (const QTabBar *t : window->findChildren<QTabBar *>())
        for (int i = 0; i < t->count(); ++i)
            add(t, t->tabText(i));
    for (const QMenuBar *bar : window->findChildren<QMenuBar *>())
        for (const QAction *a : bar->actions())
            if (a->isVisible())
                add(bar, a->text());
    QStringList out = Clashes(where, access);

    QList<Keyed> keys;
    for (QAction *a : window->findChildren<QAction *>()) {
        if (OwningWindow(a) != window)
            continue;
        for (const QKeySequence &k : a->shortcuts())
            keys.append({k.toString(QKeySequence::PortableText), Describe(a, a->text()), {}});
    }
    for (QShortcut *s : window->findChildren<QShortcut *>())
        if (OwningWindow(s) == window)
            keys.append({s->key().toString(QKeySequence::PortableText), Describe(s, {}), {}});
    for (const Keyed &k : access)
        keys.append({QKeySequence(QStringLiteral("Alt+") + k.key).toString(QKeySequence::PortableText), k.what, k.pages});
    out << Clashes(where, keys);

    for (QMenu *menu : window->findChildren<QMenu *>()) {
        if (OwningWindow(menu) != window)
            continue;
        QList<Keyed> items;
        for (const QAction *a : menu->actions())
            if (const QChar key = AccessKey(a->text()); !key.isNull() && a->isVisible() && !a->isSeparator())
                items.append({QString(key), Describe(a, a->text()), {}});
        out << Clashes(where + u" menu "_s + menu->title(), items);
    }
    return out;
}

class KeyboardTest : public MainWindowFixture {
protected:
    std::unique_ptr<TfrmMain> w;

    void SetUp() override
    {
        writeBytes(data.file("grid.grd"), storeBytes());
        writeBytes(data.file("gridNon.grd"), kTodo);
        writeBytes(data.file("category.xxx"), "Home\r\nWork\r\n");
    }
    void start()
    {
        w = makeMain();
        ASSERT_TRUE(w->created());
        w->show();
        QApplication::setActiveWindow(w.get());
    }
};

}  // namespace

TEST_F(KeyboardTest, NoTwoCommandsOrControlsOfAWindowShareAKey)
{
    start();
    QStringList clashes = WindowClashes(w.get());
    QSet<QString> seen;
    // Every dialog the commands open is looked at as it shows; those that
    // open further dialogs open them too.
    const ScriptedRunner::Responder look = [&](QDialog &d) {
        d.show();
        seen.insert(QString::fromLatin1(d.metaObject()->className()));
        clashes << WindowClashes(&d);
        if (auto *ed = dynamic_cast<TfrmEdit *>(&d)) {
            QTest::keyClicks(ed->memMain, " again");
            ed->btTime->click();
            ed->btCategory->click();
            ed->btReschedule->click();
            ed->Repeat1->trigger();
        } else if (auto *o = dynamic_cast<TfrmOptions *>(&d)) {
            o->pnlDone->click();
        } else if (auto *h = dynamic_cast<TfrmHoliday *>(&d)) {
            h->btAdd->click();
            h->btInternational->click();
        } else if (auto *c = dynamic_cast<TfrmChart *>(&d)) {
            c->btDateRange->click();
        } else if (auto *a = dynamic_cast<TfrmDailyTimer *>(&d)) {
            a->dtTime1MiddleButtonClick(1);
        }
        d.hide();
        return int(QDialog::Rejected);
    };
    for (int i = 0; i < 100; ++i)
        runner.responders.append(look);

    const QString ics = data.file("one.ics");
    writeBytes(ics, "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\nBEGIN:VEVENT\r\nUID:a1\r\n"
                    "DTSTAMP:20261201T000000Z\r\nDTSTART:20261214T090000\r\nSUMMARY:Dentist\r\nEND:VEVENT\r\n"
                    "END:VCALENDAR\r\n");
    prompts.files = {ics};
    w->ImportFromICalendar1Click();
    w->Options2Click();
    w->Holidays1Click();
    w->Categories1Click();
    w->btFilterClick();
    w->N12monthcalendar1Click();
    w->ViewCompletedTasks1Click();
    w->selectDayRow(1);
    w->btEditClick(TfrmMain::Sender::tbEdit1);
    w->Print1Click();
    w->PublishCalendarasWebPage1Click();
    w->Charts1Click();
    w->Dailytimer1Click();
    w->Search1Click();
    clashes << WindowClashes(w->findDialog());
    w->Help1Click();
    clashes << WindowClashes(w->helpWindow());
    TfrmSpellCheck spell;
    spell.show();
    clashes << WindowClashes(&spell);

    for (const char *name :
         {"morvane::TfrmOptions", "morvane::TfrmColor", "morvane::TfrmHoliday", "morvane::TfrmEditHoliday",
          "morvane::TfrmImport", "morvane::TfrmListBox", "morvane::TfrmFilter", "morvane::TfrmYear",
          "morvane::TfrmComplete", "morvane::TfrmEdit", "morvane::TfrmTimePopup", "morvane::TfrmReschedule",
          "morvane::TfrmRecur", "morvane::TfrmPrint", "morvane::TfrmWebCal", "morvane::TfrmChart",
          "morvane::TfrmSelectDateRange", "morvane::TfrmDailyTimer", "morvane::TfrmIcsImport"})
        EXPECT_TRUE(seen.contains(QString::fromLatin1(name))) << name << " was not looked at";
    EXPECT_TRUE(clashes.isEmpty()) << clashes.join(u'\n').toStdString();
}

namespace {
QStringList ambiguous;
void RecordAmbiguity(QtMsgType, const QMessageLogContext &, const QString &text)
{
    if (text.contains(u"Ambiguous"))
        ambiguous << text;
}
}  // namespace

TEST_F(KeyboardTest, EveryShortcutOfTheMainWindowRunsItsCommandWhenPressed)
{
    start();
    w->dayView()->setFocus();
    ambiguous.clear();
    const QtMessageHandler before = qInstallMessageHandler(RecordAmbiguity);
    QAction *exit = nullptr;
    int pressed = 0;
    for (QAction *a : w->findChildren<QAction *>()) {
        // A command with nothing to do yet (Undo before any change) is
        // pressed where it has: UndoTest.
        if (a->shortcut().isEmpty() || OwningWindow(a) != w.get() || !a->isEnabled())
            continue;
        if (a->objectName() == u"Exit1") {
            exit = a;  // last
            continue;
        }
        int fired = 0;
        const auto counted = QObject::connect(a, &QAction::triggered, [&fired] { ++fired; });
        const QKeyCombination key = a->shortcut()[0];
        QTest::keyClick(w.get(), key.key(), key.keyboardModifiers());
        EXPECT_EQ(fired, 1) << a->shortcut().toString().toStdString() << " " << a->text().toStdString();
        QObject::disconnect(counted);
        ++pressed;
        // Back to the main window with the focus in the day list, whatever
        // the command opened or hid.
        if (w->findDialog())
            w->findDialog()->hide();
        if (w->helpWindow())
            w->helpWindow()->hide();
        if (!w->isVisible())
            w->Showcalendar1Click();
        QApplication::setActiveWindow(w.get());
        w->dayView()->setFocus();
    }
    EXPECT_GE(pressed, 20);

    // What the navigation keys do, from 16 December.
    w->calendar(w->currentCalendar())->setDate(QDate(2026, 12, 16));
    QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 11));
    QTest::keyClick(w.get(), Qt::Key_P, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));
    QTest::keyClick(w.get(), Qt::Key_N, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 11));
    QTest::keyClick(w.get(), Qt::Key_PageDown);
    EXPECT_EQ(w->selectedDay(), QDate(2027, 1, 11));
    QTest::keyClick(w.get(), Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(w->selectedDay(), QDate(2026, 12, 9));

    ASSERT_TRUE(exit);
    QTest::keyClick(w.get(), Qt::Key_X, Qt::AltModifier);
    EXPECT_TRUE(w->ended());
    qInstallMessageHandler(before);
    EXPECT_TRUE(ambiguous.isEmpty()) << ambiguous.join(u'\n').toStdString();
}

TEST_F(KeyboardTest, InsertOnAClickedDayAndMaximizeKeysThatUndoThemselves)
{
    start();
    w->Timer2Timer();  // the first layout pass
    // A click on 14 December leaves the focus on its calendar: Insert adds
    // a task to that day.
    MonthCalendar *c = w->calendar(w->currentCalendar());
    QTest::mouseClick(c, Qt::LeftButton, {}, c->cellRect(c->grid().cellOfDate(QDate(2026, 12, 14))).center());
    ASSERT_EQ(w->selectedDay(), QDate(2026, 12, 14));
    ASSERT_EQ(QApplication::focusWidget(), c);
    runner.responders.append([](QDialog &d) {
        auto &ed = dynamic_cast<TfrmEdit &>(d);
        EXPECT_TRUE(ed.isDated);
        ed.show();
        QTest::keyClicks(ed.memMain, "Haircut");
        ed.btOK->click();
        ed.hide();
        return ed.result();
    });
    QTest::keyClick(c, Qt::Key_Insert);
    EXPECT_TRUE(runner.responders.isEmpty());
    EXPECT_EQ(w->gridDay().cell(kDayNotes, 1), "Haircut");
    bool stored = false;
    for (int r = 1; r < w->store().grid().rowCount(); ++r)
        stored = stored || (w->store().grid().cell(kStoreNotes, r) == "Haircut" &&
                            w->store().grid().cell(kStoreKey, r) == "46370.101");
    EXPECT_TRUE(stored);

    // Ctrl+T fills the area with the to-do list and, pressed again, gives
    // the day list its room back; the menu item shows which it is.
    QApplication::setActiveWindow(w.get());
    QAction *todo = w->findChild<QAction *>("Maximizenondaytasks1");
    QAction *day = w->findChild<QAction *>("Maximizedailyevents1");
    const int bar = w->split2()->sizes()[0];
    ASSERT_GT(bar, 0);
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w->split2()->sizes()[0], 0);
    EXPECT_TRUE(todo->isChecked());
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w->split2()->sizes()[0], bar);
    EXPECT_FALSE(todo->isChecked());
    // Ctrl+D, then Ctrl+T swaps the lists; Ctrl+T again brings back the
    // arrangement from before either.
    QTest::keyClick(w.get(), Qt::Key_D, Qt::ControlModifier);
    EXPECT_EQ(w->split2()->sizes()[1], 0);
    EXPECT_TRUE(day->isChecked());
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w->split2()->sizes()[0], 0);
    EXPECT_FALSE(day->isChecked());
    EXPECT_TRUE(todo->isChecked());
    QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(w->split2()->sizes()[0], bar);
    EXPECT_FALSE(todo->isChecked() || day->isChecked());
}
