#include "FilterDialog.h"

#include "GridFile.h"
#include "ShadowLabel.h"
#include "Utility.h"

#include <QCheckBox>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const BoolSetting kDoneSetting{"Filter", "Done", true};
const BoolSetting kNotDoneSetting{"Filter", "NotDone", true};

QLabel *panel(const QString &name, const QString &caption, QWidget *parent)
{
    auto *l = new QLabel(caption, parent);
    l->setObjectName(name);
    l->setAutoFillBackground(true);
    l->setMargin(4);
    l->setCursor(Qt::PointingHandCursor);
    return l;
}

}  // namespace

TfrmFilter::TfrmFilter(Services services, TaskFilter &filter, QWidget *parent)
    : QDialog(parent), sv_(std::move(services)), filter_(filter)
{
    setObjectName(u"frmFilter"_s);
    setWindowTitle(u"Task Filters"_s);
    lblTitle = new ShadowLabel(this);
    lblTitle->setObjectName(u"lblTitle"_s);
    lblTitle->setText(u"Task Filters"_s);
    auto *lblCategories = new QLabel(u"&Categories"_s, this);
    cbWhat = new QListWidget(this);
    cbWhat->setObjectName(u"cbWhat"_s);
    lblCategories->setBuddy(cbWhat);
    btSelect = new QPushButton(u"&All"_s, this);
    btSelect->setObjectName(u"btSelect"_s);
    btSelect->setToolTip(u"Select all categories"_s);
    btDeselect = new QPushButton(u"&None"_s, this);
    btDeselect->setObjectName(u"btDeselect"_s);
    btDeselect->setToolTip(u"Clear all categories"_s);
    cbDone = new QCheckBox(this);
    cbDone->setObjectName(u"cbDone"_s);
    cbNotDone = new QCheckBox(this);
    cbNotDone->setObjectName(u"cbNotDone"_s);
    pnlDone = panel(u"pnlDone"_s, u"&Done Items"_s, this);
    pnlNotDone = panel(u"pnlNotDone"_s, u"No&t Done Items"_s, this);  // Alt+N is None
    pnlDone->setBuddy(cbDone);
    pnlNotDone->setBuddy(cbNotDone);
    pnlDone->installEventFilter(this);
    pnlNotDone->installEventFilter(this);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setObjectName(u"btOK"_s);
    btOK->setDefault(true);
    btHelp = new QPushButton(u"&Help"_s, this);
    btHelp->setObjectName(u"btHelp"_s);
    btOff = new QPushButton(u"Filters off"_s, this);
    btOff->setObjectName(u"btOff"_s);

    auto *lists = new QHBoxLayout;
    lists->addWidget(cbWhat, 1);
    auto *side = new QVBoxLayout;
    side->addWidget(btSelect);
    side->addWidget(btDeselect);
    side->addStretch();
    lists->addLayout(side);
    auto *states = new QVBoxLayout;
    for (auto [box, caption] : {std::pair{cbDone, pnlDone}, std::pair{cbNotDone, pnlNotDone}}) {
        auto *row = new QHBoxLayout;
        row->addWidget(box);
        row->addWidget(caption, 1);
        states->addLayout(row);
    }
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btOff);
    buttons->addStretch();
    buttons->addWidget(btHelp);
    buttons->addWidget(btOK);
    auto *l = new QVBoxLayout(this);
    l->addWidget(lblTitle);
    l->addWidget(lblCategories);
    l->addLayout(lists, 1);
    l->addLayout(states);
    l->addLayout(buttons);
    resize(296, 373);

    connect(btSelect, &QPushButton::clicked, this, [this] { btSelectClick(); });
    connect(btDeselect, &QPushButton::clicked, this, [this] { btDeselectClick(); });
    connect(btOff, &QPushButton::clicked, this, [this] { btOffClick(); });
    connect(btOK, &QPushButton::clicked, this, [this] { btOKClick(); });
    connect(btHelp, &QPushButton::clicked, this, [this] {
        if (sv_.showHelp)
            sv_.showHelp(200);
    });
    connect(cbWhat, &QListWidget::itemChanged, this, [this] {
        if (!filling_)
            cbWhatClickCheck();
    });
    connect(cbDone, &QCheckBox::toggled, this, [this] { cbWhatClickCheck(); });
    connect(cbNotDone, &QCheckBox::toggled, this, [this] { cbWhatClickCheck(); });

    LoadUpFilterLists();
    {
        const QSignalBlocker a(cbDone), b(cbNotDone);
        cbDone->setChecked(sv_.settings.read(kDoneSetting));
        cbNotDone->setChecked(sv_.settings.read(kNotDoneSetting));
    }
    cbWhatClickCheck();
}

QString TfrmFilter::file(const char *name) const { return JoinPath(sv_.folder, QString::fromLatin1(name)); }

