#pragma once
// TfrmReschedule: asks for the new day of a dated task.

#include "Clock.h"
#include "Utility.h"

#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;

namespace morvane {

class ShadowLabel;

class TfrmReschedule : public QDialog {
    Q_OBJECT
public:
    TfrmReschedule(const FormatSettings &fs, const Clock &clock, QWidget *parent = nullptr);

    void setDate(const QDate &d);
    // The first day of the week of the date field's calendar: the main
    // calendars' week start (Sunday until told).
    void setWeekStart(Qt::DayOfWeek day);
    QDate date() const;
    // The heading's shadow, as the main window's date heading has it.
    void setHeadingShadow(int depth, const QColor &text);

    ShadowLabel *heading = nullptr;
    QDateEdit *date1 = nullptr;
    QLabel *lblDate2 = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

private:
    void showDay();
    const FormatSettings &fs_;
    const Clock &clock_;
};

}  // namespace morvane
