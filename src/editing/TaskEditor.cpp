#include "TaskEditor.h"

#include "GridFile.h"
#include "ShadowLabel.h"
#include "TaskEditorRules.h"
#include "TimeBarDialog.h"
#include "PickListDialog.h"
#include "RescheduleDialog.h"
#include "RecurrenceDialog.h"

#include <QAction>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTimeEdit>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// A notes field of at most `limit` characters (typed or pasted) with the
// label that names it.
LimitedPlainTextEdit *notesField(const QString &name, int limit, QLabel *label, QWidget *parent)
{
    auto *field = new LimitedPlainTextEdit(limit, parent);
    field->setObjectName(name);
    field->setTabChangesFocus(true);
    label->setBuddy(field);
    return field;
}

QStringList linesOf(const QPlainTextEdit *field) { return field->toPlainText().split(u'\n'); }

QPushButton *button(const QString &name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

}  // namespace

TfrmEdit::TfrmEdit(Services services, const QString &defaultCategory, const QDate &selectedDay, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), selectedDay_(selectedDay)
{
    setObjectName(u"frmEdit"_s);
    setWindowTitle(u"Edit Task"_s);
    newDate = selectedDay;

    // The main page.
    auto *main = new QWidget(this);
    lblTitle = new ShadowLabel(main);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setText(u"To-do Tasks"_s);
    lblTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    lblTime = new QLabel(u"&Time:"_s, main);
    lblTime->setObjectName(u"lblTime"_s);
    dtTime = new QTimeEdit(main);
    dtTime->setObjectName(u"dtTime"_s);
    // Hours and minutes only, 12-hour when the person's times are.
    const bool twelveHour = sv_.fs.shortTimeFormat.contains(u"AM"_s, Qt::CaseInsensitive);
    dtTime->setDisplayFormat(twelveHour ? u"h:mm AP"_s : u"HH:mm"_s);
    const QTime now = sv_.clock.now().time();
    dtTime->setTime(QTime(now.hour(), now.minute()));  // the field has no seconds
    lblTime->setBuddy(dtTime);
    btTime = new QToolButton(main);
    btTime->setObjectName(u"btTime"_s);
    btTime->setText(u"..."_s);
    btTime->setToolTip(u"Pick the time on the time bar"_s);
    btTime->setFocusPolicy(Qt::NoFocus);

    auto *lblCategory = new QLabel(u"&Category:"_s, main);
    cbCategory = new QComboBox(main);
    cbCategory->setObjectName(u"cbCategory"_s);
    cbCategory->setEditable(true);
    // Twenty characters from the keyboard; a longer stored category or list
    // item is shown and kept whole.
    auto *categoryLine = new LimitedLineEdit(20, cbCategory);
    cbCategory->setLineEdit(categoryLine);
    cbCategory->setInsertPolicy(QComboBox::NoInsert);
    cbCategory->setMaxVisibleItems(12);
    cbCategory->setMinimumContentsLength(20);
    lblCategory->setBuddy(cbCategory);
    btCategory = button(u"btCategory"_s, u"..."_s, main);
    btCategory->setToolTip(u"Edit the category list"_s);
    btCategory->setFixedWidth(btCategory->fontMetrics().horizontalAdvance(u"..."_s) + 16);

    cbAlarm = new QCheckBox(u"&Alarm?"_s, main);
    cbAlarm->setObjectName(u"cbAlarm"_s);
    lblAlarmNote = new QLabel(u"An alarm needs a time"_s, main);
    lblAlarmNote->setObjectName(u"lblAlarmNote"_s);
    lblAlarmNote->hide();
    cbDone = new QCheckBox(u"Is this task completed?"_s, main);
    cbDone->setObjectName(u"cbDone"_s);
    cbDone->hide();  // carries the done flag only
    lblComplete = new QLabel(main);
    lblComplete->setObjectName(u"lblComplete"_s);

    auto *lblNotes = new QLabel(u"&Notes:"_s, main);
    memMain = notesField(u"memMain"_s, 2048, lblNotes, main);
    memMain->installEventFilter(this);

    btSpell1 = button(u"btSpell1"_s, u"&Spell check"_s, main);
    btReschedule = button(u"btReschedule"_s, u"R&eschedule"_s, main);
    btRepeat = new QToolButton(main);
    btRepeat->setObjectName(u"btRepeat"_s);
    btRepeat->setText(u"&Repeat"_s);
    btRepeat->setPopupMode(QToolButton::InstantPopup);
    btRepeat->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto *repeatMenu = new QMenu(btRepeat);
    Repeat1 = repeatMenu->addAction(u"Repeat"_s);
    Repeat1->setObjectName(u"Repeat1"_s);
    Repeatannually1 = repeatMenu->addAction(u"Repeat annually for 10 years"_s);
    Repeatannually1->setObjectName(u"Repeatannually1"_s);
    btRepeat->setMenu(repeatMenu);
    btComplete = button(u"btComplete"_s, u"&Mark as Complete"_s, main);
    btOK = button(u"btOK"_s, u"&OK"_s, main);
    btOK->setDefault(true);
    btCancel = button(u"btCancel"_s, u"Cancel"_s, main);

    auto *fields = new QGridLayout;
    fields->addWidget(lblTime, 0, 0);
    auto *timeRow = new QHBoxLayout;
    timeRow->setSpacing(0);
    timeRow->addWidget(dtTime);
    timeRow->addWidget(btTime);
    timeRow->addSpacing(12);
    timeRow->addWidget(cbAlarm);
    timeRow->addSpacing(6);
    timeRow->addWidget(lblAlarmNote);
    timeRow->addStretch();
    fields->addLayout(timeRow, 0, 1);
    fields->addWidget(lblCategory, 1, 0);
    auto *categoryRow = new QHBoxLayout;
    categoryRow->setSpacing(1);  // the "..." button sits right against the box
    categoryRow->addWidget(cbCategory);
    categoryRow->addWidget(btCategory);
    categoryRow->addStretch();
    fields->addLayout(categoryRow, 1, 1);
    fields->addWidget(lblNotes, 2, 0, Qt::AlignTop);
    fields->addWidget(memMain, 2, 1);
    fields->addWidget(lblComplete, 3, 1);
    fields->setColumnStretch(1, 1);
    auto *buttons = new QHBoxLayout;
    for (QWidget *w : std::initializer_list<QWidget *>{btSpell1, btReschedule, btRepeat})
        buttons->addWidget(w);
    buttons->addStretch();
    for (QWidget *w : std::initializer_list<QWidget *>{btComplete, btOK, btCancel})
        buttons->addWidget(w);
    auto *mainLayout = new QVBoxLayout(main);
    mainLayout->addWidget(lblTitle);
    mainLayout->addLayout(fields, 1);
    mainLayout->addLayout(buttons);

    // The completion page.
    pnlComplete = new QWidget(this);
    pnlComplete->setObjectName(u"pnlComplete"_s);
    lblCompleteHeading = new ShadowLabel(pnlComplete);
    lblCompleteHeading->setText(u"Task Completion Notes"_s);
    auto *lblCompNotes = new QLabel(u"&Notes"_s, pnlComplete);
    memComplete = notesField(u"memComplete"_s, 255, lblCompNotes, pnlComplete);
    btSpell2 = button(u"btSpell2"_s, u"&Spell check"_s, pnlComplete);
    auto *lblCompDate = new QLabel(u"&Date of Task Completion"_s, pnlComplete);
    dtComplete = new QDateEdit(pnlComplete);
    dtComplete->setObjectName(u"dtComplete"_s);
    dtComplete->setCalendarPopup(true);
    dtComplete->setDisplayFormat(ToQtPattern(sv_.fs.shortDateFormat));
    dtComplete->calendarWidget()->setFirstDayOfWeek(Qt::DayOfWeek(sv_.weekStart));
    dtComplete->setDate(sv_.clock.today());
    lblCompDate->setBuddy(dtComplete);
    btOrigin = button(u"btOrigin"_s, u"Goto origin date"_s, pnlComplete);
    btToday = button(u"btToday"_s, u"Goto today"_s, pnlComplete);
    btOK2 = button(u"btOK2"_s, u"&OK"_s, pnlComplete);
    btCancel2 = button(u"btCancel2"_s, u"Cancel"_s, pnlComplete);
    auto *dateRow = new QHBoxLayout;
    dateRow->addWidget(dtComplete);
    dateRow->addWidget(btOrigin);
    dateRow->addWidget(btToday);
    dateRow->addStretch();
    auto *compButtons = new QHBoxLayout;
    compButtons->addWidget(btSpell2);
    compButtons->addStretch();
    compButtons->addWidget(btOK2);
    compButtons->addWidget(btCancel2);
    auto *compLayout = new QVBoxLayout(pnlComplete);
    compLayout->addWidget(lblCompleteHeading);
    compLayout->addWidget(lblCompNotes);
    compLayout->addWidget(memComplete, 1);
    compLayout->addWidget(lblCompDate);
    compLayout->addLayout(dateRow);
    compLayout->addLayout(compButtons);

    pages_ = new QStackedWidget(this);
    pages_->addWidget(main);
    pages_->addWidget(pnlComplete);
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(6, 6, 6, 6);
    outer->addWidget(pages_);
    resize(520, 380);

    // A paste that does not fit is refused and the person told, never cut.
    auto refused = [this](const QString &field) {
        return [this, field](int pasted, int room) { sv_.prompts.ErrorBox(PasteRefusedText(field, pasted, room)); };
    };
    memMain->onPasteRefused = refused(u"notes"_s);
    memComplete->onPasteRefused = refused(u"completion notes"_s);
    categoryLine->onPasteRefused = refused(u"category"_s);

    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btComplete, &QPushButton::clicked, this, [this] { btCompleteClick(); });
    connect(btOK2, &QPushButton::clicked, this, [this] { btOK2Click(); });
    connect(btCancel2, &QPushButton::clicked, this, [this] { btCancel2Click(); });
    connect(btCategory, &QPushButton::clicked, this, [this] { btCategoryClick(); });
    connect(btTime, &QToolButton::clicked, this, [this] { btTimeClick(); });
    connect(dtTime, &QTimeEdit::timeChanged, this, [this] { showAlarmSwitch(); });
    connect(btReschedule, &QPushButton::clicked, this, [this] { btRescheduleClick(); });
    connect(Repeat1, &QAction::triggered, this, [this] { Repeat1Click(); });
    connect(Repeatannually1, &QAction::triggered, this, [this] { Repeatannually1Click(); });
    connect(btOrigin, &QPushButton::clicked, this, [this] { btOriginClick(); });
    connect(btToday, &QPushButton::clicked, this, [this] { btTodayClick(); });
    connect(btSpell1, &QPushButton::clicked, this, [this] {
        if (sv_.spellCheck)
            sv_.spellCheck(*memMain);
    });
    connect(btSpell2, &QPushButton::clicked, this, [this] {
        if (sv_.spellCheck)
            sv_.spellCheck(*memComplete);
    });

    setCategory(defaultCategory);
}

