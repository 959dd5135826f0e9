#pragma once
// TfrmSelectDateRange: the days a chart covers, chosen one of three ways:
// between two dates, during the previous n months, or during the previous
// n days (both ending today, today included, and n months or days long).
// The result is a start and an end day number.

#include "ChartCounts.h"
#include "Clock.h"
#include "Utility.h"

#include <QDate>
#include <QDialog>

class QDateEdit;
class QLabel;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace morvane {

class ShadowLabel;

class TfrmSelectDateRange : public QDialog {
    Q_OBJECT
public:
    struct Services {
        const Clock &clock;
        const FormatSettings &fs;
        Qt::DayOfWeek weekStart = Qt::Sunday;  // for the date boxes' calendars
    };

    explicit TfrmSelectDateRange(Services services, QWidget *parent = nullptr);

    // Fills the boxes: the two dates and the remembered choice.
    void setRange(const ChartRange &range);
    void setChoice(const RangeChoice &choice);
    RangeChoice choice() const;
    // The days chosen, as computeStartEnd last worked them out.
    ChartRange chosenRange() const { return result_; }

    // The date of the same day n months before, or the month's last day when
    // it has fewer days. The time of day is dropped.
    static QDate decrementMonths(int months, const QDate &date);

    // Handlers.
    void FormShow();
    void rbDaysClick();   // serves the three range buttons
    void computeStartEnd();
    void dtStart2Exit();  // leaving the start box
    void dtEndExit();     // leaving the end box
    void btOKClick();

    ShadowLabel *lblTitle = nullptr;
    QRadioButton *rbBetween = nullptr, *rbMonths = nullptr, *rbDays = nullptr;
    QDateEdit *dtStart = nullptr, *dtEnd = nullptr;
    QLabel *lblAnd = nullptr, *lblMonths = nullptr, *lblDays = nullptr;
    QSpinBox *edMonths = nullptr, *edDays = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;

private:
    Services sv_;
    ChartRange result_;
};

}  // namespace morvane
