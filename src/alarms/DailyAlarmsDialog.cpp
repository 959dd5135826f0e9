#include "DailyAlarmsDialog.h"

#include "ScreenPlacement.h"
#include "ShadowLabel.h"
#include "TimeBarDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr std::array<const char *, 7> kDayStems{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};

// Grid columns: the enabled box, the time edit with its side button, the
// description, then the seven weekdays.
constexpr int kColOK = 0, kColTime = 1, kColEdit = 2, kColSun = 3;
// Grid rows: the column heads, the weekday letters, then the ten alarms.
constexpr int kRowHeads = 0, kRowDays = 1, kRowFirst = 2;

// What a time edit without a time shows while it does not have the focus.
const QString kNoTime = QStringLiteral(" ");

QString rowName(const char *prefix, int n, const char *suffix = "")
{
    return QString::fromLatin1(prefix) + QString::number(n) + QString::fromLatin1(suffix);
}

// The row number as the enabled box's caption, its mnemonic on the last
// digit: Alt+1 to Alt+9 for the first nine rows, Alt+0 for the tenth.
QString rowCaption(int n)
{
    QString s = QString::number(n);
    s.insert(s.size() - 1, u'&');
    return s;
}

int rowOfName(const QString &name, const QString &prefix)
{
    bool ok = false;
    const int n = name.mid(prefix.size()).toInt(&ok);
    return ok && name.startsWith(prefix) && n >= 1 && n <= kDailyAlarmCount ? n : 0;
}

}  // namespace

