#include "RecurrenceDialog.h"

#include <QCheckBox>
#include <QCalendarWidget>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QSpinBox *counter(int max, QWidget *parent)
{
    auto *s = new QSpinBox(parent);
    s->setRange(1, max);
    s->setValue(1);
    return s;
}

// "Every [n] <unit>" row.
QHBoxLayout *everyRow(QSpinBox *count, const QString &unit, QWidget *parent)
{
    auto *l = new QHBoxLayout;
    auto *every = new QLabel(u"E&very"_s, parent);
    every->setBuddy(count);
    l->addWidget(every);
    l->addWidget(count);
    l->addWidget(new QLabel(unit, parent));
    l->addStretch();
    return l;
}

const char16_t *const kDayCaptions[7] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};

// The weekday boxes, shown Monday first as on the form, held Sunday first.
QHBoxLayout *weekdayRow(std::array<QCheckBox *, 7> &boxes, QWidget *parent)
{
    auto *l = new QHBoxLayout;
    for (int i = 0; i < 7; ++i)
        boxes[std::size_t(i)] = new QCheckBox(QString::fromUtf16(kDayCaptions[i]), parent);
    for (int i : {1, 2, 3, 4, 5, 6, 0})
        l->addWidget(boxes[std::size_t(i)]);
    l->addStretch();
    return l;
}

}  // namespace

TfrmRecur::TfrmRecur(TaskStore &store, Prompts &prompts, const FormatSettings &fs, const Clock &clock,
                     std::function<void(const FileResult &)> reportSave, QWidget *parent)
    : QDialog(parent), store_(store), prompts_(prompts), fs_(fs), clock_(clock), reportSave_(std::move(reportSave))
{
    setObjectName(u"frmRecur"_s);
    setWindowTitle(u"Repeating event"_s);
    startDate = clock_.today().addDays(1);
    previewFormat_ = MakePreviewFormat(fs_.shortDateFormat);

    // The range.
    auto *range = new QGroupBox(u"Range"_s, this);
    date1 = new QDateEdit(range);
    date1->setObjectName(u"date1"_s);
    date1->setCalendarPopup(true);
    date2 = new QDateEdit(range);
    date2->setObjectName(u"date2"_s);
    date2->setCalendarPopup(true);
    setWeekStart(Qt::Sunday);
    lblNdays = new QLabel(range);
    lblNdays->setObjectName(u"lblNdays"_s);
    auto *rl = new QGridLayout(range);
    auto *l1 = new QLabel(u"&Start Date"_s, range);
    l1->setBuddy(date1);
    auto *l2 = new QLabel(u"E&nd Date"_s, range);
    l2->setBuddy(date2);
    rl->addWidget(l1, 0, 0);
    rl->addWidget(date1, 0, 1);
    rl->addWidget(l2, 1, 0);
    rl->addWidget(date2, 1, 1);
    rl->addWidget(lblNdays, 2, 1);
    date1->setDisplayFormat(ToQtPattern(fs_.shortDateFormat));
    date2->setDisplayFormat(ToQtPattern(fs_.shortDateFormat));
    connect(date1, &QDateEdit::dateChanged, this, [this] { calculateNDays(); });
    connect(date2, &QDateEdit::dateChanged, this, [this] { calculateNDays(); });

    // The pattern and its panel.
    auto *pattern = new QGroupBox(u"Pattern"_s, this);
    rbWofM = new QRadioButton(u"&Week of Month"_s, pattern);
    rbDofM = new QRadioButton(u"Da&ys of Month"_s, pattern);
    rbWeekly = new QRadioButton(u"W&eekly"_s, pattern);
    rbDaily = new QRadioButton(u"D&aily"_s, pattern);
    rbAnnual = new QRadioButton(u"Annually"_s, pattern);
    rbWofM->setChecked(true);
    panels = new QStackedWidget(this);
    panels->addWidget(buildWofM());
    panels->addWidget(buildDofM());
    panels->addWidget(buildWeekly());
    panels->addWidget(buildDaily());
    auto *annual = new QLabel(u"Events are scheduled annually on the starting date above"_s);
    annual->setWordWrap(true);
    panels->addWidget(annual);
    auto *pl = new QVBoxLayout(pattern);
    int index = 0;
    for (QRadioButton *rb : {rbWofM, rbDofM, rbWeekly, rbDaily, rbAnnual}) {
        pl->addWidget(rb);
        connect(rb, &QRadioButton::toggled, this, [this, index](bool on) {
            if (on)
                panels->setCurrentIndex(index);
        });
        ++index;
    }
    pl->addStretch();

    // The preview.
    auto *preview = new QGroupBox(u"Preview of dates"_s, this);
    ListBox1 = new QListWidget(preview);
    ListBox1->setObjectName(u"ListBox1"_s);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListBox1->setToolTip(u"Click and drag to select multiple dates to delete"_s);
    ListBox1->installEventFilter(this);
    ListBox1->setMinimumWidth(ListBox1->fontMetrics().horizontalAdvance(u"12/31/2026    Wed    12 mons ago"_s) + 40);
    lblCount = new QLabel(u"Number of dates: "_s, preview);
    auto *note = new QLabel(u"Highlight multiple dates then click Delete to remove dates."_s, preview);
    note->setWordWrap(true);
    auto *vl = new QVBoxLayout(preview);
    vl->addWidget(ListBox1, 1);
    vl->addWidget(lblCount);
    vl->addWidget(note);
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { updateButtons(); });

    btPreview = new QPushButton(u"&Preview Selection"_s, this);
    btPreview->setDefault(true);
    btReset = new QPushButton(u"&Reset"_s, this);
    btDelete = new QPushButton(u"&Delete"_s, this);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setToolTip(u"Add multiple reminders"_s);
    btCancel = new QPushButton(u"Cancel"_s, this);
    for (QPushButton *b : {btReset, btDelete, btOK, btCancel})
        b->setAutoDefault(false);
    connect(btPreview, &QPushButton::clicked, this, [this] { btPreviewClick(); });
    connect(btReset, &QPushButton::clicked, this, [this] { btResetClick(); });
    connect(btDelete, &QPushButton::clicked, this, [this] { btDeleteClick(); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *left = new QVBoxLayout;
    left->addWidget(range);
    auto *middle = new QHBoxLayout;
    middle->addWidget(pattern);
    middle->addWidget(panels, 1);
    left->addLayout(middle, 1);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btPreview, btReset, btDelete})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    left->addLayout(buttons);
    auto *main = new QHBoxLayout(this);
    main->addLayout(left, 3);
    main->addWidget(preview, 2);
    btResetClick();
}

