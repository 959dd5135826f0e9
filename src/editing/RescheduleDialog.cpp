#include "RescheduleDialog.h"

#include "ShadowLabel.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmReschedule::TfrmReschedule(const FormatSettings &fs, const Clock &clock, QWidget *parent)
    : QDialog(parent), fs_(fs), clock_(clock)
{
    setObjectName(u"frmReschedule"_s);
    setWindowTitle(u"Reschedule Task"_s);
    heading = new ShadowLabel(this);
    heading->setText(u"Reschedule Task"_s);
    heading->setAlignment(Qt::AlignCenter);
    QFont f = heading->font();
    f.setPointSize(f.pointSize() + 6);
    f.setBold(true);
    heading->setFont(f);
    date1 = new QDateEdit(this);
    date1->setObjectName(u"date1"_s);
    date1->setCalendarPopup(true);
    setWeekStart(Qt::Sunday);
    date1->setDisplayFormat(ToQtPattern(fs_.shortDateFormat));
    lblDate2 = new QLabel(this);
    lblDate2->setObjectName(u"lblDate2"_s);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(date1, &QDateEdit::dateChanged, this, [this] { showDay(); });

    auto *form = new QFormLayout;
    form->addRow(u"&Date"_s, date1);
    form->addRow(QString(), lblDate2);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *l = new QVBoxLayout(this);
    l->addWidget(heading);
    l->addLayout(form);
    l->addLayout(buttons);
    setDate(clock_.today());
}

void TfrmReschedule::setDate(const QDate &d)
{
    date1->setDate(d);
    showDay();
}

void TfrmReschedule::setWeekStart(Qt::DayOfWeek day) { date1->calendarWidget()->setFirstDayOfWeek(day); }

QDate TfrmReschedule::date() const { return date1->date(); }

void TfrmReschedule::setHeadingShadow(int depth, const QColor &text)
{
    heading->setShadowDepth(depth);
    heading->setTextColor(text);
}

void TfrmReschedule::showDay()
{
    const DateValue v = ToDateValue(date1->date());
    lblDate2->setText(FormatDateTime(u"dddd", v, fs_) + u" : "_s + RelativeDayText(v, clock_));
}

}  // namespace morvane
