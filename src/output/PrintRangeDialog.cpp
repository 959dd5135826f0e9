#include "PrintRangeDialog.h"

#include "ShadowLabel.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmPrint::TfrmPrint(Services services, QWidget *parent) : QDialog(parent), sv_(services)
{
    setObjectName(u"frmPrint"_s);
    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setAlignment(Qt::AlignCenter);
    QFont f(u"Times New Roman"_s);
    f.setPixelSize(24);
    f.setBold(true);
    lblTitle->setFont(f);

    auto *choice = new QGroupBox(this);
    rbAll = new QRadioButton(choice);
    rbAll->setObjectName(u"rbAll"_s);
    rbAll->setChecked(true);
    rbDate = new QRadioButton(choice);
    rbDate->setObjectName(u"rbDate"_s);
    dt1 = new QDateEdit(choice);
    dt1->setObjectName(u"dt1"_s);
    dt2 = new QDateEdit(choice);
    dt2->setObjectName(u"dt2"_s);
    for (QDateEdit *d : {dt1, dt2}) {
        d->setCalendarPopup(true);
        d->setDisplayFormat(ToQtPattern(sv_.fs.shortDateFormat));
        d->setDate(sv_.clock.today());
    }
    lblFrom = new QLabel(u"&From this date (inclusive)"_s, choice);
    lblFrom->setBuddy(dt1);
    lblThrough = new QLabel(u"T&hrough date (inclusive)"_s, choice);
    lblThrough->setBuddy(dt2);
    auto *cl = new QVBoxLayout(choice);
    cl->addWidget(rbAll);
    cl->addWidget(rbDate);
    auto *dates = new QGridLayout;
    dates->addWidget(lblFrom, 0, 0);
    dates->addWidget(dt1, 0, 1);
    dates->addWidget(lblThrough, 1, 0);
    dates->addWidget(dt2, 1, 1);
    dates->setColumnStretch(2, 1);
    cl->addLayout(dates);
    connect(rbAll, &QRadioButton::clicked, this, [this] { rbDateClick(); });
    connect(rbDate, &QRadioButton::clicked, this, [this] { rbDateClick(); });

    grpNonDate = new QGroupBox(this);
    grpNonDate->setObjectName(u"grpNonDate"_s);
    cbNonDate = new QCheckBox(u"&To-do tasks?"_s, grpNonDate);
    cbNonDate->setObjectName(u"cbNonDate"_s);
    cbNonDate->setChecked(true);
    (new QVBoxLayout(grpNonDate))->addWidget(cbNonDate);

    btOK = new QPushButton(u"OK"_s, this);
    btOK->setObjectName(u"btOK"_s);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    btCancel->setObjectName(u"btCancel"_s);
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);

    auto *l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addWidget(choice);
    l->addWidget(grpNonDate);
    l->addStretch();
    l->addLayout(buttons);
    rbDateClick();
}

void TfrmPrint::setHeadingShadow(int depth, const QColor &text)
{
    lblTitle->setShadowDepth(depth);
    lblTitle->setTextColor(text);
}

void TfrmPrint::setWeekStart(Qt::DayOfWeek day)
{
    for (QDateEdit *d : {dt1, dt2})
        d->calendarWidget()->setFirstDayOfWeek(day);
}

void TfrmPrint::showEvent(QShowEvent *e)
{
    FormShow();
    QDialog::showEvent(e);
}

void TfrmPrint::FormShow()
{
    const bool filtered = sv_.filter.FiltersOn();
    const QString all = RangeAllCaption(mode, filtered);
    rbAll->setText(all);
    setWindowTitle(all);
    lblTitle->setText(all);
    rbDate->setText(RangeDatesCaption(mode, filtered));
    // An export takes the dated tasks only.
    grpNonDate->setVisible(RangeShowsTodoBox(mode));
    rbDateClick();
}

void TfrmPrint::rbDateClick()
{
    const bool range = rbDate->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{lblFrom, dt1, lblThrough, dt2})
        w->setVisible(range);
    // The window fits what it shows now: longer captions, the date fields.
    for (QLayout *l : {rbAll->parentWidget()->layout(), layout()}) {
        l->invalidate();
        l->activate();
    }
    resize(sizeHint());
}

void TfrmPrint::btOKClick()
{
    if (const QString why = CheckPrintRange(range()); !why.isEmpty()) {
        sv_.prompts.ErrorBox(why);
        dt2->setFocus();
        return;
    }
    mode = Mode::Print;
    accept();
}

PrintRange TfrmPrint::range() const
{
    return PrintRange{mode, rbDate->isChecked(), dt1->date(), dt2->date(), cbNonDate->isChecked()};
}

void TfrmPrint::setRange(const PrintRange &range)
{
    (range.byDate ? rbDate : rbAll)->setChecked(true);
    dt1->setDate(range.first);
    dt2->setDate(range.last);
    cbNonDate->setChecked(range.includeTodo);
    rbDateClick();
}

}  // namespace morvane
