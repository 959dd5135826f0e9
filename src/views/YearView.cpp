#include "YearView.h"

#include "CalendarRules.h"
#include "Colors.h"
#include "ScreenPlacement.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPushButton>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const IntSetting kHeight{"", "YearHeight", 336};
const IntSetting kWidth{"", "YearWidth", 400};
const IntSetting kTop{"", "YearTop", 30};
const IntSetting kLeft{"", "YearLeft", 30};

// A day with the same day of the month in another month or year, never
// past that month's end (29 February becomes 28 February).
QDate sameDayIn(int year, int month, int day)
{
    const QDate first(year, month, 1);
    return QDate(year, month, std::min(day, first.daysInMonth()));
}

QColor face() { return QApplication::palette().color(QPalette::Button); }
QColor buttonHighlight() { return ToQColor(kButtonHighlight); }

// Filling twelve months from the store takes a moment on a large one.
struct Hourglass {
    Hourglass() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Hourglass() { QApplication::restoreOverrideCursor(); }
    Hourglass(const Hourglass &) = delete;
    Hourglass &operator=(const Hourglass &) = delete;
};

}  // namespace

TfrmYear::TfrmYear(Services services, QWidget *parent) : QDialog(parent), sv_(std::move(services))
{
    setObjectName(u"frmYear"_s);
    setWindowTitle(u"12-month Calendar"_s);
    setWindowFlags(windowFlags() | Qt::WindowStaysOnTopHint);
    for (int i = 0; i < 12; ++i) {
        auto *c = new MonthCalendar(this);
        c->setObjectName(u"cal%1"_s.arg(i + 1));
        c->colorBack = c->colorSelectedBack = c->colorPrevNextBack = c->colorHeaderBack = face();
        c->bevelWidth = 3;
        // Each calendar keeps its month: the neighbouring months' cells stay empty.
        c->prevNextDaysShown = false;
        c->setDrawCell([this, i](QPainter &p, const MonthCalendar::Cell &cell, bool &defaultDraw) {
            if (!yearReady_)
                return;
            const QDate date = sameDayIn(cal_[std::size_t(i)]->date().year(), i + 1, cell.day);
            if (cell.selected && i == selected_) {
                defaultDraw = true;  // the chosen day keeps the selection look
                return;
            }
            if (sv_.paintDay)
                sv_.paintDay(p, date, defaultDraw);
            else
                defaultDraw = true;
        });
        connect(c, &MonthCalendar::clicked, this, [this, i] { cal1Click(i); });
        connect(c, &MonthCalendar::cellDoubleClicked, this, [this](const QRect &, bool inMonth, int, int) {
            if (inMonth)
                accept();
        });
        c->installEventFilter(this);
        cal_[std::size_t(i)] = c;
    }
    Panel1_ = new QWidget(this);
    auto *bar = new QHBoxLayout(Panel1_);
    bar->setContentsMargins(4, 2, 4, 2);
    btPrior = new QPushButton(u"&Prior"_s, Panel1_);
    btNext = new QPushButton(u"&Next"_s, Panel1_);
    btToday = new QPushButton(u"&Today"_s, Panel1_);
    // The main window's fly-by hint setting holds here too; it cannot change
    // while this modal view is open.
    if (sv_.showHints) {
        btPrior->setToolTip(u"Prior year"_s);
        btNext->setToolTip(u"Next year"_s);
        btToday->setToolTip(u"Ctrl-Home - go to today"_s);
    }
    for (QPushButton *b : {btPrior, btNext, btToday}) {
        b->setAutoDefault(false);
        b->setFocusPolicy(Qt::NoFocus);  // the arrows belong to the calendars
        bar->addWidget(b);
    }
    bar->addStretch();
    StatusBar1_ = new QLabel(this);
    StatusBar1_->setObjectName(u"StatusBar1"_s);
    StatusBar1_->setFrameShape(QFrame::StyledPanel);
    connect(btPrior, &QPushButton::clicked, this, [this] { btPriorClick(); });
    connect(btNext, &QPushButton::clicked, this, [this] { btNextClick(); });
    connect(btToday, &QPushButton::clicked, this, [this] { btTodayClick(); });

    // Never smaller than its months can be read at, whatever was stored
    // (the first default was too small for that).
    setMinimumSize(readableSize().boundedTo(AvailableArea(*this).size()));
    resize(sv_.settings.read(kWidth), sv_.settings.read(kHeight));
    move(sv_.settings.read(kLeft), sv_.settings.read(kTop));
}

