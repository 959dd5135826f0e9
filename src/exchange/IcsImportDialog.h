#pragma once
// TfrmIcsImport: what an iCalendar import will do, before it does it: the
// days it takes, how many tasks it adds, and what cannot come across.
//
// The import is worked out on a thread of its own, a large file taking
// seconds, while the dialog shows how far it has come; Cancel stops it, and
// choosing other days stops it and starts again. A file that cannot be read
// closes the dialog, and failure() says why. Tasks the file has changed or
// cancelled are listed, and changed here too while chkChanges is checked.

#include "IcsImport.h"

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QDateEdit;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QThread;

namespace morvane {

class TfrmIcsImport : public QDialog {
    Q_OBJECT
public:
    struct Services {
        QString file;  // shown in the heading
        // Works out the import for a range of days. Runs on another thread:
        // it must use nothing the window's thread changes meanwhile.
        std::function<IcsImportPlan(QDate, QDate, IcsPlanControl &)> plan;
        const FormatSettings &fs;
        QDate from, to;  // the range offered
        Qt::DayOfWeek weekStart = Qt::Sunday;
    };
    explicit TfrmIcsImport(Services services, QWidget *parent = nullptr);
    // Stops the planning and waits for its thread.
    ~TfrmIcsImport() override;

    // The import for the days now chosen, once worked out.
    const IcsImportPlan &plan() const { return plan_; }
    bool planning() const { return worker_ != nullptr; }
    // Why the file cannot be imported, when it cannot; empty otherwise.
    const QString &failure() const { return failure_; }
    // Works the import out again for the chosen days.
    void replan();
    // Whether the tasks the file changed are to be changed here too.
    bool withChanges() const;

    QLabel *lblFile = nullptr, *lblSummary = nullptr, *lblNotes = nullptr;
    QDateEdit *dtFrom = nullptr, *dtTo = nullptr;
    QProgressBar *pbPlan = nullptr;
    QCheckBox *chkChanges = nullptr;
    QListWidget *lbChanges = nullptr, *lbNotes = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr;

signals:
    // A planning's thread has ended, whether it finished or was stopped.
    void workerFinished();

private:
    struct Run;
    void start();
    void workerDone();
    void cancelClicked();
    void showPlan();
    void updateOK();

    Services sv_;
    IcsImportPlan plan_;
    QString failure_;
    std::shared_ptr<Run> run_;  // the planning under way, shared with its thread
    QThread *worker_ = nullptr;
    bool again_ = false;  // other days were chosen while planning
};

}  // namespace morvane