void TfrmFilter::checkShown(const QStringList &names)
{
    // Items are only checked here, never unchecked; letter case is ignored.
    filling_ = true;
    for (int i = 0; i < cbWhat->count(); ++i) {
        QListWidgetItem *item = cbWhat->item(i);
        for (const QString &n : names)
            if (item->text().compare(n, Qt::CaseInsensitive) == 0)
                item->setCheckState(Qt::Checked);
    }
    filling_ = false;
}

void TfrmFilter::LoadUpFilterLists()
{
    filling_ = true;
    cbWhat->clear();
    QStringList categories;
    if (QFileInfo::exists(file("category.xxx"))) {
        if (FileResult r = LoadPickList(file("category.xxx"), &categories); !r)
            sv_.prompts.ErrorBox(r.message);
    }
    for (const QString &c : categories) {
        auto *item = new QListWidgetItem(c, cbWhat);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    filling_ = false;
    QStringList shown = categories;  // without "category.yyy" every category shows
    if (QFileInfo::exists(file("category.yyy"))) {
        if (FileResult r = LoadPickList(file("category.yyy"), &shown); !r)
            sv_.prompts.ErrorBox(r.message);
    }
    checkShown(shown);
}

void TfrmFilter::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    QStringList shown;
    if (QFileInfo::exists(file("category.yyy")))
        (void)LoadPickList(file("category.yyy"), &shown);
    else
        for (int i = 0; i < cbWhat->count(); ++i)
            shown << cbWhat->item(i)->text();
    checkShown(shown);
    cbWhatClickCheck();
}

void TfrmFilter::cbWhatClickCheck()
{
    QList<CategoryCheck> checks;
    for (int i = 0; i < cbWhat->count(); ++i)
        checks.append({cbWhat->item(i)->text(), cbWhat->item(i)->checkState() == Qt::Checked});
    filter_.setCategories(checks);
    filter_.setShowDone(cbDone->isChecked());
    filter_.setShowNotDone(cbNotDone->isChecked());
    lblTitle->setText(filter_.FiltersOn() ? u"Task Filters : On"_s : u"Task Filters : Off"_s);
}

void TfrmFilter::btSelectClick()
{
    filling_ = true;
    for (int i = 0; i < cbWhat->count(); ++i)
        cbWhat->item(i)->setCheckState(Qt::Checked);
    filling_ = false;
    cbWhatClickCheck();
}

void TfrmFilter::btDeselectClick()
{
    filling_ = true;
    for (int i = 0; i < cbWhat->count(); ++i)
        cbWhat->item(i)->setCheckState(Qt::Unchecked);
    filling_ = false;
    cbWhatClickCheck();
}

void TfrmFilter::btOffClick()
{
    {
        const QSignalBlocker a(cbDone), b(cbNotDone);
        cbDone->setChecked(true);
        cbNotDone->setChecked(true);
    }
    btSelectClick();
}

void TfrmFilter::pnlDoneClick() { cbDone->toggle(); }
void TfrmFilter::pnlNotDoneClick() { cbNotDone->toggle(); }

bool TfrmFilter::eventFilter(QObject *watched, QEvent *e)
{
    if (e->type() == QEvent::MouseButtonRelease) {
        if (watched == pnlDone) {
            pnlDoneClick();
            return true;
        }
        if (watched == pnlNotDone) {
            pnlNotDoneClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

QStringList TfrmFilter::shownCategories() const
{
    QStringList shown;
    for (int i = 0; i < cbWhat->count(); ++i)
        if (cbWhat->item(i)->checkState() == Qt::Checked)
            shown << cbWhat->item(i)->text();
    return shown;
}

void TfrmFilter::btOKClick()
{
    if (FileResult r = SavePickList(shownCategories(), file("category.yyy")); !r)
        sv_.prompts.ErrorBox(r.message);
    if (!cbDone->isChecked() && !cbNotDone->isChecked())
        sv_.prompts.ErrorBox(u"By un-checking both DONE and NOTDONE items you have effectively eliminated ALL "
                             "tasks from appearing on the calendar.  New events will seem to disappear!"_s);
    accept();
}

void TfrmFilter::done(int result)
{
    // Every close keeps the two switches for the next start.
    sv_.settings.write(kNotDoneSetting, cbNotDone->isChecked());
    sv_.settings.write(kDoneSetting, cbDone->isChecked());
    QDialog::done(result);
}

void TfrmFilter::setPanelColours(const QColor &doneText, const QColor &doneBack, const QColor &notDoneText,
                                 const QColor &notDoneBack)
{
    for (auto [p, text, back] : {std::tuple{pnlDone, doneText, doneBack}, std::tuple{pnlNotDone, notDoneText, notDoneBack}}) {
        QPalette pal = p->palette();
        pal.setColor(QPalette::Window, back);
        pal.setColor(QPalette::WindowText, text);
        p->setPalette(pal);
    }
}

void TfrmFilter::setHeadingStyle(const QFont &font, int shadowDepth, const QColor &text)
{
    lblTitle->setFont(font);
    lblTitle->setShadowDepth(shadowDepth);
    lblTitle->setTextColor(text);
}

}  // namespace morvane