void TfrmEdit::setHeadingStyle(const QFont &font, int shadowDepth, const QColor &text)
{
    for (ShadowLabel *l : {lblTitle, lblCompleteHeading}) {
        l->setFont(font);
        l->setShadowDepth(shadowDepth);
        l->setTextColor(text);
    }
}

void TfrmEdit::setTitle(const QString &title) { lblTitle->setText(title); }

void TfrmEdit::hideTimeAndAlarm()
{
    lblTime->hide();
    dtTime->hide();
    btTime->hide();
    cbAlarm->hide();
    lblAlarmNote->hide();
}

void TfrmEdit::setNotes(const QString &stored) { memMain->setGivenText(TextToMemo(stored).join(u'\n')); }
QString TfrmEdit::notes() const { return MemoToText(linesOf(memMain)); }
QString TfrmEdit::completionNotes() const { return MemoToText(linesOf(memComplete)); }
DateValue TfrmEdit::time() const { return ToDateValue(QDateTime(sv_.clock.today(), dtTime->time())); }

void TfrmEdit::setTime(DateValue value)
{
    const QTime t = FromDateValue(value).time();
    dtTime->setTime(QTime(t.hour(), t.minute()));
}

void TfrmEdit::setTimeText(const QString &stored)
{
    DateValue value = 0;
    if (StrToTime(stored, sv_.fs, &value)) {
        dtTime->setSpecialValueText({});
        setTime(value);
    } else {
        // The field shows the text at its lowest time until one is picked.
        dtTime->setSpecialValueText(stored);
        dtTime->setTime(dtTime->minimumTime());
    }
    showAlarmSwitch();
}

