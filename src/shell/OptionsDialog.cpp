#include "OptionsDialog.h"

#include "SyncOptionsPage.h"
#include "SyncPassword.h"

#include "ColorPicker.h"
#include "ShadowLabel.h"
#include "ColorDialog.h"

#include <algorithm>

#include <QCheckBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QCheckBox *check(const QString &caption, const char *name, QWidget *parent)
{
    auto *b = new QCheckBox(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QPushButton *sample(const char *name, QWidget *parent)
{
    auto *b = new QPushButton(u"Sample"_s, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setToolTip(u"Click to choose the colours"_s);
    b->setMinimumWidth(80);
    return b;
}

void paintSample(QPushButton *b, quint32 fg, quint32 bg)
{
    b->setStyleSheet(u"QPushButton { background-color: %1; color: %2; border: 1px solid #808080; padding: 3px; }"_s
                         .arg(ToQColor(bg).name(), ToQColor(fg).name()));
}

}  // namespace

TfrmOptions::TfrmOptions(Services services, Effects effects, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), fx_(std::move(effects))
{
    setObjectName(u"frmOptions"_s);
    setWindowTitle(u"Options"_s);
    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setText(u"Morvane Options"_s);
    lblTitle->setAlignment(Qt::AlignCenter);

    pages = new QTabWidget(this);
    pages->addTab(buildAppearance(), u"Screen Appearance"_s);
    pages->addTab(buildAlarms(), u"Alarms and Chimes"_s);
    pages->addTab(buildGeneral(), u"General"_s);
    syncPage = new SyncOptionsPage(this);
    pages->addTab(syncPage, u"Sync"_s);

    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    btHelp = new QPushButton(u"&Help"_s, this);
    connect(btOK, &QPushButton::clicked, this, [this] {
        SaveSettings();
        accept();
    });
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (fx_.showHelp)
            fx_.showHelp(400);
    });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btHelp);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *main = new QVBoxLayout(this);
    main->addWidget(lblTitle);
    main->addWidget(pages, 1);
    main->addLayout(buttons);

    // The creation reads every option, with the first page showing.
    pages->setCurrentIndex(0);
    loading_ = true;
    ReadSettings();
    loading_ = false;
}

