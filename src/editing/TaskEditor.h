#pragma once
// TfrmEdit: the dialog in which one task is written or changed: a new dated
// task, a new to-do task, an existing task of either kind, or the completion
// of a task (its second page). The caller presets the fields, shows it, and
// on OK reads them back; the dialog itself only adds the completed row and
// the repeats.

#include "Clock.h"
#include "LimitedTextFields.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStackedWidget;
class QTimeEdit;
class QToolButton;

namespace morvane {

class ShadowLabel;

class TfrmEdit : public QDialog {
    Q_OBJECT
public:
    struct Services {
        Prompts &prompts;
        ModalRunner &runner;
        const FormatSettings &fs;
        const Clock &clock;
        TaskStore &store;          // the repeats go in here
        QString folder;            // category.xxx and the dictionary
        // Appends a completed row to the completed table and saves it.
        std::function<FileResult(const QStringList &)> addCompleted;
        // Tells the person about a save of the store (once per failure).
        std::function<void(const FileResult &)> reportSave;
        // Checks a notes field's spelling in place; empty without a checker.
        std::function<void(QPlainTextEdit &)> spellCheck;
        int weekStart = Qt::Sunday;  // for the date fields' calendars
    };

    TfrmEdit(Services services, const QString &defaultCategory, const QDate &selectedDay,
             QWidget *parent = nullptr);

    // What the caller sets.
    bool completeOnShow = false;
    bool isDated = false;
    bool isExisting = false;
    QString origDateText;
    // The day chosen with Reschedule; the selected day until then.
    QDate newDate;

    // The heading's look, from the main window's date heading.
    void setHeadingStyle(const QFont &font, int shadowDepth, const QColor &text);
    void setTitle(const QString &title);
    // For a to-do task: no time and no alarm.
    void hideTimeAndAlarm();
    void setNotes(const QString &stored);
    QString notes() const;
    QString completionNotes() const;
    DateValue time() const;
    void setTime(DateValue value);
    // The task's stored time text. A text that is not a time ("All day")
    // is kept as it is until a time is picked, and such a task can have no
    // alarm: the alarm switch is off and says why.
    void setTimeText(const QString &stored);
    // The time to store: the picked time to the minute, or the text that
    // was not a time while no time has been picked.
    QString timeText() const;
    bool hasTime() const;
    QString category() const;
    void setCategory(const QString &text);

    bool IsMemoblank() const;
    void FillCombo();
    void UpdateComboBox();
    void SaveCombo();
    void AddToCompleteGrid();
    void insertOneEvent(const QDate &date);

    // Handlers.
    void btCompleteClick();
    void btOK2Click();
    void btCancel2Click();
    void btOKClick();
    void btCategoryClick();
    void btTimeClick();
    void btRescheduleClick();
    void Repeatannually1Click();
    void Repeat1Click();
    void btOriginClick();
    void btTodayClick();
    void memMainKey();
    bool onCompletionPage() const;

    ShadowLabel *lblTitle = nullptr;
    QLabel *lblTime = nullptr;
    QTimeEdit *dtTime = nullptr;
    QToolButton *btTime = nullptr;
    QComboBox *cbCategory = nullptr;
    QPushButton *btCategory = nullptr;
    QCheckBox *cbAlarm = nullptr;
    QLabel *lblAlarmNote = nullptr;
    LimitedPlainTextEdit *memMain = nullptr;
    QCheckBox *cbDone = nullptr;
    QLabel *lblComplete = nullptr;
    QPushButton *btSpell1 = nullptr, *btReschedule = nullptr, *btComplete = nullptr, *btOK = nullptr,
                *btCancel = nullptr;
    QToolButton *btRepeat = nullptr;
    QAction *Repeat1 = nullptr, *Repeatannually1 = nullptr;

    QWidget *pnlComplete = nullptr;
    ShadowLabel *lblCompleteHeading = nullptr;
    LimitedPlainTextEdit *memComplete = nullptr;
    QPushButton *btSpell2 = nullptr;
    QDateEdit *dtComplete = nullptr;
    QPushButton *btOrigin = nullptr, *btToday = nullptr, *btOK2 = nullptr, *btCancel2 = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void FormShow();
    void showMainPage();
    void blankNotesError();
    void showAlarmSwitch();
    QString categoryFile() const;
    QStringList comboItems() const;
    void setComboItems(const QStringList &items);
    void removeEarlyCopy();

    Services sv_;
    QDate selectedDay_;
    QStackedWidget *pages_ = nullptr;
    std::uint64_t earlyCopy_ = 0;  // the new task put in before its repeats
};

}  // namespace morvane
