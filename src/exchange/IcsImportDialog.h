#pragma once
// TfrmIcsImport: what an iCalendar import will do, before it does it: the
// days it takes, how many tasks it adds, and what cannot come across.

#include "IcsImport.h"

#include <QDialog>
#include <functional>

class QDateEdit;
class QLabel;
class QListWidget;
class QPushButton;

namespace morvane {

class TfrmIcsImport : public QDialog {
    Q_OBJECT
public:
    struct Services {
        QString file;                                    // shown in the heading
        std::function<IcsImportPlan(QDate, QDate)> plan;  // works out the import for a range of days
        const FormatSettings &fs;
        QDate from, to;                                  // the range offered
        Qt::DayOfWeek weekStart = Qt::Sunday;
    };
    explicit TfrmIcsImport(Services services, QWidget *parent = nullptr);

    // The import for the days now chosen.
    const IcsImportPlan &plan() const { return plan_; }
    // Works the import out again for the chosen days.
    void replan();

    QLabel *lblFile = nullptr, *lblSummary = nullptr, *lblNotes = nullptr;
    QDateEdit *dtFrom = nullptr, *dtTo = nullptr;
    QListWidget *lbNotes = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

private:
    Services sv_;
    IcsImportPlan plan_;
};

}  // namespace morvane