QWidget *TfrmOptions::buildAppearance()
{
    auto *page = new QWidget;
    cbShadow = check(u"Use Sh&adows on Title captions?"_s, "cbShadow", page);
    cbStrikeout = check(u"&Strike-out done events?"_s, "cbStrikeout", page);
    cbFlyBy = check(u"Show fly-by hints?"_s, "cbFlyBy", page);
    connect(cbShadow, &QCheckBox::toggled, this, [this] { cbShadowClick(); });
    connect(cbStrikeout, &QCheckBox::toggled, this, [this] {
        if (isVisible() && fx_.strikeOutChanged)
            fx_.strikeOutChanged();
    });

    auto *colours = new QGroupBox(u"Color the calendar days of"_s, page);
    auto *cg = new QGridLayout(colours);
    cbColorDone = check(u"&Done Items"_s, "cbColorDone", colours);
    cbColorNotDone = check(u"&Not-done items"_s, "cbColorNotDone", colours);
    cbHoliday = check(u"H&olidays"_s, "cbHoliday", colours);  // Alt+H is Help
    cbCurrentMonth = check(u"Current month"_s, "cbCurrentMonth", colours);
    pnlDone = sample("pnlDone", colours);
    pnlNotDone = sample("pnlNotDone", colours);
    pnlHoliday = sample("pnlHoliday", colours);
    pnlMonth = sample("pnlMonth", colours);
    int row = 0;
    for (auto [box, panel] : {std::pair{cbColorDone, pnlDone}, std::pair{cbColorNotDone, pnlNotDone},
                              std::pair{cbHoliday, pnlHoliday}, std::pair{cbCurrentMonth, pnlMonth}}) {
        cg->addWidget(box, row, 0);
        cg->addWidget(panel, row, 1);
        ++row;
        connect(box, &QCheckBox::toggled, this, [this] {
            if (fx_.repaintCalendars)
                fx_.repaintCalendars();
        });
    }
    connect(pnlDone, &QPushButton::clicked, this, [this] { pnlDoneClick(); });
    connect(pnlNotDone, &QPushButton::clicked, this, [this] { pnlNotDoneClick(); });
    connect(pnlHoliday, &QPushButton::clicked, this, [this] { pnlHolidayClick(); });
    connect(pnlMonth, &QPushButton::clicked, this, [this] { pnlMonthClick(); });

    auto *week = new QGroupBox(u"Weeks start on"_s, page);
    auto *wl = new QHBoxLayout(week);
    rbSun = new QRadioButton(u"S&unday"_s, week);
    rbSun->setObjectName(u"rbSun"_s);
    rbMon = new QRadioButton(u"&Monday"_s, week);
    rbMon->setObjectName(u"rbMon"_s);
    wl->addWidget(rbSun);
    wl->addWidget(rbMon);
    wl->addStretch();

    auto *fonts = new QGroupBox(u"Fonts"_s, page);
    auto *fl = new QFormLayout(fonts);
    btCalFont = new QPushButton(u"Calendar Font"_s, fonts);
    btCalFont->setObjectName(u"btCalFont"_s);
    btGridFont = new QPushButton(u"Grid Font"_s, fonts);
    btGridFont->setObjectName(u"btGridFont"_s);
    btHeader = new QPushButton(u"Header font"_s, fonts);
    btHeader->setObjectName(u"btHeader"_s);
    edRowHeight = new QSpinBox(fonts);
    edRowHeight->setObjectName(u"edRowHeight"_s);
    edRowHeight->setRange(8, 50);
    auto *calGrid = new QHBoxLayout;
    calGrid->addWidget(btCalFont);
    calGrid->addWidget(btGridFont);
    calGrid->addStretch();
    fl->addRow(calGrid);
    fl->addRow(u"Header font:"_s, btHeader);
    auto *rowLabel = new QLabel(u"Height of grid row:"_s, fonts);
    rowLabel->setBuddy(edRowHeight);
    fl->addRow(rowLabel, edRowHeight);
    connect(btCalFont, &QPushButton::clicked, this, [this] { btCalFontClick(); });
    connect(btGridFont, &QPushButton::clicked, this, [this] { btGridFontClick(); });
    connect(btHeader, &QPushButton::clicked, this, [this] { btHeaderClick(); });
    connect(edRowHeight, &QSpinBox::valueChanged, this, [this](int v) {
        if (fx_.rowHeightChanged)
            fx_.rowHeightChanged(v);
    });

    auto *l = new QVBoxLayout(page);
    l->addWidget(cbShadow);
    l->addWidget(cbStrikeout);
    l->addWidget(cbFlyBy);
    l->addWidget(colours);
    l->addWidget(week);
    l->addWidget(fonts);
    l->addStretch();
    return page;
}

QWidget *TfrmOptions::buildAlarms()
{
    auto *page = new QWidget;
    auto *alarm = new QGroupBox(u"Task alarms"_s, page);
    auto *al = new QGridLayout(alarm);
    edMin = new QSpinBox(alarm);
    edMin->setObjectName(u"edMin"_s);
    edMin->setRange(0, 120);
    auto *before = new QLabel(u"S&ound alarm"_s, alarm);
    before->setBuddy(edMin);
    auto *minutes = new QHBoxLayout;
    minutes->addWidget(before);
    minutes->addWidget(edMin);
    minutes->addWidget(new QLabel(u"minutes ahead of scheduled event"_s, alarm));
    minutes->addStretch();
    al->addLayout(minutes, 0, 0, 1, 3);
    edPath = new QLineEdit(alarm);
    edPath->setObjectName(u"edPath"_s);
    auto *pathLabel = new QLabel(u"&Wav File:"_s, alarm);
    pathLabel->setBuddy(edPath);
    btAlarmBrowse = new QPushButton(u"&Browse"_s, alarm);
    btAlarmBrowse->setObjectName(u"btAlarmBrowse"_s);
    btTest = new QPushButton(u"&Test"_s, alarm);
    btTest->setObjectName(u"btTest"_s);
    al->addWidget(pathLabel, 1, 0);
    al->addWidget(edPath, 1, 1);
    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(btAlarmBrowse);
    fileButtons->addWidget(btTest);
    al->addLayout(fileButtons, 1, 2);
    cbAlarm = check(u"&Play alarm file?"_s, "cbAlarm", alarm);
    cbRepeat = check(u"&Repeat alarm?"_s, "cbRepeat", alarm);
    al->setColumnStretch(1, 1);
    edPath->setMinimumWidth(240);
    al->addWidget(cbAlarm, 2, 0, 1, 3);
    al->addWidget(cbRepeat, 3, 0, 1, 3);
    connect(btTest, &QPushButton::clicked, this, [this] { btTestClick(); });
    connect(btAlarmBrowse, &QPushButton::clicked, this, [this] { btAlarmBrowseClick(); });

    auto *chimes = new QGroupBox(u"Chimes"_s, page);
    auto *cl = new QVBoxLayout(chimes);
    cbHourChime = check(u"Play chime at the top of the hour?"_s, "cbHourChime", chimes);
    cbHalfChime = check(u"Play chime on the half hour?"_s, "cbHalfChime", chimes);
    btTestHour = new QPushButton(u"Test hour chime"_s, chimes);
    btTestHour->setObjectName(u"btTestHour"_s);
    btHalfTest = new QPushButton(u"Test half hour chime"_s, chimes);
    btHalfTest->setObjectName(u"btHalfTest"_s);
    // The two buttons line up as one column.
    const int testWidth = std::max(btTestHour->sizeHint().width(), btHalfTest->sizeHint().width());
    for (auto [box, button] : {std::pair{cbHourChime, btTestHour}, std::pair{cbHalfChime, btHalfTest}}) {
        button->setMinimumWidth(testWidth);
        auto *row = new QHBoxLayout;
        row->addWidget(box, 1);
        row->addWidget(button);
        cl->addLayout(row);
    }
    connect(btTestHour, &QPushButton::clicked, this, [this] {
        if (fx_.testChime)
            fx_.testChime(true);
    });
    connect(btHalfTest, &QPushButton::clicked, this, [this] {
        if (fx_.testChime)
            fx_.testChime(false);
    });

    auto *l = new QVBoxLayout(page);
    l->addWidget(alarm);
    l->addWidget(chimes);
    l->addStretch();
    return page;
}

