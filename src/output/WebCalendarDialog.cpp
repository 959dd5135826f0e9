#include "WebCalendarDialog.h"

#include "Colors.h"
#include "ShadowLabel.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

constexpr const char *kSection = "WebCal";
const TextSetting kLastFile{kSection, "LastFile", ""};
const TextSetting kLastFolder{kSection, "LastFolder", ""};
const BoolSetting kDetails{kSection, "Details", true};
const BoolSetting kWithinDay{kSection, "WithinDay", false};
const BoolSetting kCategory{kSection, "Category", true};
const BoolSetting kIncludeDone{kSection, "IncludeDone", false};
const BoolSetting kIncludeAlarm{kSection, "IncludeAlarm", false};
const IntSetting kQtruncate{kSection, "Qtruncate", 0};
const IntSetting kTrunc{kSection, "Trunc", 50};
const IntSetting kFontSize{kSection, "FontSize", 9};
const ColorSetting kBackColor{kSection, "BackColor", 16777177};

// A waiting cursor for as long as it lives.
struct BusyCursor {
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
};

}  // namespace

TfrmWebCal::TfrmWebCal(Services services, QWidget *parent) : QDialog(parent), sv_(std::move(services))
{
    setObjectName(u"frmWebCal"_s);
    setWindowTitle(u"Publish Monthly Calendar as Web Page"_s);
    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setAlignment(Qt::AlignCenter);
    lblTitle->setFont(sv_.titleFont);

    rbMonth = new QRadioButton(u"Output the &month only"_s, this);
    rbMonth->setObjectName(u"rbMonth"_s);
    rbYear = new QRadioButton(u"Output a &full year of monthly calendars"_s, this);
    rbYear->setObjectName(u"rbYear"_s);
    connect(rbMonth, &QRadioButton::toggled, this, [this] { rbMonthClick(); });

    const QString locate = u"Locate the output folder and html file name"_s;
    edFile = new QLineEdit(this);
    edFile->setObjectName(u"edFile"_s);
    lblFile = new QLabel(u"&Name of output file (*.htm or *.html)"_s, this);
    lblFile->setBuddy(edFile);
    SpeedButton3 = new QToolButton(this);
    SpeedButton3->setObjectName(u"SpeedButton3"_s);
    SpeedButton3->setText(u"..."_s);
    SpeedButton3->setToolTip(locate);
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
    edFolder = new QLineEdit(this);
    edFolder->setObjectName(u"edFolder"_s);
    lblFolder = new QLabel(u"&Name of output folder"_s, this);
    lblFolder->setBuddy(edFolder);
    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(u"SpeedButton2"_s);
    SpeedButton2->setText(u"..."_s);
    SpeedButton2->setToolTip(locate);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(u"PageControl1"_s);
    // Table details.
    auto *table = new QWidget;
    cbDetails = new QCheckBox(u"Include daily &details at the bottom of the calendar?"_s, table);
    cbDetails->setObjectName(u"cbDetails"_s);
    cbIncludeDone = new QCheckBox(u"Include D&one column?"_s, table);
    cbIncludeDone->setObjectName(u"cbIncludeDone"_s);
    cbIncludeAlarm = new QCheckBox(u"Include &Alarm column?"_s, table);
    cbIncludeAlarm->setObjectName(u"cbIncludeAlarm"_s);
    auto *tl = new QVBoxLayout(table);
    tl->addWidget(cbDetails);
    tl->addWidget(cbIncludeDone);
    tl->addWidget(cbIncludeAlarm);
    tl->addStretch();
    connect(cbDetails, &QCheckBox::toggled, this, [this] { cbDetailsClick(); });
    PageControl1->addTab(table, u"Table details"_s);
    // Calendar details.
    auto *cal = new QWidget;
    cbWithinDay = new QCheckBox(u"Include daily details &within the day of week section of calendar?"_s, cal);
    cbWithinDay->setObjectName(u"cbWithinDay"_s);
    rgTrunc = new QGroupBox(cal);
    rgTrunc->setObjectName(u"rgTrunc"_s);
    rbWhole = new QRadioButton(u"Entire message?  (no truncation)"_s, rgTrunc);
    rbTruncate = new QRadioButton(u"Truncate each message? (may fit better)"_s, rgTrunc);
    auto *rl = new QVBoxLayout(rgTrunc);
    rl->addWidget(rbWhole);
    rl->addWidget(rbTruncate);
    edTrunc = new QSpinBox(cal);
    edTrunc->setObjectName(u"edTrunc"_s);
    edTrunc->setRange(0, 500);
    lblTruncTo = new QLabel(u"&Truncate to"_s, cal);
    lblTruncTo->setBuddy(edTrunc);
    lblChars = new QLabel(u"characters"_s, cal);
    cbCat = new QCheckBox(u"Include the &category within the day of week section of calendar?"_s, cal);
    cbCat->setObjectName(u"cbCat"_s);
    auto *cl = new QVBoxLayout(cal);
    cl->addWidget(cbWithinDay);
    cl->addWidget(rgTrunc);
    auto *trunc = new QHBoxLayout;
    trunc->addWidget(lblTruncTo);
    trunc->addWidget(edTrunc);
    trunc->addWidget(lblChars);
    trunc->addStretch();
    cl->addLayout(trunc);
    cl->addWidget(cbCat);
    cl->addStretch();
    connect(cbWithinDay, &QCheckBox::toggled, this, [this] { cbWithinDayClick(); });
    connect(rbTruncate, &QRadioButton::toggled, this, [this] { rgTruncClick(); });
    PageControl1->addTab(cal, u"Calendar details"_s);
    // Appearance.
    auto *look = new QWidget;
    edSize = new QSpinBox(look);
    edSize->setObjectName(u"edSize"_s);
    edSize->setRange(6, 20);
    auto *sizeLabel = new QLabel(u"Font si&ze:"_s, look);
    sizeLabel->setBuddy(edSize);
    lblSample = new QLabel(u"This is a sample"_s, look);
    connect(edSize, &QSpinBox::valueChanged, this, [this] { edSizeChange(); });
    auto *colours = new QLabel(u"Alternating background colors:"_s, look);
    const QStringList words{u"Click to"_s, u"change"_s, u"background"_s, u"color"_s};
    auto *panels = new QHBoxLayout;
    for (int i = 0; i < 4; ++i) {
        QPushButton *p = Panel[std::size_t(i)] = new QPushButton(words[i], look);
        p->setObjectName(u"Panel%1"_s.arg(i + 1));
        p->setFlat(true);
        p->setAutoFillBackground(true);
        p->setMinimumSize(80, 40);
        p->setToolTip(u"Click to change the background color"_s);
        connect(p, &QPushButton::clicked, this, [this] { Panel1Click(); });
        panels->addWidget(p);
    }
    panels->addStretch();
    auto *ll = new QGridLayout(look);
    ll->addWidget(sizeLabel, 0, 0);
    ll->addWidget(edSize, 0, 1);
    ll->addWidget(lblSample, 0, 2);
    ll->addWidget(colours, 1, 0, 1, 3);
    ll->addLayout(panels, 2, 0, 1, 4);
    ll->setColumnStretch(3, 1);
    ll->setRowStretch(3, 1);
    PageControl1->addTab(look, u"Appearance"_s);

    btPublish = new QPushButton(u"&Publish"_s, this);
    btPublish->setObjectName(u"btPublish"_s);
    btPublish->setDefault(true);
    btLaunch = new QPushButton(u"Publish then launch &browser"_s, this);
    btLaunch->setObjectName(u"btLaunch"_s);
    btClose = new QPushButton(u"Close"_s, this);
    btClose->setObjectName(u"btClose"_s);
    connect(btPublish, &QPushButton::clicked, this, [this] { btPublishClick(); });
    connect(btLaunch, &QPushButton::clicked, this, [this] { btLaunchClick(); });
    connect(btClose, &QPushButton::clicked, this, [this] { btCloseClick(); });

    auto *grid = new QGridLayout;
    grid->addWidget(rbMonth, 0, 0, 1, 2);
    grid->addWidget(rbYear, 1, 0, 1, 2);
    grid->addWidget(lblFile, 2, 0, 1, 2);
    grid->addWidget(edFile, 3, 0);
    grid->addWidget(SpeedButton3, 3, 1);
    grid->addWidget(lblFolder, 4, 0, 1, 2);
    grid->addWidget(edFolder, 5, 0);
    grid->addWidget(SpeedButton2, 5, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btPublish);
    buttons->addWidget(btLaunch);
    buttons->addWidget(btClose);
    auto *l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addLayout(grid);
    l->addWidget(PageControl1, 1);
    l->addLayout(buttons);
    edFile->setMinimumWidth(420);
    FormCreate();
}

