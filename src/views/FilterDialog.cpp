#include "FilterDialog.h"

#include "GridFile.h"
#include "ScreenPlacement.h"
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

#include <algorithm>

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

bool TfrmFilter::readCategories(QStringList *items)
{
    items->clear();
    if (!QFileInfo::exists(file("category.xxx")))
        return true;
    if (FileResult r = LoadPickList(file("category.xxx"), items); !r) {
        sv_.prompts.ErrorBox(r.message);
        return false;
    }
    return true;
}

QStringList TfrmFilter::shownBySavedFilter(const QStringList &items, bool report) const
{
    // Without "category.yyy" every category shows. With it, the ones it
    // names show, and so does any the list did not hold at the last OK (a
    // category added since, or one from before the list was remembered).
    // A file that cannot be read hides nothing.
    if (!QFileInfo::exists(file("category.yyy")))
        return items;
    QStringList ticked, seen;
    for (auto [name, names] : {std::pair{"category.yyy", &ticked}, std::pair{"category.seen", &seen}}) {
        if (!QFileInfo::exists(file(name)))
            continue;
        if (FileResult r = LoadPickList(file(name), names); !r) {
            if (report)
                sv_.prompts.ErrorBox(r.message);
            return items;
        }
    }
    QStringList shown;
    for (const QString &item : items)
        if (ticked.contains(item, Qt::CaseInsensitive) || !seen.contains(item, Qt::CaseInsensitive))
            shown << item;
    return shown;
}

void TfrmFilter::fillList(const QStringList &items, const QStringList &shown)
{
    filling_ = true;
    cbWhat->clear();
    for (const QString &c : items) {
        auto *item = new QListWidgetItem(c, cbWhat);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
        item->setCheckState(shown.contains(c, Qt::CaseInsensitive) ? Qt::Checked : Qt::Unchecked);
    }
    filling_ = false;
}

void TfrmFilter::LoadUpFilterLists()
{
    QStringList categories;
    if (!readCategories(&categories))
        categories.clear();
    fillList(categories, shownBySavedFilter(categories, true));
}

bool TfrmFilter::categoriesChanged()
{
    QStringList categories;
    if (!readCategories(&categories))
        return false;  // the list stays as it was
    const QStringList listed = listedCategories();
    const QStringList hiddenBefore = hiddenCategories();
    const QStringList saved = shownBySavedFilter(categories);
    QStringList shown;
    for (const QString &c : categories) {
        // A category already listed keeps its check, saved or not.
        if (listed.contains(c, Qt::CaseInsensitive) ? !hiddenBefore.contains(c, Qt::CaseInsensitive)
                                                    : saved.contains(c, Qt::CaseInsensitive))
            shown << c;
    }
    if (categories == listed && shown == shownCategories())
        return false;  // the same list: nothing to redo
    fillList(categories, shown);
    cbWhatClickCheck();
    const QStringList hiddenNow = hiddenCategories();
    return hiddenNow.size() != hiddenBefore.size()
           || !std::all_of(hiddenNow.begin(), hiddenNow.end(),
                           [&](const QString &c) { return hiddenBefore.contains(c, Qt::CaseInsensitive); });
}

void TfrmFilter::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    // A fixed dialog in the middle of the screen, each time it opens; its
    // size is fixed here, once the heading has the title font it shows in.
    setFixedSize(sizeHint().expandedTo(QSize(296, 373)));
    CentreOnScreen(*this);
    checkShown(shownBySavedFilter(listedCategories()));
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

QStringList TfrmFilter::listedCategories() const
{
    QStringList listed;
    for (int i = 0; i < cbWhat->count(); ++i)
        listed << cbWhat->item(i)->text();
    return listed;
}

QStringList TfrmFilter::shownCategories() const
{
    QStringList shown;
    for (int i = 0; i < cbWhat->count(); ++i)
        if (cbWhat->item(i)->checkState() == Qt::Checked)
            shown << cbWhat->item(i)->text();
    return shown;
}

QStringList TfrmFilter::hiddenCategories() const
{
    QStringList hidden;
    for (int i = 0; i < cbWhat->count(); ++i)
        if (cbWhat->item(i)->checkState() != Qt::Checked)
            hidden << cbWhat->item(i)->text();
    return hidden;
}

void TfrmFilter::btOKClick()
{
    // The ticked categories first: a list that is remembered without them
    // would hide what the person ticked.
    if (FileResult r = SavePickList(shownCategories(), file("category.yyy")); !r)
        sv_.prompts.ErrorBox(r.message);
    else if (FileResult seen = SavePickList(listedCategories(), file("category.seen")); !seen)
        sv_.prompts.ErrorBox(seen.message);
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