QWidget *TfrmOptions::buildGeneral()
{
    auto *page = new QWidget;
    edCategory = new QLineEdit(page);
    edCategory->setObjectName(u"edCategory"_s);
    edCategory->setMaxLength(20);
    auto *catLabel = new QLabel(u"&Default category"_s, page);
    catLabel->setBuddy(edCategory);
    auto *cat = new QHBoxLayout;
    cat->addWidget(catLabel);
    cat->addWidget(edCategory);
    cat->addStretch();

    auto *confirm = new QGroupBox(u"Confirm before"_s, page);
    auto *cfl = new QVBoxLayout(confirm);
    cbConfirm = check(u"D&eleting tasks/holidays"_s, "cbConfirm", confirm);
    cbDragConfirm = check(u"D&rag/dropping from grids to grid or calendar"_s, "cbDragConfirm", confirm);
    cfl->addWidget(cbConfirm);
    cfl->addWidget(cbDragConfirm);

    auto *start = new QGroupBox(u"Starting"_s, page);
    auto *sl = new QVBoxLayout(start);
    cbStartInTray = check(u"&Start in system tray, main screen is bypassed"_s, "cbStartInTray", start);
    cbStartup = check(u"&Morvane placed in system tray on reboot"_s, "cbStartup", start);
    sl->addWidget(cbStartInTray);
    sl->addWidget(cbStartup);

    cbPopup = check(u"Display a &popup summary of events "_s, "cbPopup", page);
    cbIconDay = check(u"Change icon to match day of month?"_s, "cbIconDay", page);

    auto *close = new QGroupBox(u"The close button and Alt+F4"_s, page);
    auto *xl = new QHBoxLayout(close);
    rbExit = new QRadioButton(u"Exit Morvane"_s, close);
    rbExit->setObjectName(u"rbExit"_s);
    rbMinimize = new QRadioButton(u"Minimize Morvane"_s, close);
    rbMinimize->setObjectName(u"rbMinimize"_s);
    xl->addWidget(rbExit);
    xl->addWidget(rbMinimize);
    xl->addStretch();

    auto *l = new QVBoxLayout(page);
    l->addLayout(cat);
    l->addWidget(confirm);
    l->addWidget(start);
    l->addWidget(cbPopup);
    l->addWidget(cbIconDay);
    l->addWidget(close);
    l->addStretch();
    return page;
}

// ---------------------------------------------------------------------------

QFont TfrmOptions::toFont(const FontSetting &f)
{
    QFont font(f.name, std::max(1, f.size));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.under);
    font.setStrikeOut(f.strike);
    return font;
}

FontSetting TfrmOptions::fromFont(const QFont &f)
{
    return {f.family(), std::max(1, f.pointSize()), f.bold(), f.italic(), f.underline(), f.strikeOut()};
}

