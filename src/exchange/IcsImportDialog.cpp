#include "IcsImportDialog.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QDir>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

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
    range->addRow(u"Repeating events &from"_s, dtFrom);
    range->addRow(u"&through"_s, dtTo);

    lblSummary = new QLabel(this);
    lblSummary->setObjectName(u"lblSummary"_s);
    lblSummary->setWordWrap(true);
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
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto *l = new QVBoxLayout(this);
    l->addWidget(lblFile);
    l->addLayout(range);
    l->addWidget(lblSummary);
    l->addWidget(lblNotes);
    l->addWidget(lbNotes, 1);
    l->addLayout(buttons);
    resize(520, 420);

    connect(dtFrom, &QDateEdit::dateChanged, this, [this] { replan(); });
    connect(dtTo, &QDateEdit::dateChanged, this, [this] { replan(); });
    replan();
}

void TfrmIcsImport::replan()
{
    const QDate from = dtFrom->date(), to = dtTo->date();
    if (to < from) {
        lblSummary->setText(u"The second date must be AFTER the first date!"_s);
        btOK->setEnabled(false);
        return;
    }
    plan_ = sv_.plan ? sv_.plan(from, to) : IcsImportPlan{};
    // The counts above; what cannot come across goes in the list below.
    const QString summary = IcsImportSummary(plan_, sv_.fs);
    lblSummary->setText(summary.section(u"\n\n"_s, 0, 0));
    const QStringList notes = IcsImportNoteLines(plan_, sv_.fs);
    lbNotes->clear();
    lbNotes->addItems(notes);
    lbNotes->setVisible(!notes.isEmpty());
    lblNotes->setVisible(!notes.isEmpty());
    // Nothing to add, nothing to do.
    btOK->setEnabled(plan_.ok && plan_.taskCount() > 0);
}

}  // namespace morvane
