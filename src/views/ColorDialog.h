#pragma once
// TfrmColor: picks the text and background colours of a kind of calendar day
// (or, in month mode, only the background of the current month) on a sample
// calendar. The caller sets the caption and the colours, shows it through the
// modal runner and reads the colours after OK.

#include <QDialog>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;

namespace morvane {

class ColorPicker;
class MonthCalendar;

class TfrmColor : public QDialog {
    Q_OBJECT
public:
    using ChooseOther = std::function<std::optional<QColor>(const QColor &)>;
    // The sample calendar shows the month of `today`.
    TfrmColor(const QDate &today, QWidget *parent = nullptr, ChooseOther chooseOther = {});

    bool monthMode = false;

    MonthCalendar *cal2 = nullptr;
    ColorPicker *cbFG = nullptr;
    ColorPicker *cbBG = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label3 = nullptr;
    QPushButton *btOK = nullptr;
    QPushButton *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void FormShow();
    void cbFG2Click();
};

}  // namespace morvane
