#pragma once
// TfrmTimePopup: picks a time of day on a 24-hour ruler with the mouse or
// the keys, rounded to five minutes.

#include "Clock.h"
#include "Utility.h"

#include <QDialog>
#include <QTime>

class QLabel;
class QPushButton;
class QTimeEdit;
class QTimer;

namespace morvane {

class AnalogClock;
class TimeRuler;

class TfrmTimePopup : public QDialog {
    Q_OBJECT
public:
    TfrmTimePopup(const FormatSettings &fs, const Clock &clock, QWidget *parent = nullptr);

    // Presets the time; a value of exactly 0 stands for now.
    void settime(DateValue value);
    // Opens on this time as it is (settime takes 0 as "no time yet").
    void showTime(const QTime &t);
    QTime returnedTime() const;

    void drawPointer(int p, bool setTime);
    int pointerX() const { return pointerX_; }
    void ItIsNow();
    void sbNowClick();
    // Mouse on the ruler, in ruler-picture x.
    void rulerPress(int x);
    void rulerDrag(int x);
    void rulerRelease();
    bool twelveHourRuler() const { return twelveHour_; }

    TimeRuler *ruler = nullptr;
    QLabel *pnlTime = nullptr;
    AnalogClock *Clock1 = nullptr;
    QTimeEdit *dtTime = nullptr;
    QPushButton *sbNow = nullptr, *btOK = nullptr, *btCancel = nullptr;

protected:
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;

private:
    void followField();
    const FormatSettings &fs_;
    const Clock &clock_;
    bool dragging_ = false;
    int pointerX_ = 15;
    bool twelveHour_ = false;
    QTimer *nowTimer_ = nullptr;
};

}  // namespace morvane
