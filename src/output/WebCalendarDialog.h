#pragma once
// TfrmWebCal: publishes the selected month as a web page, or its whole year
// as twelve pages and an index, with the settings kept under "WebCal".

#include "FileLauncher.h"
#include "Prompts.h"
#include "SettingsStore.h"
#include "WebCalendarPages.h"

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;
class QToolButton;

namespace morvane {

class ShadowLabel;

class TfrmWebCal : public QDialog {
    Q_OBJECT
public:
    struct Services {
        SettingsStore &settings;
        Prompts &prompts;
        FileLauncher &launcher;
        const FormatSettings &fs;
        WebCalContent content;  // what each day of a page shows
        QDate month;            // the date selected in the main window
        bool mondayFirst = false;
        QFont titleFont;        // the main window's day heading
    };
    explicit TfrmWebCal(Services services, QWidget *parent = nullptr);

    // Handlers.
    void FormCreate();
    void FormShow();
    void rbMonthClick();
    void cbWithinDayClick() { rbMonthClick(); }
    void rgTruncClick() { rbMonthClick(); }
    void cbDetailsClick() { rbMonthClick(); }
    void edSizeChange();
    void Panel1Click();
    void SpeedButton3Click();
    void SpeedButton2Click();
    void btPublishClick();
    void btLaunchClick();
    void btCloseClick();
    void FormClose();
    // Checks the settings, asks for the title and writes the pages; false
    // (with the person told why, unless they cancelled) when nothing or not
    // everything was written.
    bool PublishIt(bool details);
    // The web colour of the alternating backgrounds, "#RRGGBB".
    QString webColor() const { return webColor_; }
    QColor panelColour() const { return colour_; }

    ShadowLabel *lblTitle = nullptr;
    QRadioButton *rbMonth = nullptr, *rbYear = nullptr;
    QLabel *lblFile = nullptr, *lblFolder = nullptr;
    QLineEdit *edFile = nullptr, *edFolder = nullptr;
    QToolButton *SpeedButton3 = nullptr, *SpeedButton2 = nullptr;
    QTabWidget *PageControl1 = nullptr;
    QCheckBox *cbDetails = nullptr, *cbIncludeDone = nullptr, *cbIncludeAlarm = nullptr;
    QCheckBox *cbWithinDay = nullptr, *cbCat = nullptr;
    QGroupBox *rgTrunc = nullptr;
    QRadioButton *rbWhole = nullptr, *rbTruncate = nullptr;
    QLabel *lblTruncTo = nullptr, *lblChars = nullptr;
    QSpinBox *edTrunc = nullptr;
    QSpinBox *edSize = nullptr;
    QLabel *lblSample = nullptr;
    std::array<QPushButton *, 4> Panel{};
    QPushButton *btPublish = nullptr, *btLaunch = nullptr, *btClose = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    void done(int r) override;

private:
    void setColour(const QColor &c);
    WebCalSettings runSettings(bool details) const;
    Services sv_;
    QColor colour_;
    quint32 storedColour_ = 0;  // as the settings hold it: RGB or a system colour
    QString webColor_;
    bool closed_ = false;
};

}  // namespace morvane