void TfrmWebCal::FormCreate()
{
    const SettingsStore &s = sv_.settings;
    edFile->setText(s.read(kLastFile));
    edFolder->setText(s.read(kLastFolder));
    cbDetails->setChecked(s.read(kDetails));
    cbWithinDay->setChecked(s.read(kWithinDay));
    cbCat->setChecked(s.read(kCategory));
    cbIncludeDone->setChecked(s.read(kIncludeDone));
    cbIncludeAlarm->setChecked(s.read(kIncludeAlarm));
    (s.read(kQtruncate) == 1 ? rbTruncate : rbWhole)->setChecked(true);
    edTrunc->setValue(std::clamp(s.read(kTrunc), 0, 500));
    edSize->setValue(std::clamp(s.read(kFontSize), 6, 20));
    // A system colour (the high bit) stays one: it shows as the system's
    // colour of the moment and goes back to the settings as it came.
    storedColour_ = s.read(kBackColor);
    setColour(ToQColor(storedColour_));
    PageControl1->setCurrentIndex(0);
    rbMonth->setChecked(true);
}

void TfrmWebCal::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
}

void TfrmWebCal::FormShow()
{
    rbMonthClick();
    edSizeChange();
}

void TfrmWebCal::rbMonthClick()
{
    const bool month = rbMonth->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{lblFile, edFile, SpeedButton3})
        w->setVisible(month);
    for (QWidget *w : std::initializer_list<QWidget *>{lblFolder, edFolder, SpeedButton2})
        w->setVisible(!month);
    lblTitle->setText(month ? u"Publish %1 as a web page"_s.arg(
                                  FormatDateTime(u"mmmm yyyy", ToDateValue(sv_.month), sv_.fs))
                            : u"Publish %1 as a set of web pages"_s.arg(sv_.month.year()));
    cbIncludeDone->setVisible(cbDetails->isChecked());
    cbIncludeAlarm->setVisible(cbDetails->isChecked());
    const bool within = cbWithinDay->isChecked();
    rgTrunc->setVisible(within);
    cbCat->setVisible(within);
    const bool trunc = within && rbTruncate->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{lblTruncTo, edTrunc, lblChars})
        w->setVisible(trunc);
}

