#pragma once
// TfrmImport: adds holidays of the built-in list to "holiday.grd".

#include "Grid.h"
#include "Prompts.h"
#include "Utility.h"

#include <QDialog>

class QListWidget;
class QPushButton;
class QTreeWidget;

namespace morvane {

class TfrmImport : public QDialog {
    Q_OBJECT
public:
    TfrmImport(const FormatSettings &fs, QString holidayFile, Prompts &prompts, QWidget *parent = nullptr);

    void FillHolidays();
    // The list line of a row of the holiday list: rule text, tab, name.
    QString line(int index) const;

    QListWidget *lbCountries = nullptr;
    QTreeWidget *lbDays = nullptr;
    QPushButton *btOK = nullptr, *btClose = nullptr;

    void accept() override;

protected:
    void showEvent(QShowEvent *e) override;

private:
    const FormatSettings &fs_;
    QString file_;
    Prompts &prompts_;
    Grid table_;
};

}  // namespace morvane