QWidget *TfrmRecur::buildWofM()
{
    auto *w = new QWidget;
    cntWofM = counter(12, w);
    cntWofM->setObjectName(u"cntWofM"_s);
    auto *l = new QVBoxLayout(w);
    l->addLayout(everyRow(cntWofM, u"Months"_s, w));
    auto *nth = new QHBoxLayout;
    nth->addWidget(new QLabel(u"On the"_s, w));
    const char16_t *const captions[5] = {u"1st", u"2nd", u"3rd", u"4th", u"Last"};
    for (int i = 0; i < 5; ++i) {
        cbNth[std::size_t(i)] = new QCheckBox(QString::fromUtf16(captions[i]), w);
        nth->addWidget(cbNth[std::size_t(i)]);
    }
    nth->addStretch();
    l->addLayout(nth);
    // 4th and Last exclude each other.
    connect(cbNth[3], &QCheckBox::clicked, this, [this](bool on) {
        if (on && cbNth[4]->isChecked())
            cbNth[3]->setChecked(false);
    });
    connect(cbNth[4], &QCheckBox::clicked, this, [this](bool on) {
        if (on && cbNth[3]->isChecked())
            cbNth[4]->setChecked(false);
    });
    auto *on = weekdayRow(cbWofMDay, w);
    on->insertWidget(0, new QLabel(u"On"_s, w));
    l->addLayout(on);
    l->addStretch();
    return w;
}

