#pragma once
// TfrmOptions: the options dialog. It is made once at start-up and kept; its
// controls hold the options in force for the whole run, and OK writes them
// to the settings. Cancel only skips the write: what was changed on screen
// stays in force until the program ends.

#include "ModalRunner.h"
#include "Options.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "SoundPlayer.h"

#include <QDate>
#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

namespace morvane {

class ShadowLabel;
class SyncOptionsPage;

class TfrmOptions : public QDialog {
    Q_OBJECT
public:
    // What the options change elsewhere at once; each may be empty.
    struct Effects {
        std::function<void(bool shadows)> applyShadows;  // the main window's headings
        std::function<void()> repaintCalendars;          // colours and fonts of the calendars
        std::function<void()> gridFontChanged;           // lists and notes pane
        std::function<void(int)> rowHeightChanged;
        std::function<void()> strikeOutChanged;
        std::function<void(int topic)> showHelp;
        // Plays the hour chime (true) or the half-hour chime (false).
        std::function<void(bool hour)> testChime;
        // OK on the Sync page: its settings written, and the password typed
        // there (empty: unchanged), which the sync then uses.
        std::function<void(const QString &password)> syncChanged;
    };
    struct Services {
        SettingsStore &settings;
        Prompts &prompts;
        ModalRunner &runner;
        SoundPlayer &sound;
        QString folder;       // the data folder (the alarm sound's default place)
        QString executable;   // for the autostart entry
        std::function<QDate()> today;
    };

    TfrmOptions(Services services, Effects effects, QWidget *parent = nullptr);

    void ReadSettings();
    void SaveSettings();
    // The options in force: what the controls hold.
    Options options() const;

    void playAlarmSound(bool on);
    // A font setting as a font, and back.
    static QFont toFont(const FontSetting &f);

    // Controls, by their names.
    QTabWidget *pages = nullptr;
    ShadowLabel *lblTitle = nullptr;
    QCheckBox *cbShadow = nullptr, *cbStrikeout = nullptr, *cbFlyBy = nullptr;
    QLineEdit *edCategory = nullptr;
    QCheckBox *cbConfirm = nullptr, *cbDragConfirm = nullptr;
    QCheckBox *cbColorDone = nullptr, *cbColorNotDone = nullptr, *cbHoliday = nullptr, *cbCurrentMonth = nullptr;
    QPushButton *pnlDone = nullptr, *pnlNotDone = nullptr, *pnlHoliday = nullptr, *pnlMonth = nullptr;
    QCheckBox *cbStartInTray = nullptr, *cbStartup = nullptr, *cbPopup = nullptr, *cbIconDay = nullptr;
    QSpinBox *edMin = nullptr;
    QLineEdit *edPath = nullptr;
    QPushButton *btAlarmBrowse = nullptr, *btTest = nullptr;
    QCheckBox *cbAlarm = nullptr, *cbRepeat = nullptr;
    QRadioButton *rbSun = nullptr, *rbMon = nullptr;
    QCheckBox *cbHourChime = nullptr, *cbHalfChime = nullptr;
    QPushButton *btTestHour = nullptr, *btHalfTest = nullptr;
    QRadioButton *rbExit = nullptr, *rbMinimize = nullptr;
    QSpinBox *edRowHeight = nullptr;
    QPushButton *btCalFont = nullptr, *btGridFont = nullptr, *btHeader = nullptr;
    QPushButton *btOK = nullptr, *btCancel = nullptr, *btHelp = nullptr;
    SyncOptionsPage *syncPage = nullptr;

    // The colour pairs of the samples, 0x00BBGGRR.
    struct Pair {
        quint32 fg, bg;
    };
    Pair doneColors() const { return done_; }
    Pair notDoneColors() const { return notDone_; }
    Pair holidayColors() const { return holiday_; }
    quint32 monthColor() const { return month_; }

    // Handlers.
    void cbShadowClick();
    void pnlDoneClick();
    void pnlNotDoneClick();
    void pnlHolidayClick();
    void pnlMonthClick();
    void btCalFontClick();
    void btGridFontClick();
    void btHeaderClick();
    void btTestClick();
    void btAlarmBrowseClick();

private:
    QWidget *buildAppearance();
    QWidget *buildAlarms();
    QWidget *buildGeneral();
    void applyTitleStyle();
    void showSamples();
    void showHeaderFont();
    bool pickColors(const QString &caption, Pair *pair, bool monthMode);
    static FontSetting fromFont(const QFont &f);

    Services sv_;
    Effects fx_;
    bool loading_ = false;
    QString firstTime_;
    Pair done_{}, notDone_{}, holiday_{};
    quint32 month_ = 0;
    FontSetting calFont_, gridFont_, titleFont_;
};

}  // namespace morvane
