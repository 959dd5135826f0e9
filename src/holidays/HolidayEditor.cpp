#include "HolidayEditor.h"

#include "HolidayRules.h"

#include <QButtonGroup>
#include <QCalendarWidget>
#include <QComboBox>
#include <QDateEdit>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmEditHoliday::TfrmEditHoliday(const FormatSettings &fs, const QDate &today, Prompts &prompts, QWidget *parent)
    : QDialog(parent), fs_(fs), today_(today), prompts_(prompts)
{
    setObjectName(u"frmEditHoliday"_s);
    setWindowTitle(u"Edit Holiday"_s);

    edName = new QLineEdit(this);
    edName->setObjectName(u"edName"_s);
    edName->setMaxLength(30);
    auto *nameLabel = new QLabel(u"&Holiday name"_s, this);
    nameLabel->setBuddy(edName);

    auto *type = new QGroupBox(u"Holiday Type"_s, this);
    rbOneTime = new QRadioButton(u"One-time holiday"_s, type);
    rbOneTime->setObjectName(u"rbOneTime"_s);
    rbAnnual = new QRadioButton(u"Annual repeating"_s, type);
    rbAnnual->setObjectName(u"rbAnnual"_s);
    rbOneTime->setChecked(true);
    auto *tl = new QHBoxLayout(type);
    tl->addWidget(rbOneTime);
    tl->addWidget(rbAnnual);
    tl->addStretch();

    pages = new QStackedWidget(this);
    auto *once = new QWidget;
    auto *ol = new QVBoxLayout(once);
    ol->addWidget(new QLabel(u"This holiday date does not repeat:"_s, once));
    dt1 = new QDateEdit(once);
    dt1->setObjectName(u"dt1"_s);
    dt1->setCalendarPopup(true);
    setWeekStart(Qt::Sunday);
    dt1->setDisplayFormat(ToQtPattern(fs_.shortDateFormat));
    dt1->setDate(today_);
    ol->addWidget(dt1);
    auto *note = new QLabel(u"Use this to enter holidays based on the lunar calendar such as Passover and Easter."_s, once);
    note->setWordWrap(true);
    ol->addWidget(note);
    ol->addStretch();

    auto *annual = new QWidget;
    cbMonth = new QComboBox(annual);
    cbMonth->setObjectName(u"cbMonth"_s);
    for (const QString &m : fs_.longMonthNames)
        cbMonth->addItem(m);
    rbSpecific = new QRadioButton(u"&Specific day of month"_s, annual);
    rbSpecific->setObjectName(u"rbSpecific"_s);
    rbFloating = new QRadioButton(u"&Floating day of month"_s, annual);
    rbFloating->setObjectName(u"rbFloating"_s);
    rbSpecific->setChecked(true);
    cbDOM = new QComboBox(annual);
    cbDOM->setObjectName(u"cbDOM"_s);
    cbNth = new QComboBox(annual);
    cbNth->setObjectName(u"cbNth"_s);
    cbNth->addItems({u"First"_s, u"Second"_s, u"Third"_s, u"Fourth"_s, u"Last"_s});
    cbDay = new QComboBox(annual);
    cbDay->setObjectName(u"cbDay"_s);
    for (const QString &d : fs_.longDayNames)
        cbDay->addItem(d);
    auto *monthLabel = new QLabel(u"Month"_s, annual);
    monthLabel->setBuddy(cbMonth);
    auto *al = new QGridLayout(annual);
    al->addWidget(monthLabel, 0, 0);
    al->addWidget(cbMonth, 0, 1, 1, 2);
    al->addWidget(rbSpecific, 1, 0);
    al->addWidget(cbDOM, 1, 1);
    al->addWidget(rbFloating, 2, 0);
    al->addWidget(cbNth, 2, 1);
    al->addWidget(cbDay, 2, 2);
    al->setRowStretch(3, 1);
    pages->addWidget(once);
    pages->addWidget(annual);

    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    connect(btOK, &QPushButton::clicked, this, &TfrmEditHoliday::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(rbOneTime, &QRadioButton::toggled, this, [this] { showChoice(); });
    connect(rbSpecific, &QRadioButton::toggled, this, [this] { showChoice(); });
    connect(cbMonth, &QComboBox::currentIndexChanged, this, [this] { fillDays(cbDOM->currentIndex()); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *l = new QVBoxLayout(this);
    auto *name = new QHBoxLayout;
    name->addWidget(nameLabel);
    name->addWidget(edName, 1);
    l->addLayout(name);
    l->addWidget(type);
    l->addWidget(pages, 1);
    l->addLayout(buttons);
    fillDays(0);
    showChoice();
}

void TfrmEditHoliday::setWeekStart(Qt::DayOfWeek day) { dt1->calendarWidget()->setFirstDayOfWeek(day); }

void TfrmEditHoliday::fillDays(int keepIndex)
{
    // February offers its 29th: a fixed 29 February is a holiday in leap years.
    const int month = cbMonth->currentIndex() + 1;
    const int days = month >= 1 ? DaysInMonthOf(month, 1996) : 0;
    cbDOM->clear();
    for (int d = 1; d <= days; ++d)
        cbDOM->addItem(QString::number(d));
    if (days > 0)
        cbDOM->setCurrentIndex(std::clamp(keepIndex, 0, days - 1));
}

void TfrmEditHoliday::showChoice()
{
    pages->setCurrentIndex(rbOneTime->isChecked() ? 0 : 1);
    cbDOM->setVisible(rbSpecific->isChecked());
    cbNth->setVisible(rbFloating->isChecked());
    cbDay->setVisible(rbFloating->isChecked());
}

void TfrmEditHoliday::presetFromRow(const Grid &table, int row)
{
    isNew = false;
    edName->setText(table.cell(kHolName, row));
    editMonth = table.cell(kHolMonth, row);
    const QString rule = table.cell(kHolRule, row);
    if (CountDigits(rule) == 8) {
        rbOneTime->setChecked(true);
        dt1->setDate(OneTimeRuleDate(rule));
        return;
    }
    rbAnnual->setChecked(true);
    const qsizetype sep = rule.indexOf(u" : ");
    if (sep >= 0) {
        rbFloating->setChecked(true);
        editNth = rule.left(sep);
        editWeekday = rule.mid(sep + 3);
    } else {
        rbSpecific->setChecked(true);
        editDay = SafeStrToInt(rule);
    }
}

void TfrmEditHoliday::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TfrmEditHoliday::FormShow()
{
    if (isNew) {
        edName->clear();
        cbMonth->setCurrentIndex(today_.month() - 1);
        cbNth->setCurrentIndex(0);
        cbDay->setCurrentIndex(0);
        fillDays(today_.day() - 1);
        rbOneTime->setChecked(true);
        dt1->setDate(today_);
    } else {
        cbMonth->setCurrentIndex(cbMonth->findText(editMonth));  // none when not a month of the locale
        fillDays(editDay > 0 ? editDay - 1 : 0);
        cbNth->setCurrentIndex(cbNth->findText(editNth));
        cbDay->setCurrentIndex(cbDay->findText(editWeekday));
    }
    showChoice();
    edName->setFocus();
}

void TfrmEditHoliday::accept()
{
    if (IsBlankText(edName->text())) {
        prompts_.ErrorBox(u"The holiday name cannot be blank"_s);
        edName->setFocus();
        return;
    }
    if (rbOneTime->isChecked())
        cbMonth->setCurrentIndex(dt1->date().month() - 1);  // the row's month agrees with the date
    QDialog::accept();
}

void TfrmEditHoliday::writeRow(Grid &table, int row) const
{
    QString rule;
    if (rbOneTime->isChecked())
        rule = dt1->date().toString(u"yyyyMMdd"_s);
    else if (rbSpecific->isChecked())
        rule = cbDOM->currentText();
    else
        rule = cbNth->currentText() + u" : "_s + cbDay->currentText();
    WriteHolidayRow(table, row, edName->text(), cbMonth->currentText(), rule, fs_);
}

}  // namespace morvane
