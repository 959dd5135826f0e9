#pragma once
// TfrmFilter: "Task Filters". Which dated tasks the views show: the checked
// categories, done tasks, not-done tasks. Made once at start-up and kept for
// the run; its check states are the filter in force, copied into the
// TaskFilter every view asks whenever one of them changes.
//
// Only the categories the person unticked are hidden. "category.yyy" names
// the ticked ones, as it always has; "category.seen" beside it names every
// category the list held when the person last pressed OK. A category named
// in neither is one the person never saw here, and it shows.

#include "Prompts.h"
#include "SettingsStore.h"
#include "TaskTables.h"

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace morvane {

class ShadowLabel;

class TfrmFilter : public QDialog {
    Q_OBJECT
public:
    struct Services {
        Prompts &prompts;
        SettingsStore &settings;
        QString folder;                    // category.xxx and category.yyy
        std::function<void(int)> showHelp;
    };

    TfrmFilter(Services services, TaskFilter &filter, QWidget *parent = nullptr);

    void LoadUpFilterLists();
    // The category list was saved (by the editor or the Categories command):
    // the filter lists what it holds now, new categories shown unless the
    // person hid them before, the others as they are. True when what the
    // filter hides changed.
    bool categoriesChanged();
    void btSelectClick();
    void btDeselectClick();
    void btOffClick();
    void btOKClick();
    void pnlDoneClick();
    void pnlNotDoneClick();
    // Any check changed: the filter follows and the heading says whether
    // one is on.
    void cbWhatClickCheck();

    // The panels carry the calendars' done and not-done colours.
    void setPanelColours(const QColor &doneText, const QColor &doneBack, const QColor &notDoneText,
                         const QColor &notDoneBack);
    void setHeadingStyle(const QFont &font, int shadowDepth, const QColor &text);

    ShadowLabel *lblTitle = nullptr;
    QListWidget *cbWhat = nullptr;
    QCheckBox *cbDone = nullptr, *cbNotDone = nullptr;
    QLabel *pnlDone = nullptr, *pnlNotDone = nullptr;
    QPushButton *btSelect = nullptr, *btDeselect = nullptr, *btOK = nullptr, *btHelp = nullptr, *btOff = nullptr;

    void done(int result) override;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    QString file(const char *name) const;
    QStringList shownCategories() const;
    QStringList listedCategories() const;
    QStringList hiddenCategories() const;
    // Which of `items` the saved filter shows; `report` tells the person
    // when its files cannot be read.
    QStringList shownBySavedFilter(const QStringList &items, bool report = false) const;
    bool readCategories(QStringList *items);
    void fillList(const QStringList &items, const QStringList &shown);
    void checkShown(const QStringList &names);

    Services sv_;
    TaskFilter &filter_;
    bool filling_ = false;
};

}  // namespace morvane
