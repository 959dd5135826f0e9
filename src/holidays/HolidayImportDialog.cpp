#include "HolidayImportDialog.h"

#include "BuiltInHolidays.h"
#include "GridFile.h"
#include "HolidayImport.h"
#include "HolidayRules.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmImport::TfrmImport(const FormatSettings &fs, QString holidayFile, Prompts &prompts, QWidget *parent)
    : QDialog(parent), fs_(fs), file_(std::move(holidayFile)), prompts_(prompts), table_(NewHolidayGrid())
{
    setObjectName(u"frmImport"_s);
    setWindowTitle(u"Import International Holidays"_s);
    lbCountries = new QListWidget(this);
    lbCountries->setObjectName(u"lbCountries"_s);
    for (const char *c : kCountryNames)
        lbCountries->addItem(QString::fromUtf8(c));
    lbDays = new QTreeWidget(this);
    lbDays->setObjectName(u"lbDays"_s);
    lbDays->setColumnCount(2);
    lbDays->setHeaderHidden(true);
    lbDays->setRootIsDecorated(false);
    lbDays->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lbDays->setAllColumnsShowFocus(true);
    lbDays->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    auto *hint = new QLabel(u"Hint: Drag mouse or Ctrl-Click to select multiple entries"_s, this);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btClose = new QPushButton(u"Close"_s, this);
    connect(btOK, &QPushButton::clicked, this, &TfrmImport::accept);
    connect(btClose, &QPushButton::clicked, this, &QDialog::reject);
    connect(lbCountries, &QListWidget::currentRowChanged, this, [this] { FillHolidays(); });

    auto *lists = new QHBoxLayout;
    lists->addWidget(lbCountries, 1);
    lists->addWidget(lbDays, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(hint, 1);
    buttons->addWidget(btOK);
    buttons->addWidget(btClose);
    auto *l = new QVBoxLayout(this);
    l->addLayout(lists, 1);
    l->addLayout(buttons);
    resize(720, 420);
}

void TfrmImport::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    lbCountries->setCurrentRow(0);
    FillHolidays();
    table_ = NewHolidayGrid();
    if (QFileInfo::exists(file_)) {
        if (FileResult r = LoadGridFile(table_, file_); !r) {
            // Adding to an empty table would write over the holidays in the file.
            prompts_.ErrorBox(r.message);
            btOK->setEnabled(false);
        }
    }
}

void TfrmImport::FillHolidays()
{
    lbDays->clear();
    const int country = std::max(0, lbCountries->currentRow());
    for (int i = 0; i < int(BuiltInHolidays.size()); ++i) {
        const HolidayStructure &h = BuiltInHolidays[std::size_t(i)];
        if (h.country > country)
            break;
        if (h.country != country)
            continue;
        auto *item = new QTreeWidgetItem(lbDays, {HolidayCodeText(QString::fromLatin1(h.code), fs_),
                                                  QString::fromUtf8(h.name)});
        item->setData(0, Qt::UserRole, i);
    }
}

QString TfrmImport::line(int index) const
{
    const QTreeWidgetItem *item = lbDays->topLevelItem(index);
    return item ? item->text(0) + u'\t' + item->text(1) : QString();
}

void TfrmImport::accept()
{
    QList<int> chosen;
    for (int i = 0; i < lbDays->topLevelItemCount(); ++i)
        if (lbDays->topLevelItem(i)->isSelected())
            chosen << lbDays->topLevelItem(i)->data(0, Qt::UserRole).toInt();
    if (chosen.isEmpty()) {
        prompts_.ErrorBox(u"Nothing selected!  Click on holiday(s) above to select."_s);
        return;
    }
    // Each goes in at the top: the last one chosen ends up first. They go
    // into a copy that replaces the table only once it is saved, so a failed
    // save leaves the table as it was and OK can be pressed again.
    Grid next = table_;
    for (int i : chosen)
        addToGrid(next, 1, BuiltInHolidays[std::size_t(i)], fs_);
    if (FileResult r = SaveGridFile(next, file_); !r) {
        prompts_.ErrorBox(r.message);
        return;
    }
    table_ = std::move(next);
    QDialog::accept();
}

}  // namespace morvane