bool TfrmEdit::hasTime() const
{
    return dtTime->specialValueText().isEmpty() || dtTime->time() != dtTime->minimumTime();
}

QString TfrmEdit::timeText() const
{
    return hasTime() ? TaskTimeText(time(), sv_.fs) : dtTime->specialValueText();
}

void TfrmEdit::showAlarmSwitch()
{
    // Without a time of day there is no minute for the alarm to ring in.
    const bool timed = hasTime();
    if (!timed)
        cbAlarm->setChecked(false);
    cbAlarm->setEnabled(timed);
    const QString why = timed ? QString()
                              : u"An alarm needs a time of day; this task's time is \"%1\"."_s.arg(
                                    dtTime->specialValueText());
    cbAlarm->setToolTip(why);
    lblAlarmNote->setToolTip(why);
    lblAlarmNote->setVisible(!timed && !cbAlarm->isHidden());
}

QString TfrmEdit::category() const { return cbCategory->currentText(); }

void TfrmEdit::setCategory(const QString &text)
{
    cbCategory->setCurrentIndex(cbCategory->findText(text, Qt::MatchFixedString | Qt::MatchCaseSensitive));
    cbCategory->setEditText(text);
}

bool TfrmEdit::IsMemoblank() const { return NotesAreBlank(linesOf(memMain)); }
bool TfrmEdit::onCompletionPage() const { return pages_->currentWidget() == pnlComplete; }