QWidget *TfrmRecur::buildDofM()
{
    auto *w = new QWidget;
    cntDofM = counter(12, w);
    cntDofM->setObjectName(u"cntDofM"_s);
    sgMonth = new QTableWidget(5, 7, w);
    sgMonth->setObjectName(u"sgMonth"_s);
    sgMonth->horizontalHeader()->hide();
    sgMonth->verticalHeader()->hide();
    sgMonth->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sgMonth->setSelectionMode(QAbstractItemView::NoSelection);
    sgMonth->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    sgMonth->verticalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 7; ++c) {
            const int day = r * 7 + c + 1;
            auto *item = new QTableWidgetItem(day <= 31 ? QString::number(day) : QString());
            item->setTextAlignment(Qt::AlignLeft | Qt::AlignTop);
            if (day > 31)
                item->setFlags(Qt::NoItemFlags);
            sgMonth->setItem(r, c, item);
        }
    connect(sgMonth, &QTableWidget::cellPressed, this, [this](int r, int c) {
        if (r * 7 + c + 1 <= 31)
            toggleDay(r * 7 + c + 1);
    });
    // From the keyboard: the arrows move among the days, Space toggles one.
    sgMonth->installEventFilter(this);
    cbDofMAvoidSat = new QCheckBox(u"Avoid Saturdays?"_s, w);
    cbDofMAvoidSun = new QCheckBox(u"Avoid Sundays?"_s, w);
    auto *l = new QVBoxLayout(w);
    l->addLayout(everyRow(cntDofM, u"Months"_s, w));
    l->addWidget(sgMonth, 1);
    l->addWidget(cbDofMAvoidSat);
    l->addWidget(cbDofMAvoidSun);
    return w;
}

QWidget *TfrmRecur::buildWeekly()
{
    auto *w = new QWidget;
    cntWeekly = counter(52, w);
    cntWeekly->setObjectName(u"cntWeekly"_s);
    auto *l = new QVBoxLayout(w);
    l->addLayout(everyRow(cntWeekly, u"Weeks"_s, w));
    l->addLayout(weekdayRow(cbWeekDay, w));
    l->addStretch();
    return w;
}

QWidget *TfrmRecur::buildDaily()
{
    auto *w = new QWidget;
    cntDaily = counter(364, w);
    cntDaily->setObjectName(u"cntDaily"_s);
    cbDailyAvoidSat = new QCheckBox(u"Avoid Saturdays?"_s, w);
    cbDailyAvoidSun = new QCheckBox(u"Avoid Sundays?"_s, w);
    auto *l = new QVBoxLayout(w);
    l->addLayout(everyRow(cntDaily, u"Days"_s, w));
    l->addWidget(cbDailyAvoidSat);
    l->addWidget(cbDailyAvoidSun);
    l->addStretch();
    return w;
}

void TfrmRecur::init(const QString &time, const QString &category, const QString &notes, const QString &alarm)
{
    task_ = {time, category, notes, alarm};
}

void TfrmRecur::setWeekStart(Qt::DayOfWeek day)
{
    for (QDateEdit *d : {date1, date2})
        d->calendarWidget()->setFirstDayOfWeek(day);
}

void TfrmRecur::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    date1->setDate(startDate);
    date2->setDate(startDate.addDays(30));
    setWindowTitle(u"Repeating event for "_s + task_.notes.left(35) + u"..."_s);
    calculateNDays();
}

void TfrmRecur::calculateNDays()
{
    lblNdays->setText(u"%1 Days"_s.arg(date1->date().daysTo(date2->date())));
}

void TfrmRecur::toggleDay(int day)
{
    if (day < 1 || day > 31)
        return;
    selectedDays_[std::size_t(day - 1)] = !selectedDays_[std::size_t(day - 1)];
    paintMiniCalendar();
}

void TfrmRecur::paintMiniCalendar()
{
    for (int day = 1; day <= 31; ++day) {
        QTableWidgetItem *item = sgMonth->item((day - 1) / 7, (day - 1) % 7);
        const bool on = selectedDays_[std::size_t(day - 1)];
        item->setBackground(on ? Qt::black : Qt::white);
        item->setForeground(on ? Qt::white : Qt::black);
    }
}

