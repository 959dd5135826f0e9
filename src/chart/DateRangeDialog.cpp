#include "DateRangeDialog.h"

#include "ShadowLabel.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmSelectDateRange::TfrmSelectDateRange(Services services, QWidget *parent) : QDialog(parent), sv_(services)
{
    setObjectName(u"frmSelectDateRange"_s);
    setWindowTitle(u"Select Date Range"_s);

    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setText(u"Select a date range"_s);
    lblTitle->setAlignment(Qt::AlignCenter);
    QFont f(u"Times New Roman"_s);
    f.setPixelSize(22);
    f.setBold(true);
    lblTitle->setFont(f);

    rbBetween = new QRadioButton(u"&between"_s, this);
    rbBetween->setObjectName(u"rbBetween"_s);
    rbMonths = new QRadioButton(u"during the previous"_s, this);
    rbMonths->setObjectName(u"rbMonths"_s);
    rbDays = new QRadioButton(u"during the &previous"_s, this);
    rbDays->setObjectName(u"rbDays"_s);
    auto *group = new QButtonGroup(this);
    group->addButton(rbBetween, RangeChoice::Between);
    group->addButton(rbMonths, RangeChoice::Months);
    group->addButton(rbDays, RangeChoice::Days);
    rbBetween->setChecked(true);

    const QDate today = sv_.clock.today();
    dtStart = new QDateEdit(this);
    dtStart->setObjectName(u"dtStart"_s);
    dtEnd = new QDateEdit(this);
    dtEnd->setObjectName(u"dtEnd"_s);
    for (QDateEdit *d : {dtStart, dtEnd}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(ToQtPattern(sv_.fs.shortDateFormat));
        d->calendarWidget()->setFirstDayOfWeek(sv_.weekStart);
        d->setDate(today);
        d->setMinimumWidth(120);
    }
    lblAnd = new QLabel(u"and"_s, this);
    lblAnd->setObjectName(u"lblAnd"_s);

    edMonths = new QSpinBox(this);
    edMonths->setObjectName(u"edMonths"_s);
    edMonths->setRange(1, 12);
    edMonths->setValue(1);
    lblMonths = new QLabel(u"&months"_s, this);
    lblMonths->setObjectName(u"lblMonths"_s);
    lblMonths->setBuddy(edMonths);

    edDays = new QSpinBox(this);
    edDays->setObjectName(u"edDays"_s);
    edDays->setRange(1, 365);
    edDays->setValue(1);
    lblDays = new QLabel(u"&days"_s, this);
    lblDays->setObjectName(u"lblDays"_s);
    lblDays->setBuddy(edDays);
    for (QSpinBox *s : {edMonths, edDays})
        s->setMinimumWidth(70);

    auto *rows = new QGridLayout;
    rows->setHorizontalSpacing(10);
    rows->setVerticalSpacing(10);
    rows->addWidget(rbBetween, 0, 0);
    rows->addWidget(dtStart, 0, 1);
    rows->addWidget(lblAnd, 0, 2);
    rows->addWidget(dtEnd, 0, 3);
    rows->addWidget(rbMonths, 1, 0);
    rows->addWidget(edMonths, 1, 1);
    rows->addWidget(lblMonths, 1, 2, 1, 2);
    rows->addWidget(rbDays, 2, 0);
    rows->addWidget(edDays, 2, 1);
    rows->addWidget(lblDays, 2, 2, 1, 2);
    rows->setColumnStretch(4, 1);

    btOK = new QPushButton(u"OK"_s, this);
    btOK->setObjectName(u"btOK"_s);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    btCancel->setObjectName(u"btCancel"_s);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto *l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addSpacing(6);
    l->addLayout(rows);
    l->addStretch();
    l->addLayout(buttons);
    setFixedSize(457, 191);

    connect(group, &QButtonGroup::idClicked, this, [this] { rbDaysClick(); });
    connect(dtStart, &QDateEdit::editingFinished, this, [this] { dtStart2Exit(); });
    connect(dtEnd, &QDateEdit::editingFinished, this, [this] { dtEndExit(); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    rbDaysClick();
}

void TfrmSelectDateRange::setRange(const ChartRange &range)
{
    dtStart->setDate(DateOfDay(range.start));
    dtEnd->setDate(DateOfDay(range.end));
    result_ = range;
}

void TfrmSelectDateRange::setChoice(const RangeChoice &choice)
{
    (choice.row == RangeChoice::Months ? rbMonths : choice.row == RangeChoice::Days ? rbDays : rbBetween)
        ->setChecked(true);
    edMonths->setValue(choice.months);
    edDays->setValue(choice.days);
}

RangeChoice TfrmSelectDateRange::choice() const
{
    const int row = rbMonths->isChecked() ? RangeChoice::Months
                    : rbDays->isChecked() ? RangeChoice::Days
                                          : RangeChoice::Between;
    return RangeChoice{row, edMonths->value(), edDays->value()};
}

QDate TfrmSelectDateRange::decrementMonths(int months, const QDate &date)
{
    // Counted in months since year 0, so any number of months borrows
    // whole years correctly.
    const int total = date.year() * 12 + (date.month() - 1) - months;
    const int y = total >= 0 ? total / 12 : -((-total + 11) / 12);
    const int m = total - y * 12 + 1;
    const int d = std::min(date.day(), QDate(y, m, 1).daysInMonth());
    return QDate(y, m, d);
}

void TfrmSelectDateRange::showEvent(QShowEvent *e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TfrmSelectDateRange::FormShow() { rbDaysClick(); }

void TfrmSelectDateRange::rbDaysClick()
{
    computeStartEnd();
    const bool between = rbBetween->isChecked();
    const bool months = rbMonths->isChecked();
    const bool days = rbDays->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{dtStart, lblAnd, dtEnd})
        w->setEnabled(between);
    edMonths->setEnabled(months);
    lblMonths->setEnabled(months);
    edDays->setEnabled(days);
    lblDays->setEnabled(days);
}

void TfrmSelectDateRange::computeStartEnd()
{
    const QDate today = sv_.clock.today();
    if (rbMonths->isChecked()) {
        // The previous n months end today and start the day after the same
        // day n months before: on 31 March one month is March.
        result_ = ChartRange{DayNumber(decrementMonths(edMonths->value(), today)) + 1, DayNumber(today)};
    } else if (rbDays->isChecked()) {
        // The previous n days are n days, today the last of them.
        const int end = DayNumber(today);
        result_ = ChartRange{end - edDays->value() + 1, end};
    } else {
        result_ = ChartRange{DayNumber(dtStart->date()), DayNumber(dtEnd->date())};
        // A reversed pair charts nothing; the boxes' own rules normally keep
        // them in order, and OK must not hand out what they would not.
        if (result_.start > result_.end)
            result_.start = result_.end;
    }
}

void TfrmSelectDateRange::dtStart2Exit()
{
    if (dtStart->date() > dtEnd->date())
        dtEnd->setDate(dtStart->date());
}

void TfrmSelectDateRange::dtEndExit()
{
    if (dtStart->date() > dtEnd->date())
        dtStart->setDate(dtEnd->date());
}

void TfrmSelectDateRange::btOKClick()
{
    computeStartEnd();
    accept();
}

}  // namespace morvane