void TfrmOptions::ReadSettings()
{
    const Options o = Options::read(sv_.settings, sv_.folder);
    firstTime_ = o.firstTime;
    cbStartup->setChecked(checkAutostart() || o.firstTime == u"000"_s);
    cbShadow->setChecked(o.shadows);
    cbStrikeout->setChecked(o.strikeOut);
    cbFlyBy->setChecked(o.flyBy);
    edCategory->setText(o.category);
    cbConfirm->setChecked(o.confirm);
    cbDragConfirm->setChecked(o.dragConfirm);
    cbColorDone->setChecked(o.doneColor);
    cbColorNotDone->setChecked(o.notDoneColor);
    cbHoliday->setChecked(o.holidayColor);
    cbCurrentMonth->setChecked(o.monthColor);
    cbStartInTray->setChecked(o.autoStart);
    cbPopup->setChecked(o.qPopup);
    cbIconDay->setChecked(o.qIcons);
    done_ = {o.doneColorFG, o.doneColorBG};
    notDone_ = {o.notDoneColorFG, o.notDoneColorBG};
    holiday_ = {o.holidayColorFG, o.holidayColorBG};
    month_ = o.monthColorBG;
    edMin->setValue(o.alarmMin);
    edPath->setText(o.alarmPath);
    cbAlarm->setChecked(o.playAlarm);
    cbRepeat->setChecked(o.repeatAlarm);
    rbSun->setChecked(o.sunday);
    rbMon->setChecked(!o.sunday);
    cbHourChime->setChecked(o.hourChime);
    cbHalfChime->setChecked(o.halfChime);
    rbExit->setChecked(o.exitF4);
    rbMinimize->setChecked(!o.exitF4);
    edRowHeight->setValue(o.rowHeight);
    syncPage->load(SyncSettings::read(sv_.settings));
    calFont_ = o.calFont;
    gridFont_ = o.gridFont;
    titleFont_ = o.titleFont;
    lblTitle->setFont(toFont(titleFont_));
    showHeaderFont();
    applyTitleStyle();
    showSamples();
    if (fx_.repaintCalendars)
        fx_.repaintCalendars();
    if (fx_.gridFontChanged)
        fx_.gridFontChanged();
}

Options TfrmOptions::options() const
{
    Options o;
    o.firstTime = firstTime_;
    o.shadows = cbShadow->isChecked();
    o.strikeOut = cbStrikeout->isChecked();
    o.flyBy = cbFlyBy->isChecked();
    o.category = edCategory->text();
    o.confirm = cbConfirm->isChecked();
    o.dragConfirm = cbDragConfirm->isChecked();
    o.doneColor = cbColorDone->isChecked();
    o.notDoneColor = cbColorNotDone->isChecked();
    o.holidayColor = cbHoliday->isChecked();
    o.monthColor = cbCurrentMonth->isChecked();
    o.autoStart = cbStartInTray->isChecked();
    o.qPopup = cbPopup->isChecked();
    o.qIcons = cbIconDay->isChecked();
    o.doneColorFG = done_.fg;
    o.doneColorBG = done_.bg;
    o.notDoneColorFG = notDone_.fg;
    o.notDoneColorBG = notDone_.bg;
    o.holidayColorFG = holiday_.fg;
    o.holidayColorBG = holiday_.bg;
    o.monthColorBG = month_;
    o.alarmMin = edMin->value();
    o.alarmPath = edPath->text();
    o.playAlarm = cbAlarm->isChecked();
    o.repeatAlarm = cbRepeat->isChecked();
    o.sunday = rbSun->isChecked();
    o.hourChime = cbHourChime->isChecked();
    o.halfChime = cbHalfChime->isChecked();
    o.exitF4 = rbExit->isChecked();
    o.rowHeight = edRowHeight->value();
    o.calFont = calFont_;
    o.gridFont = gridFont_;
    o.titleFont = titleFont_;
    return o;
}

void TfrmOptions::SaveSettings()
{
    const Options o = options();
    QString why;
    syncPage->settings().write(sv_.settings);
    if (const QString typed = syncPage->typedPassword(); !typed.isEmpty()) {
        // Kept in the keyring; where there is none, used until the program ends.
        if (!StoreSyncPassword(syncPage->settings(), typed, &why))
            sv_.prompts.InfoBox(why + u" The password is used until Morvane ends."_s);
    }
    if (fx_.syncChanged)
        fx_.syncChanged(syncPage->typedPassword());
    if (!o.write(sv_.settings))
        sv_.prompts.ErrorBox(
            u"Morvane is attempting to save your settings in %1.  Perhaps the file or its folder is "
            "read-only?"_s.arg(sv_.settings.fileName()));
    else if (!sv_.settings.sync(&why))
        sv_.prompts.ErrorBox(u"Your settings were not saved: "_s + why + u'.');
    firstTime_ = u"first"_s;
    if (!writeAutostart(cbStartup->isChecked(), sv_.executable, sv_.folder, &why))
        sv_.prompts.ErrorBox(why);
}