QString TfrmEdit::categoryFile() const { return JoinPath(sv_.folder, u"category.xxx"_s); }

QStringList TfrmEdit::comboItems() const
{
    QStringList items;
    for (int i = 0; i < cbCategory->count(); ++i)
        items << cbCategory->itemText(i);
    return items;
}

void TfrmEdit::setComboItems(const QStringList &items)
{
    const QString text = cbCategory->currentText();
    cbCategory->clear();
    cbCategory->addItems(items);
    setCategory(text);
}

void TfrmEdit::FillCombo()
{
    if (FileMissingOrEmpty(categoryFile()))
        return;
    QStringList items;
    if (FileResult r = LoadPickList(categoryFile(), &items); !r) {
        sv_.prompts.ErrorBox(r.message);
        return;
    }
    setComboItems(SortedCategories(items));
}

void TfrmEdit::SaveCombo()
{
    if (FileResult r = SavePickList(comboItems(), categoryFile()); !r)
        sv_.prompts.ErrorBox(r.message);
}

void TfrmEdit::UpdateComboBox()
{
    const QString text = cbCategory->currentText();
    if (text.isEmpty() || HasCategory(comboItems(), text))
        return;
    cbCategory->addItem(text);
    setCategory(text);
    SaveCombo();
}

void TfrmEdit::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TfrmEdit::FormShow()
{
    const bool dictionary = QFileInfo::exists(JoinPath(sv_.folder, u"english.dct"_s)) && sv_.spellCheck;
    btSpell1->setVisible(dictionary);
    btSpell2->setVisible(dictionary);
    FillCombo();
    showMainPage();
    lblComplete->setFont(lblTitle->font());
    if (cbDone->isChecked()) {
        lblComplete->setText(u"Completed Task"_s);
        btComplete->hide();
        btReschedule->hide();
        btRepeat->hide();
    } else {
        lblComplete->setText(u"Task is not yet completed"_s);
        btComplete->show();
        btRepeat->show();
    }
    if (!isDated) {
        btRepeat->hide();
        btReschedule->hide();
    }
    if (btRepeat->isVisibleTo(this)) {
        // A new dated task shows neither until its first key.
        const bool existingDated = isDated && isExisting;
        btReschedule->setVisible(existingDated);
        btRepeat->setVisible(existingDated);
    }
    if (completeOnShow)
        btCompleteClick();
    newDate = selectedDay_;
    if (!onCompletionPage())
        memMain->setFocus();
}

void TfrmEdit::showMainPage()
{
    pages_->setCurrentWidget(pages_->widget(0));
    btOK2->setEnabled(false);
    btOK->setDefault(true);  // one default per dialog: the page's own OK
}

bool TfrmEdit::eventFilter(QObject *watched, QEvent *e)
{
    // Any key counts, even one that changes nothing: the person has turned
    // to the notes, and OK still refuses blank ones.
    if (watched == memMain && e->type() == QEvent::KeyPress)
        memMainKey();
    return QDialog::eventFilter(watched, e);
}

void TfrmEdit::memMainKey()
{
    // A done task keeps the buttons a done task shows: no Repeat.
    if (isDated && !cbDone->isChecked())
        btRepeat->show();
    btComplete->setEnabled(true);
    btOK->setEnabled(true);
}

void TfrmEdit::blankNotesError()
{
    sv_.prompts.ErrorBox(u"The Notes are blank!"_s);
    showMainPage();
    memMain->setFocus();
}

void TfrmEdit::btCompleteClick()
{
    if (IsMemoblank()) {
        blankNotesError();
        return;
    }
    pages_->setCurrentWidget(pnlComplete);
    btOK->setEnabled(false);
    btOK2->setEnabled(true);
    btOK2->setDefault(true);
    memComplete->setFocus();
}