TfrmDailyTimer::TfrmDailyTimer(Services services, QWidget *parent) : QDialog(parent), sv_(std::move(services))
{
    setObjectName(u"frmDailyTimer"_s);
    setWindowTitle(u"Daily alarms"_s);
    // Alarms are set while looking at something else; the dialog stays in
    // view above it.
    setWindowFlag(Qt::WindowStaysOnTopHint);

    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setText(u"Morvane Daily Alarms"_s);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setFont(sv_.titleFont);
    lblTitle->setShadowDepth(sv_.shadows ? 4 : 1);
    lblTitle->setTextColor(sv_.shadows ? QColor(0, 0, 255) : QColor(0, 0, 128));

    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(4);
    // The column heads' access keys lead into the first row from the keyboard.
    auto *lblEnabled = new QLabel(u"&Enabled?"_s, this);
    auto *lblTime = new QLabel(u"&Time of day"_s, this);
    auto *lblEdit = new QLabel(u"&Description"_s, this);
    auto *lblDays = new QLabel(u"Day of week"_s, this);
    lblDays->setAlignment(Qt::AlignCenter);
    grid->addWidget(lblEnabled, kRowHeads, kColOK, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(lblTime, kRowHeads, kColTime, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(lblEdit, kRowHeads, kColEdit, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(lblDays, kRowHeads, kColSun, 1, 7, Qt::AlignBottom);
    for (int d = 0; d < 7; ++d) {
        lblDay[std::size_t(d)] = new QLabel(this);
        lblDay[std::size_t(d)]->setObjectName(rowName("lblDay", d + 1));
        grid->addWidget(lblDay[std::size_t(d)], kRowDays, kColSun + d, Qt::AlignCenter);
    }

    // The controls are made row by row, left to right, which is also the
    // order Tab visits them in.
    QWidget *previous = nullptr;
    auto chain = [&previous](QWidget *w) {
        if (previous)
            setTabOrder(previous, w);
        previous = w;
    };
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        const int r = kRowFirst + n - 1;
        auto *ok = new QCheckBox(rowCaption(n), this);
        ok->setObjectName(rowName("cb", n, "OK"));
        grid->addWidget(ok, r, kColOK);
        chain(ok);

        auto *time = new QTimeEdit(this);
        time->setObjectName(rowName("dtTime", n));
        time->installEventFilter(this);
        // A time the person sets to 00:00 is midnight; one set by the form
        // (an unset row) is not.
        connect(time, &QTimeEdit::timeChanged, this, [this, n, time](const QTime &t) {
            setMidnight(n, t == QTime(0, 0) && time->hasFocus());
        });
        auto *bar = new QToolButton(this);
        bar->setObjectName(rowName("btTime", n));
        bar->setText(u"..."_s);
        bar->setToolTip(u"Time bar (F4)"_s);
        bar->setAccessibleName(u"Time bar"_s);
        // F4 in the time edit does the same, so the button need not be a
        // stop on the way through the row.
        bar->setFocusPolicy(Qt::NoFocus);
        connect(bar, &QToolButton::clicked, this, [this, n] { dtTime1MiddleButtonClick(n); });
        auto *timeCell = new QHBoxLayout;
        timeCell->setSpacing(0);
        timeCell->addWidget(time);
        timeCell->addWidget(bar);
        timeCell->addStretch();
        grid->addLayout(timeCell, r, kColTime);
        chain(time);

        auto *edit = new QLineEdit(this);
        edit->setObjectName(rowName("Edit", n));
        edit->setMaxLength(int(kDailyDescriptionChars));
        edit->setMinimumWidth(edit->fontMetrics().averageCharWidth() * 36);
        grid->addWidget(edit, r, kColEdit);
        chain(edit);

        for (int d = 0; d < 7; ++d) {
            auto *day = new QCheckBox(this);
            day->setObjectName(rowName("cb", n, kDayStems[std::size_t(d)]));
            day->setAccessibleName(QString::fromLatin1(kDayStems[std::size_t(d)]) + u' ' + QString::number(n));
            grid->addWidget(day, r, kColSun + d, Qt::AlignCenter);
            chain(day);
        }
        if (n == 1) {
            lblEnabled->setBuddy(ok);
            lblTime->setBuddy(time);
            lblEdit->setBuddy(edit);
        }
    }
    grid->setColumnStretch(kColEdit, 1);
    // Room between the first two heads, which stand left-aligned side by side.
    grid->setColumnMinimumWidth(kColOK, lblEnabled->sizeHint().width() + 8);
    // The weekday columns as wide as their widest part, all alike, so each
    // letter stands centred over its column of boxes.
    int dayWidth = 0;
    for (QWidget *w : std::initializer_list<QWidget *>{row(1).days[0], lblDay[0]})
        dayWidth = std::max(dayWidth, w->sizeHint().width());
    dayWidth = std::max(dayWidth, fontMetrics().horizontalAdvance(u"W"_s) + 4);
    for (int d = 0; d < 7; ++d)
        grid->setColumnMinimumWidth(kColSun + d, dayWidth);

    btOK = new QPushButton(u"OK"_s, this);
    btOK->setObjectName(u"btOK"_s);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    btCancel->setObjectName(u"btCancel"_s);
    btCancel->setAutoDefault(false);
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
    chain(btOK);
    chain(btCancel);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addSpacing(4);
    l->addLayout(grid);
    l->addSpacing(8);
    l->addLayout(buttons);
    l->setSizeConstraint(QLayout::SetMinimumSize);

    // FormCreate.
    adjustTimeSettings();
    setWeekdayHeads();
    TransferSettingsToForm();
    row(1).ok->setFocus();
}

TfrmDailyTimer::Row TfrmDailyTimer::row(int n) const
{
    Row r;
    r.ok = findChild<QCheckBox *>(rowName("cb", n, "OK"));
    r.time = findChild<QTimeEdit *>(rowName("dtTime", n));
    r.timeBar = findChild<QToolButton *>(rowName("btTime", n));
    r.edit = findChild<QLineEdit *>(rowName("Edit", n));
    for (int d = 0; d < 7; ++d)
        r.days[std::size_t(d)] = findChild<QCheckBox *>(rowName("cb", n, kDayStems[std::size_t(d)]));
    return r;
}

void TfrmDailyTimer::adjustTimeSettings()
{
    // The person's own clock: 12-hour with a marker when their short time
    // has one, else 24-hour. Alarms go by the minute, so never seconds.
    const bool twelveHour = sv_.fs.shortTimeFormat.contains(u"AM"_s, Qt::CaseInsensitive);
    const QString sep(sv_.fs.timeSeparator);
    const QString format = twelveHour ? u"h"_s + sep + u"mm AP"_s : u"HH"_s + sep + u"mm"_s;
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        QTimeEdit *t = row(n).time;
        t->setDisplayFormat(format);
        // 00:00 not chosen as midnight is "no time set" and shows as an
        // empty field (a blank: an empty special text would show the time).
        t->setMinimumTime(QTime(0, 0));
        showTimeOf(n, false);
    }
}

void TfrmDailyTimer::showTimeOf(int n, bool focused)
{
    row(n).time->setSpecialValueText(focused || midnight_[std::size_t(n - 1)] ? QString() : kNoTime);
}

void TfrmDailyTimer::setMidnight(int n, bool chosen)
{
    midnight_[std::size_t(n - 1)] = chosen;
    showTimeOf(n, row(n).time->hasFocus());
}

void TfrmDailyTimer::setWeekdayHeads()
{
    const std::array<QString, 7> heads = DailyWeekdayHeads(sv_.fs);
    for (std::size_t d = 0; d < 7; ++d) {
        lblDay[d]->setText(heads[d]);
        lblDay[d]->setToolTip(sv_.fs.longDayNames[d]);
    }
}

void TfrmDailyTimer::TransferSettingsToForm()
{
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        const TDailyAlarm &a = sv_.alarms.alarms[std::size_t(n - 1)];
        const Row r = row(n);
        r.ok->setChecked(a.enabled);
        const QTime t(a.hour, a.minute);
        r.time->setTime(t.isValid() ? t : QTime(0, 0));
        setMidnight(n, a.midnight && r.time->time() == QTime(0, 0));
        r.edit->setText(LeftWhole(a.description, kDailyDescriptionChars));
        r.edit->setCursorPosition(0);
        for (std::size_t d = 0; d < 7; ++d)
            r.days[d]->setChecked(a.days[d]);
    }
}