void TfrmWebCal::edSizeChange()
{
    QFont f = lblSample->font();
    f.setPointSize(edSize->value());
    lblSample->setFont(f);
}

void TfrmWebCal::setColour(const QColor &c)
{
    colour_ = c;
    webColor_ = ColorToWebColor(c);
    for (int i = 0; i < 4; ++i) {
        QPalette p = Panel[std::size_t(i)]->palette();
        p.setColor(QPalette::Button, i % 2 == 0 ? c : QColor(Qt::white));
        p.setColor(QPalette::Window, i % 2 == 0 ? c : QColor(Qt::white));
        p.setColor(QPalette::ButtonText, Qt::black);
        Panel[std::size_t(i)]->setPalette(p);
    }
}

void TfrmWebCal::Panel1Click()
{
    if (auto c = sv_.prompts.ChooseColor(colour_, u"Background color"_s)) {
        storedColour_ = FromQColor(*c);
        setColour(*c);
    }
}

void TfrmWebCal::SpeedButton3Click()
{
    const QString current = edFile->text();
    const QString folder = current.isEmpty() ? QString() : QFileInfo(current).absolutePath();
    const QString file = sv_.prompts.SaveFileName(
        u"Name of web page"_s, folder.isEmpty() ? u"calendar.htm"_s : folder + u"/calendar.htm"_s,
        u"HTM files (*.htm);;HTML files (*.html);;All files (*)"_s, u"htm"_s);
    if (!file.isEmpty())
        edFile->setText(file);
}

void TfrmWebCal::SpeedButton2Click()
{
    const QString folder = sv_.prompts.FolderName(u"Folder for web page"_s, edFolder->text());
    if (!folder.isEmpty())
        edFolder->setText(folder);
}