void TfrmEdit::btOK2Click()
{
    cbAlarm->setChecked(false);
    cbDone->setChecked(true);
    AddToCompleteGrid();
    accept();
}

void TfrmEdit::btCancel2Click()
{
    showMainPage();
    btOK->setEnabled(true);
    memMain->setFocus();
}

void TfrmEdit::AddToCompleteGrid()
{
    if (!sv_.addCompleted)
        return;
    const QStringList row = CompletedRow(dtComplete->date(), timeText(), category(), origDateText, notes(),
                                         completionNotes(), sv_.fs);
    if (FileResult r = sv_.addCompleted(row); !r)
        sv_.prompts.ErrorBox(r.message);
}

void TfrmEdit::btOKClick()
{
    if (IsMemoblank()) {
        blankNotesError();
        return;
    }
    UpdateComboBox();
    accept();
}

void TfrmEdit::btCategoryClick()
{
    TfrmListBox dlg(sv_.prompts, this);
    dlg.setWindowTitle(u"Edit Category Choices"_s);
    dlg.setItems(comboItems());
    dlg.selectItem(category());
    if (sv_.runner.showModal(dlg) == QDialog::Accepted) {
        const QString current = dlg.currentItem();
        setComboItems(dlg.items());
        if (!current.isEmpty())
            setCategory(current);
    }
    SaveCombo();  // whatever the answer: the list as the box holds it
}

void TfrmEdit::btTimeClick()
{
    TfrmTimePopup bar(sv_.fs, sv_.clock, this);
    bar.settime(time());
    if (sv_.runner.showModal(bar) != QDialog::Accepted)
        return;
    const QTime t = bar.returnedTime();
    dtTime->setTime(QTime(t.hour(), t.minute()));  // tasks have no seconds
    dtTime->setFocus();
}

void TfrmEdit::btRescheduleClick()
{
    TfrmReschedule dlg(sv_.fs, sv_.clock, this);
    dlg.setWeekStart(Qt::DayOfWeek(sv_.weekStart));
    dlg.setHeadingShadow(lblTitle->shadowDepth(), lblTitle->textColor());
    dlg.setDate(selectedDay_);
    if (sv_.runner.showModal(dlg) != QDialog::Accepted)
        return;
    newDate = dlg.date();
    if (newDate != selectedDay_)
        accept();  // the caller moves the task to its new day
}

void TfrmEdit::insertOneEvent(const QDate &date)
{
    const std::uint64_t id = sv_.store.insertTask(
        DayNumber(date), StoredTask{timeText(), category(), notes(), u"No"_s,
                                    cbAlarm->isChecked() ? u"Yes"_s : u"No"_s});
    if (!isExisting && date == selectedDay_ && earlyCopy_ == 0)
        earlyCopy_ = id;
}

void TfrmEdit::removeEarlyCopy()
{
    // The caller puts a new task into its day itself: the copy made before
    // the repeats must not be there twice, nor stay when the repeats were
    // cancelled.
    if (earlyCopy_ != 0)
        sv_.store.removeTask(earlyCopy_);
    earlyCopy_ = 0;
}

void TfrmEdit::Repeatannually1Click()
{
    if (IsMemoblank()) {
        blankNotesError();
        return;
    }
    if (!isExisting)
        insertOneEvent(selectedDay_);
    for (const QDate &d : AnnualRepeatDates(selectedDay_, 10))
        insertOneEvent(d);
    const FileResult r = sv_.store.SortGridStore();
    if (sv_.reportSave)
        sv_.reportSave(r);
    removeEarlyCopy();
    accept();
}

void TfrmEdit::Repeat1Click()
{
    if (IsMemoblank()) {
        blankNotesError();
        return;
    }
    if (!isExisting)
        insertOneEvent(selectedDay_);
    TfrmRecur recur(sv_.store, sv_.prompts, sv_.fs, sv_.clock, sv_.reportSave, this);
    recur.setWeekStart(Qt::DayOfWeek(sv_.weekStart));
    recur.init(timeText(), category(), notes(), cbAlarm->isChecked() ? u"Yes"_s : u"No"_s);
    recur.startDate = selectedDay_.addDays(1);
    sv_.runner.showModal(recur);
    removeEarlyCopy();
    accept();  // by OK or by Cancel of the repeats, the editor is done
}

void TfrmEdit::btOriginClick() { dtComplete->setDate(selectedDay_); }
void TfrmEdit::btTodayClick() { dtComplete->setDate(sv_.clock.today()); }

}  // namespace morvane