QSize TfrmYear::readableSize() const
{
    // A month with its labels, its weekday row and its day numbers at the
    // calendar font's size with room between them.
    MonthCalendar probe;
    probe.cellFont = QFont(u"Arial"_s, std::max(1, sv_.calendarFontSize));
    probe.monthLabelFont = QFont(u"Times New Roman"_s, std::max(1, sv_.calendarFontSize));
    probe.monthLabelFont.setBold(true);
    probe.showWeekDayHeader = true;
    probe.showOnCalendar = true;
    probe.bevelWidth = 3;
    // And tall enough for the sizing rule to show the weekday row.
    int h = probe.sizeHint().height();
    CalendarSizing look;
    LookForHeight(look, h, sv_.calendarFontSize);
    while (!look.weekDayHeader)
        LookForHeight(look, ++h, sv_.calendarFontSize);
    // Four across, overlapping by a pixel; three down, a pixel apart.
    return {4 * (probe.sizeHint().width() - 1),
            3 * (h + 1) + Panel1_->sizeHint().height() + StatusBar1_->sizeHint().height()};
}

QDate TfrmYear::selectedDate() const { return cal_[std::size_t(selected_)]->date(); }
QString TfrmYear::statusText() const { return StatusBar1_->text(); }

void TfrmYear::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TfrmYear::FormShow()
{
    const Hourglass busy;
    const QDate main = sv_.mainDate ? sv_.mainDate() : sv_.clock.today();
    for (MonthCalendar *c : cal_)
        c->setStartOfWeek(sv_.weekStart);
    setYear(main.year());
    select(main.month() - 1);
    {
        const QSignalBlocker quiet(cal_[std::size_t(selected_)]);
        cal_[std::size_t(selected_)]->setDate(main);
    }
    cal_[std::size_t(selected_)]->setFocus();
    updateCaption();
    StatusBar1_->setText(u"Use the arrow keys to move from date to date"_s);
}

void TfrmYear::setYear(int year)
{
    // Each calendar keeps its month and day; 29 February becomes 28.
    const QDate today = sv_.clock.today();
    for (int i = 0; i < 12; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        const QSignalBlocker quiet(c);
        c->setDate(sameDayIn(year, i + 1, c->date().month() == i + 1 ? c->date().day() : 1));
        // The calendar of the real current month may take its own background.
        const bool thisMonth = year == today.year() && i + 1 == today.month();
        c->colorBack = thisMonth && sv_.currentMonthBack.isValid() ? sv_.currentMonthBack : face();
        c->colorHeaderBack = c->colorBack;
        c->update();
    }
}

void TfrmYear::updateCaption() { setWindowTitle(u"Yearly calendar for %1"_s.arg(cal_[0]->date().year())); }

void TfrmYear::select(int cal)
{
    selected_ = cal;
    for (int i = 0; i < 12; ++i) {
        MonthCalendar *c = cal_[std::size_t(i)];
        c->colorSelectedBack = i == cal ? buttonHighlight() : face();
        c->update();
    }
}

void TfrmYear::cal1Click(int cal)
{
    select(cal);
    if (sv_.setMainDate)
        sv_.setMainDate(selectedDate());
    if (sv_.mainStatus)
        StatusBar1_->setText(sv_.mainStatus());
}

void TfrmYear::btPriorClick()
{
    const Hourglass busy;
    setYear(cal_[0]->date().year() - 1);
    updateCaption();
    cal1Click(selected_);
}

void TfrmYear::btNextClick()
{
    const Hourglass busy;
    setYear(cal_[0]->date().year() + 1);
    updateCaption();
    cal1Click(selected_);
}

void TfrmYear::btTodayClick()
{
    const Hourglass busy;
    const QDate today = sv_.clock.today();
    if (cal_[0]->date().year() != today.year())
        setYear(today.year());
    select(today.month() - 1);
    {
        const QSignalBlocker quiet(cal_[std::size_t(selected_)]);
        cal_[std::size_t(selected_)]->setDate(today);
    }
    updateCaption();
    cal_[std::size_t(selected_)]->setFocus();
    cal1Click(selected_);
}

