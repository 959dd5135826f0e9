#include "IcsImportDialog.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QThread>
#include <QVBoxLayout>

#include <utility>

using namespace Qt::StringLiterals;

namespace morvane {

struct TfrmIcsImport::Run {
    QDate from, to;
    IcsPlanControl control;
    IcsImportPlan plan;
};

TfrmIcsImport::TfrmIcsImport(Services services, QWidget *parent) : QDialog(parent), sv_(std::move(services))
{
    setObjectName(u"frmIcsImport"_s);
    setWindowTitle(u"Import from iCalendar"_s);
    lblFile = new QLabel(u"Tasks from %1"_s.arg(QDir::toNativeSeparators(sv_.file)), this);
    lblFile->setWordWrap(true);
    QFont f = lblFile->font();
    f.setBold(true);
    lblFile->setFont(f);

    dtFrom = new QDateEdit(this);
    dtFrom->setObjectName(u"dtFrom"_s);
    dtTo = new QDateEdit(this);
    dtTo->setObjectName(u"dtTo"_s);
    for (QDateEdit *d : {dtFrom, dtTo}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(ToQtPattern(sv_.fs.shortDateFormat));
        d->calendarWidget()->setFirstDayOfWeek(sv_.weekStart);
    }
    dtFrom->setDate(sv_.from);
    dtTo->setDate(sv_.to);
    auto *range = new QFormLayout;
    // The days bound every event, single or repeating.
    range->addRow(u"Events &from"_s, dtFrom);
    range->addRow(u"&through"_s, dtTo);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(u"lblSummary"_s);
    lblSummary->setWordWrap(true);
    pbPlan = new QProgressBar(this);
    pbPlan->setObjectName(u"pbPlan"_s);
    pbPlan->setRange(0, 1000);
    chkChanges = new QCheckBox(u"&Change these tasks here as the file has them"_s, this);
    chkChanges->setObjectName(u"chkChanges"_s);
    chkChanges->setChecked(true);
    lbChanges = new QListWidget(this);
    lbChanges->setObjectName(u"lbChanges"_s);
    connect(chkChanges, &QCheckBox::toggled, this, &TfrmIcsImport::updateOK);
    lbNotes = new QListWidget(this);
    lbNotes->setObjectName(u"lbNotes"_s);
    lblNotes = new QLabel(u"What cannot come across as it is:"_s, this);
    lblNotes->setBuddy(lbNotes);

    btOK = new QPushButton(u"&Import"_s, this);
    btOK->setObjectName(u"btOK"_s);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    btCancel->setObjectName(u"btCancel"_s);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &TfrmIcsImport::cancelClicked);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto *l = new QVBoxLayout(this);
    l->addWidget(lblFile);
    l->addLayout(range);
    l->addWidget(lblSummary);
    l->addWidget(pbPlan);
    l->addWidget(chkChanges);
    l->addWidget(lbChanges, 1);
    l->addWidget(lblNotes);
    l->addWidget(lbNotes, 1);
    // Takes the room of the list while the list is hidden.
    l->addStretch();
    l->addLayout(buttons);
    resize(640, 480);

    connect(dtFrom, &QDateEdit::dateChanged, this, [this] { replan(); });
    connect(dtTo, &QDateEdit::dateChanged, this, [this] { replan(); });
    replan();
}

TfrmIcsImport::~TfrmIcsImport()
{
    if (worker_) {
        run_->control.cancel();
        worker_->wait();
        delete worker_;
    }
}

void TfrmIcsImport::replan()
{
    if (dtTo->date() < dtFrom->date()) {
        // Whatever is being worked out is of no use now.
        if (worker_)
            run_->control.cancel();
        again_ = false;
        plan_ = IcsImportPlan{};
        pbPlan->hide();
        lblSummary->setText(u"The second date must be AFTER the first date!"_s);
        btOK->setEnabled(false);
        return;
    }
    if (worker_) {
        // Stopped first; its thread's end starts the new one.
        run_->control.cancel();
        again_ = true;
        return;
    }
    start();
}

void TfrmIcsImport::start()
{
    again_ = false;
    run_ = std::make_shared<Run>();
    run_->from = dtFrom->date();
    run_->to = dtTo->date();
    run_->control.onProgress = [this](int share) {
        QMetaObject::invokeMethod(this, [this, share] { pbPlan->setValue(share); }, Qt::QueuedConnection);
    };
    plan_ = IcsImportPlan{};
    lblSummary->setText(u"Reading the file..."_s);
    pbPlan->setValue(0);
    pbPlan->show();
    lbNotes->clear();
    lbNotes->hide();
    lblNotes->hide();
    lbChanges->clear();
    lbChanges->hide();
    chkChanges->hide();
    btOK->setEnabled(false);
    worker_ = QThread::create([run = run_, plan = sv_.plan] {
        if (plan)
            run->plan = plan(run->from, run->to, run->control);
    });
    connect(worker_, &QThread::finished, this, &TfrmIcsImport::workerDone);
    worker_->start();
}

void TfrmIcsImport::workerDone()
{
    QThread *done = std::exchange(worker_, nullptr);
    done->wait();
    delete done;
    if (again_) {
        start();
    } else if (run_->control.cancelled()) {
        // Told to stop (it may have finished first): what it worked out is
        // for days no longer chosen, or for an import cancelled.
        plan_ = InterruptedIcsImportPlan();
    } else {
        plan_ = std::move(run_->plan);
        if (plan_.ok) {
            showPlan();
        } else {
            failure_ = plan_.error;
            reject();
        }
    }
    emit workerFinished();
}

void TfrmIcsImport::cancelClicked()
{
    if (worker_)
        run_->control.cancel();
    reject();
}

void TfrmIcsImport::showPlan()
{
    pbPlan->hide();
    // The counts above; what cannot come across goes in the list below.
    const QString summary = IcsImportSummary(plan_, sv_.fs);
    lblSummary->setText(summary.section(u"\n\n"_s, 0, 0));
    const QStringList notes = IcsImportNoteLines(plan_, sv_.fs);
    lbNotes->clear();
    lbNotes->addItems(notes);
    lbNotes->setVisible(!notes.isEmpty());
    lblNotes->setVisible(!notes.isEmpty());
    const QStringList changes = IcsImportChangeLines(plan_, sv_.fs);
    lbChanges->clear();
    lbChanges->addItems(changes);
    lbChanges->setVisible(!changes.isEmpty());
    chkChanges->setVisible(!changes.isEmpty());
    updateOK();
}

bool TfrmIcsImport::withChanges() const { return chkChanges->isChecked(); }

void TfrmIcsImport::updateOK()
{
    // Nothing to add or change, nothing to do.
    btOK->setEnabled(plan_.ok && (plan_.taskCount() > 0 || (!plan_.changes.empty() && withChanges())));
}

}  // namespace morvane
