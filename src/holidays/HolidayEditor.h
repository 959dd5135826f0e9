#pragma once
// TfrmEditHoliday: one holiday's name and rule: a one-time date, or an
// annual rule on a specific day or a floating weekday of a month.

#include "Grid.h"
#include "Prompts.h"
#include "Utility.h"

#include <QDate>
#include <QDialog>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QWidget;

namespace morvane {

class TfrmEditHoliday : public QDialog {
    Q_OBJECT
public:
    TfrmEditHoliday(const FormatSettings &fs, const QDate &today, Prompts &prompts, QWidget *parent = nullptr);

    // Set by the caller before showing.
    bool isNew = true;
    QString editMonth, editNth, editWeekday;
    int editDay = 0;

    // The first day of the week of the date field's calendar: the main
    // calendars' week start (Sunday until told).
    void setWeekStart(Qt::DayOfWeek day);

    // Reads a row into the editor (an existing holiday).
    void presetFromRow(const Grid &table, int row);
    // Writes the editor's holiday into a row.
    void writeRow(Grid &table, int row) const;

    QLineEdit *edName = nullptr;
    QRadioButton *rbOneTime = nullptr, *rbAnnual = nullptr;
    QStackedWidget *pages = nullptr;
    QDateEdit *dt1 = nullptr;
    QComboBox *cbMonth = nullptr;
    QRadioButton *rbSpecific = nullptr, *rbFloating = nullptr;
    QComboBox *cbDOM = nullptr, *cbNth = nullptr, *cbDay = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

    void accept() override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormShow();
    void fillDays(int keepIndex);
    void showChoice();

    const FormatSettings &fs_;
    QDate today_;
    Prompts &prompts_;
    bool shown_ = false;
};

}  // namespace morvane
