#pragma once
// TfrmPrint: which tasks a print, an export or a clearing takes: all of them
// or those of a range of days, with or without the to-do list. One dialog
// serves the whole run, so that its choices stay from one use to the next.

#include "Clock.h"
#include "PrintSelection.h"
#include "Prompts.h"
#include "TaskTables.h"
#include "Utility.h"

#include <QDate>
#include <QDialog>

class QCheckBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace morvane {

class ShadowLabel;

class TfrmPrint : public QDialog {
    Q_OBJECT
public:
    using Mode = PrintRange::Mode;
    struct Services {
        Prompts &prompts;
        const TaskFilter &filter;  // the words "filtered" or "all"
        const FormatSettings &fs;
        const Clock &clock;        // both dates start on the day the program started
    };
    TfrmPrint(Services services, QWidget *parent = nullptr);

    // Set before each showing; OK sets it back to Print.
    Mode mode = Mode::Print;
    // What the dialog chose, in its mode.
    PrintRange range() const;
    // Sets its choices (all or a range, the dates, "To-do tasks?"); the mode
    // stays.
    void setRange(const PrintRange &range);
    // The title line's shadow, as the main window's headings have it.
    void setHeadingShadow(int depth, const QColor &text);
    void setWeekStart(Qt::DayOfWeek day);

    // Handlers.
    void FormShow();
    void rbDateClick();
    void btOKClick();

    ShadowLabel *lblTitle = nullptr;
    QRadioButton *rbAll = nullptr, *rbDate = nullptr;
    QLabel *lblFrom = nullptr, *lblThrough = nullptr;
    QDateEdit *dt1 = nullptr, *dt2 = nullptr;
    QGroupBox *grpNonDate = nullptr;
    QCheckBox *cbNonDate = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;

private:
    Services sv_;
};

}  // namespace morvane