WebCalSettings TfrmWebCal::runSettings(bool details) const
{
    WebCalSettings w;
    w.month = sv_.month;
    w.details = details;
    w.doneColumn = cbIncludeDone->isChecked();
    w.alarmColumn = cbIncludeAlarm->isChecked();
    w.withinDay = cbWithinDay->isChecked();
    w.withCategory = cbCat->isChecked();
    w.truncate = rbTruncate->isChecked();
    w.truncLength = edTrunc->value();
    w.fontSize = edSize->value();
    w.webColor = webColor_;
    w.mondayFirst = sv_.mondayFirst;
    return w;
}

bool TfrmWebCal::PublishIt(bool details)
{
    WebPublishRequest request;
    request.settings = runSettings(details);
    request.wholeYear = rbYear->isChecked();
    if (!request.wholeYear) {
        request.file = edFile->text();
        if (const QString why = CheckWebPageFileName(request.file); !why.isEmpty()) {
            sv_.prompts.ErrorBox(why);
            edFile->setFocus();
            return false;
        }
    } else {
        request.folder = edFolder->text();
        if (const QString why = CheckWebFolderName(request.folder); !why.isEmpty()) {
            sv_.prompts.ErrorBox(why);
            edFolder->setFocus();
            return false;
        }
        if (!QFileInfo(request.folder).isDir()) {
            if (!sv_.prompts.YesNo(u"The folder \"%1\" does not exist.  Create this folder?"_s.arg(request.folder)))
                return false;
            if (const FileResult made = CreateFolderWithParents(request.folder); !made) {
                sv_.prompts.ErrorBox(made.message);
                return false;
            }
        }
    }
    const auto title = sv_.prompts.InputText(u"Calendar Title"_s, u"Enter the calendar title:"_s, u"Morvane"_s);
    if (!title)
        return false;
    request.settings.title = *title;

    WebPublishResult result;
    const QString fileBefore = edFile->text();
    {
        BusyCursor busy;
        // The file box names each month's page as it is made; the loop is
        // not running, so the box is painted at once.
        result = PublishWebCalendar(request, sv_.content, sv_.fs, [this](const QString &page) {
            edFile->setText(page);
            edFile->repaint();
        });
    }
    if (request.wholeYear)
        edFile->setText(result.ok                    ? result.pageToOpen
                        : !result.written.isEmpty() ? result.written.constLast()
                                                     : fileBefore);
    if (!result.ok) {
        sv_.prompts.ErrorBox(result.message);
        return false;
    }
    if (request.wholeYear)
        sv_.prompts.InfoBox(u"The web pages for the year are stored in "_s + request.folder);
    return true;
}

void TfrmWebCal::btPublishClick()
{
    if (PublishIt(cbDetails->isChecked()))
        accept();
}

void TfrmWebCal::btLaunchClick()
{
    if (!PublishIt(cbDetails->isChecked()))
        return;
    const QString page = edFile->text();
    if (!sv_.launcher.open(page))
        sv_.prompts.ErrorBox(u"Couldn't open web browser for \"%1\""_s.arg(page));
    accept();
}

void TfrmWebCal::btCloseClick() { reject(); }

void TfrmWebCal::done(int r)
{
    FormClose();
    QDialog::done(r);
}

void TfrmWebCal::FormClose()
{
    if (closed_)
        return;
    closed_ = true;
    // Nothing is kept from a dialog that never named a page.
    if (edFile->text().isEmpty())
        return;
    SettingsStore &s = sv_.settings;
    s.write(kLastFile, edFile->text());
    if (!edFolder->text().isEmpty())
        s.write(kLastFolder, edFolder->text());
    s.write(kDetails, cbDetails->isChecked());
    s.write(kWithinDay, cbWithinDay->isChecked());
    s.write(kCategory, cbCat->isChecked());
    s.write(kIncludeDone, cbIncludeDone->isChecked());
    s.write(kIncludeAlarm, cbIncludeAlarm->isChecked());
    s.write(kQtruncate, rbTruncate->isChecked() ? 1 : 0);
    s.write(kTrunc, edTrunc->value());
    s.write(kFontSize, edSize->value());
    s.write(kBackColor, storedColour_);
    s.sync();
}

}  // namespace morvane
