#pragma once
// TfrmDailyTimer: the dialog in which the ten daily alarms are written. It
// shows the records of the table it is given; OK checks the rows, puts them
// back into the table and saves them to the settings, Cancel leaves table
// and settings as they were.

#include "Clock.h"
#include "DailyAlarms.h"
#include "ModalRunner.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "Utility.h"

#include <QDialog>
#include <QFont>
#include <array>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimeEdit;
class QToolButton;

namespace morvane {

class ShadowLabel;

class TfrmDailyTimer : public QDialog {
    Q_OBJECT
public:
    struct Services {
        DailyAlarms &alarms;        // the records shown, replaced on OK
        SettingsStore &settings;    // where OK saves them
        Prompts &prompts;
        ModalRunner &runner;        // shows the time bar
        const FormatSettings &fs;
        const Clock &clock;         // the time bar's "now"
        bool shadows = true;        // the "Shadows" option: the title's look
        QFont titleFont = QFont(QStringLiteral("Times New Roman"), 20);  // the "Title font" option
    };

    explicit TfrmDailyTimer(Services services, QWidget *parent = nullptr);

    // The parts of the creation, in the order it runs them.
    void adjustTimeSettings();
    void setWeekdayHeads();
    void TransferSettingsToForm();

    // The rows as the form holds them, descriptions cut to their length and
    // times without seconds; TransferFormToSettings puts them in the table.
    std::array<TDailyAlarm, kDailyAlarmCount> formAlarms() const;
    void TransferFormToSettings();
    // Tells the person about the first row that cannot be stored and puts
    // the focus on its field; true when every row can.
    bool checkSettings();

    // Handlers.
    void btOKClick();
    void btCancelClick();
    // The side button of row n's time edit: the time bar for that edit.
    void dtTime1MiddleButtonClick(int row);

    // The controls of row n (1 to 10), found by their names.
    struct Row {
        QCheckBox *ok = nullptr;
        QTimeEdit *time = nullptr;
        QToolButton *timeBar = nullptr;
        QLineEdit *edit = nullptr;
        std::array<QCheckBox *, 7> days{};  // Sunday first
    };
    Row row(int n) const;

    ShadowLabel *lblTitle = nullptr;
    std::array<QLabel *, 7> lblDay{};  // the weekday heads, Sunday first
    QPushButton *btOK = nullptr, *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    // Row n's time edit: empty for 00:00 unless that is a chosen midnight
    // or the edit has the focus (then 00:00 is there to type over).
    void showTimeOf(int n, bool focused);
    void setMidnight(int n, bool chosen);

    Services sv_;
    bool placed_ = false;
    std::array<bool, kDailyAlarmCount> midnight_{};  // row n at [n - 1]
};

}  // namespace morvane