void TfrmOptions::applyTitleStyle()
{
    const bool on = cbShadow->isChecked();
    lblTitle->setShadowDepth(on ? 4 : 1);
    lblTitle->setTextColor(on ? QColor(0, 0, 255) : QColor(0, 0, 128));
}

void TfrmOptions::cbShadowClick()
{
    if (loading_)
        return;
    applyTitleStyle();
    if (fx_.applyShadows)
        fx_.applyShadows(cbShadow->isChecked());
}

void TfrmOptions::showSamples()
{
    paintSample(pnlDone, done_.fg, done_.bg);
    paintSample(pnlNotDone, notDone_.fg, notDone_.bg);
    paintSample(pnlHoliday, holiday_.fg, holiday_.bg);
    paintSample(pnlMonth, 0, month_);
}

bool TfrmOptions::pickColors(const QString &caption, Pair *pair, bool monthMode)
{
    TfrmColor dlg(sv_.today ? sv_.today() : QDate(2000, 1, 1), this,
                  [this](const QColor &c) { return sv_.prompts.ChooseColor(c, u"Color"_s); });
    dlg.setWindowTitle(caption);
    dlg.monthMode = monthMode;
    dlg.cbFG->setSelected(pair->fg);
    dlg.cbBG->setSelected(pair->bg);
    const bool ok = sv_.runner.showModal(dlg) == QDialog::Accepted;
    if (ok)
        *pair = {dlg.cbFG->selected(), dlg.cbBG->selected()};
    showSamples();
    if (fx_.repaintCalendars)
        fx_.repaintCalendars();  // after Cancel too
    return ok;
}

void TfrmOptions::pnlDoneClick() { pickColors(u"Set color for DONE tasks"_s, &done_, false); }
void TfrmOptions::pnlNotDoneClick() { pickColors(u"Set color for NOT DONE tasks"_s, &notDone_, false); }
void TfrmOptions::pnlHolidayClick() { pickColors(u"Set color for Holidays"_s, &holiday_, false); }

void TfrmOptions::pnlMonthClick()
{
    Pair p{0, month_};
    if (pickColors(u"Set color for Current Month"_s, &p, true)) {
        month_ = p.bg;
        showSamples();
    }
}

void TfrmOptions::showHeaderFont()
{
    QString style;
    if (titleFont_.bold)
        style += u" Bold"_s;
    if (titleFont_.italic)
        style += u" Italic"_s;
    btHeader->setText(u"%1, %2 pt%3"_s.arg(titleFont_.name).arg(titleFont_.size).arg(style));
}

void TfrmOptions::btCalFontClick()
{
    if (auto f = sv_.prompts.ChooseFont(toFont(calFont_), u"Calendar Font"_s)) {
        calFont_ = fromFont(*f);
        if (fx_.repaintCalendars)
            fx_.repaintCalendars();
    }
}

void TfrmOptions::btGridFontClick()
{
    if (auto f = sv_.prompts.ChooseFont(toFont(gridFont_), u"Grid Font"_s)) {
        gridFont_ = fromFont(*f);
        if (fx_.gridFontChanged)
            fx_.gridFontChanged();
    }
}

void TfrmOptions::btHeaderClick()
{
    if (auto f = sv_.prompts.ChooseFont(toFont(titleFont_), u"Header font"_s)) {
        titleFont_ = fromFont(*f);
        lblTitle->setFont(toFont(titleFont_));
        showHeaderFont();
    }
}

void TfrmOptions::playAlarmSound(bool on)
{
    if (!on) {
        sv_.sound.stop();
        return;
    }
    sv_.sound.playFile(AlarmSoundFile(edPath->text()), cbRepeat->isChecked());
}

void TfrmOptions::btTestClick()
{
    if (btTest->text() == u"&Test"_s) {
        if (cbRepeat->isChecked())
            btTest->setText(u"&Stop"_s);
        playAlarmSound(true);
    } else {
        btTest->setText(u"&Test"_s);
        playAlarmSound(false);
    }
}

void TfrmOptions::btAlarmBrowseClick()
{
    const QString file = sv_.prompts.OpenFileName(u"Sound Files"_s, edPath->text(),
                                                  u"Wav sound files (*.wav);;All files (*)"_s);
    if (!file.isEmpty())
        edPath->setText(file);
}

}  // namespace morvane