bool TfrmYear::FormKeyDown(int key, Qt::KeyboardModifiers mods)
{
    const QDate d = selectedDate();
    int step = 0;
    switch (key) {
    case Qt::Key_Left: step = -1; break;
    case Qt::Key_Right: step = 1; break;
    case Qt::Key_Up: step = -7; break;
    case Qt::Key_Down: step = 7; break;
    default: break;
    }
    if (step != 0) {
        // Past 31 December the arrows go on into the next year, before
        // 1 January into the year before, as on a paper calendar.
        const QDate to = d.addDays(step);
        if (to.year() != d.year()) {
            setYear(to.year());
            updateCaption();
        }
        if (to.month() != d.month())
            select(to.month() - 1);
        const QSignalBlocker quiet(cal_[std::size_t(selected_)]);
        cal_[std::size_t(selected_)]->setDate(to);
    } else if (key == Qt::Key_PageUp) {
        if (selected_ == 0)
            btPriorClick();
        else
            select(selected_ - 1);
    } else if (key == Qt::Key_PageDown) {
        if (selected_ == 11)
            btNextClick();
        else
            select(selected_ + 1);
        MonthCalendar *c = cal_[std::size_t(selected_)];
        const QSignalBlocker quiet(c);
        c->setDate(QDate(c->date().year(), c->date().month(), 1));
    } else if (key == Qt::Key_Home && mods.testFlag(Qt::ControlModifier)) {
        btTodayClick();
    } else {
        return false;
    }
    cal_[std::size_t(selected_)]->setFocus();
    cal1Click(selected_);
    return true;
}

bool TfrmYear::eventFilter(QObject *watched, QEvent *e)
{
    // The window sees the keys before the calendars.
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() && static_cast<QWidget *>(watched)->window() == this) {
        auto *k = static_cast<QKeyEvent *>(e);
        if (FormKeyDown(k->key(), k->modifiers()))
            return true;
    }
    return QDialog::eventFilter(watched, e);
}

void TfrmYear::keyPressEvent(QKeyEvent *e)
{
    if (!FormKeyDown(e->key(), e->modifiers()))
        QDialog::keyPressEvent(e);  // Escape closes
}

void TfrmYear::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    yearReady_ = false;
    resizeCalendars();
    yearReady_ = true;
}

void TfrmYear::resizeCalendars()
{
    const int statusHeight = StatusBar1_->sizeHint().height();
    const int panelHeight = Panel1_->sizeHint().height();
    const int w = width() / 4 + 1;
    const int h = std::max(1, (height() - statusHeight - panelHeight) / 3);
    for (int i = 0; i < 12; ++i) {
        const int col = i % 4, row = i / 4;
        cal_[std::size_t(i)]->setGeometry(col * (w - 1), row * (h + 1), w, h);
    }
    Panel1_->setGeometry(0, 3 * (h + 1), width(), panelHeight);
    StatusBar1_->setGeometry(0, height() - statusHeight, width(), statusHeight);
    CalendarSizing look;
    LookForHeight(look, h, sv_.calendarFontSize);
    // No larger than a cell holds.
    const QFont font = FitFont(QFont(u"Arial"_s, std::max(1, look.cellFontSize)), u"30"_s, w / 7 - 2, h / 8);
    // The month and year labels as on the main window's calendars.
    QFont label(u"Times New Roman"_s, std::max(1, look.cellFontSize));
    label.setBold(true);
    label = FitFont(label, QLocale().monthName(9) + u" 2026"_s, w - 8, h / 8 + 4);  // September: a long name
    for (MonthCalendar *c : cal_) {
        c->showWeekDayHeader = look.weekDayHeader;
        c->showOnCalendar = look.labels;
        c->text3dLabels = look.raisedLabels;
        c->cellFont = font;
        c->selectedCellFont = font;
        c->selectedCellFont.setBold(true);
        c->monthLabelFont = label;
        c->yearLabelFont = label;
        c->update();
    }
}

void TfrmYear::done(int result)
{
    sv_.settings.write(kHeight, height());
    sv_.settings.write(kWidth, width());
    sv_.settings.write(kTop, y());
    sv_.settings.write(kLeft, x());
    QDialog::done(result);
}

}  // namespace morvane