std::array<TDailyAlarm, kDailyAlarmCount> TfrmDailyTimer::formAlarms() const
{
    std::array<TDailyAlarm, kDailyAlarmCount> out{};
    for (int n = 1; n <= kDailyAlarmCount; ++n) {
        TDailyAlarm &a = out[std::size_t(n - 1)];
        const Row r = row(n);
        a.enabled = r.ok->isChecked();
        a.hour = r.time->time().hour();
        a.minute = r.time->time().minute();
        a.midnight = a.hour == 0 && a.minute == 0 && midnight_[std::size_t(n - 1)];
        a.description = LeftWhole(r.edit->text(), kDailyDescriptionChars);
        for (std::size_t d = 0; d < 7; ++d)
            a.days[d] = r.days[d]->isChecked();
    }
    return out;
}

void TfrmDailyTimer::TransferFormToSettings() { sv_.alarms.alarms = formAlarms(); }

bool TfrmDailyTimer::checkSettings()
{
    const std::optional<DailyAlarmProblem> problem = CheckDailyAlarms(formAlarms());
    if (!problem)
        return true;
    const Row r = row(problem->row);
    if (problem->field == DailyAlarmProblem::Field::Description)
        r.edit->setFocus();
    else
        r.time->setFocus();
    sv_.prompts.ErrorBox(problem->message);
    return false;
}

void TfrmDailyTimer::btOKClick()
{
    if (!checkSettings())
        return;
    TransferFormToSettings();
    sv_.alarms.save(sv_.settings, sv_.fs);
    // The table holds the new alarms either way; a settings file that could
    // not be written must not pass unnoticed.
    QString why;
    if (!sv_.settings.sync(&why))
        sv_.prompts.ErrorBox(u"Your daily alarms were not saved: "_s + why + u'.');
    accept();
}

void TfrmDailyTimer::btCancelClick() { reject(); }

void TfrmDailyTimer::dtTime1MiddleButtonClick(int n)
{
    QTimeEdit *edit = row(n).time;
    if (!edit)
        return;
    TfrmTimePopup bar(sv_.fs, sv_.clock, this);
    bar.setWindowFlag(Qt::WindowStaysOnTopHint);
    // An empty edit (00:00) opens the bar at the present time; a chosen
    // midnight is a time like any other.
    if (midnight_[std::size_t(n - 1)] && edit->time() == QTime(0, 0))
        bar.showTime(QTime(0, 0));
    else
        bar.settime(TimeValue(edit->time().hour(), edit->time().minute()));
    if (sv_.runner.showModal(bar) != QDialog::Accepted)
        return;
    const QTime t = bar.returnedTime();
    edit->setTime(QTime(t.hour(), t.minute()));
    setMidnight(n, edit->time() == QTime(0, 0));
    edit->setFocus();
}

void TfrmDailyTimer::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    if (placed_)
        return;
    placed_ = true;
    CentreOnScreen(*this);
}

bool TfrmDailyTimer::eventFilter(QObject *watched, QEvent *e)
{
    // A time edit shown empty takes no typing, so while it has the focus it
    // shows its 00:00 as a time to type over, and is empty again when left
    // without a time.
    if (e->type() == QEvent::FocusIn || e->type() == QEvent::FocusOut) {
        if (const int n = rowOfName(watched->objectName(), u"dtTime"_s))
            showTimeOf(n, e->type() == QEvent::FocusIn);
    }
    // Typing 12:00 AM over the 12:00 AM an empty edit shows changes no
    // value, yet it is the person choosing midnight.
    if (e->type() == QEvent::KeyPress) {
        const auto *k = static_cast<QKeyEvent *>(e);
        const bool editing = k->key() == Qt::Key_Up || k->key() == Qt::Key_Down || k->key() == Qt::Key_PageUp ||
                             k->key() == Qt::Key_PageDown || (!k->text().isEmpty() && k->text()[0].isPrint());
        const int n = rowOfName(watched->objectName(), u"dtTime"_s);
        if (n && editing && static_cast<QTimeEdit *>(watched)->time() == QTime(0, 0))
            setMidnight(n, true);
    }
    if (e->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(e)->key() == Qt::Key_F4 &&
        static_cast<QKeyEvent *>(e)->modifiers() == Qt::NoModifier) {
        if (const int n = rowOfName(watched->objectName(), u"dtTime"_s)) {
            dtTime1MiddleButtonClick(n);
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace morvane
