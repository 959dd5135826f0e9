#pragma once
// What every main-window test stands on: its own data and settings folders,
// a clock set to 9 December 2026, scripted prompts and dialogs, and a sound
// player, a desktop notifier and a file launcher that only record.

#include "MainWindow.h"
#include "TaskEditor.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QTest>
#include <functional>

namespace morvane {

class MainWindowFixture : public ::testing::Test {
protected:
    TempFolder data;
    TempFolder config;
    FixedClock clock{QDateTime(QDate(2026, 12, 9), QTime(10, 30))};
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    RecordingSoundPlayer sound;
    RecordingNotifier notifier;
    RecordingFileLauncher launcher;
    SettingsStore settings{config.file("Task.conf")};
    QDate release{2026, 12, 1};

    std::unique_ptr<TfrmMain> makeMain()
    {
        return std::make_unique<TfrmMain>(
            MainServices{clock, prompts, runner, settings, sound, data.path(), "/opt/morvane/morvane", release, {},
                         &notifier, &launcher});
    }
    // The task editor's answer: type the notes (as keys), then press a button.
    void answerEditor(const QString &typed, std::function<void(TfrmEdit &)> press)
    {
        runner.responders.append([typed, press](QDialog &d) {
            auto &ed = dynamic_cast<TfrmEdit &>(d);
            ed.show();
            if (!typed.isEmpty()) {
                ed.memMain->moveCursor(QTextCursor::End);
                QTest::keyClicks(ed.memMain, typed);
            }
            press(ed);
            const int result = ed.result();
            ed.hide();
            return result;
        });
    }
    QStringList errors() const { return prompts.errors(); }
};

}  // namespace morvane