RecurrenceRule TfrmRecur::rule() const
{
    RecurrenceRule s;
    s.pattern = rbWofM->isChecked()     ? RecurPattern::WeekOfMonth
                : rbDofM->isChecked()   ? RecurPattern::DaysOfMonth
                : rbWeekly->isChecked() ? RecurPattern::Weekly
                : rbDaily->isChecked()  ? RecurPattern::Daily
                                        : RecurPattern::Annually;
    s.everyMonthsWofM = cntWofM->value();
    for (int i = 0; i < 5; ++i)
        s.ordinals[std::size_t(i)] = cbNth[std::size_t(i)]->isChecked();
    for (int i = 0; i < 7; ++i) {
        s.wofmDays[std::size_t(i)] = cbWofMDay[std::size_t(i)]->isChecked();
        s.weeklyDays[std::size_t(i)] = cbWeekDay[std::size_t(i)]->isChecked();
    }
    s.everyMonthsDofM = cntDofM->value();
    s.selectedDays = selectedDays_;
    s.dofmAvoidSat = cbDofMAvoidSat->isChecked();
    s.dofmAvoidSun = cbDofMAvoidSun->isChecked();
    s.everyWeeks = cntWeekly->value();
    s.everyDays = cntDaily->value();
    s.dailyAvoidSat = cbDailyAvoidSat->isChecked();
    s.dailyAvoidSun = cbDailyAvoidSun->isChecked();
    return s;
}

QList<QDate> TfrmRecur::previewDates() const
{
    QList<QDate> out;
    for (int i = 0; i < ListBox1->count(); ++i)
        out << ListBox1->item(i)->data(Qt::UserRole).toDate();
    return out;
}

void TfrmRecur::btPreviewClick()
{
    const QDate s = date1->date(), e = date2->date();
    if (RangeTooLong(s, e)) {
        prompts_.ErrorBox(u"Date range exceeds 20 years!"_s);
        return;
    }
    ListBox1->clear();
    // Each line keeps its date: OK inserts those, whatever the line shows.
    for (const QDate &d : GenerateDates(rule(), s, e)) {
        auto *item = new QListWidgetItem(PreviewLine(d, previewFormat_, fs_, clock_));
        item->setData(Qt::UserRole, d);
        ListBox1->addItem(item);
    }
    lblCount->setText(u"Number of dates: %1"_s.arg(ListBox1->count()));
    if (ListBox1->count() == 0)
        prompts_.ErrorBox(u"No dates were generated.  Check your starting/ending dates and selections."_s);
    updateButtons();
}

void TfrmRecur::btDeleteClick()
{
    for (int i = ListBox1->count() - 1; i >= 0; --i)
        if (ListBox1->item(i)->isSelected())
            delete ListBox1->takeItem(i);
    lblCount->setText(u"Number of dates: %1"_s.arg(ListBox1->count()));
    updateButtons();
}

void TfrmRecur::btResetClick()
{
    ListBox1->clear();
    lblCount->setText(u"Number of dates: "_s);
    updateButtons();
}

void TfrmRecur::updateButtons()
{
    btDelete->setEnabled(!ListBox1->selectedItems().isEmpty());
    btOK->setEnabled(ListBox1->count() > 0);
}

void TfrmRecur::btOKClick()
{
    const QList<QDate> dates = previewDates();
    if (dates.isEmpty())
        return;
    if (!prompts_.YesNo(u"Really add %1 events to the calendar?"_s.arg(dates.size())))
        return;
    InsertRecurringTasks(store_, dates, task_);
    const FileResult r = store_.SortGridStore();
    if (reportSave_)
        reportSave_(r);
    accept();
}

bool TfrmRecur::eventFilter(QObject *watched, QEvent *e)
{
    if (watched == sgMonth && e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        const int day = sgMonth->currentRow() * 7 + sgMonth->currentColumn() + 1;
        if ((key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter) && sgMonth->currentRow() >= 0 &&
            day >= 1 && day <= 31) {
            toggleDay(day);
            return true;
        }
    }
    if (watched == ListBox1 && e->type() == QEvent::KeyPress
        && static_cast<QKeyEvent *>(e)->key() == Qt::Key_Delete) {
        btDeleteClick();
        return true;  // the key is used up
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace morvane
