#pragma once
// pnlAlarm: the panel that covers the main window while an alarm is up. It
// flashes between lime and yellow and is cleared by a click, or by Enter,
// Space or Esc for those who use the keyboard. Two buttons on it put the
// alarm off instead: for five minutes, or for a time the person chooses.

#include <QLabel>

class QPushButton;

namespace morvane {

class AlarmPanel : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kLime = 0x00FF00;
    static constexpr QRgb kYellow = 0xFFFF00;

    explicit AlarmPanel(QWidget *parent = nullptr);
    // Lays the panel over `area` of `host` (in the host's coordinates). A
    // modal box blocks its window and everything in it, so while one is open
    // the panel becomes a window of its own above the host, modal as well and
    // shown after the box: it lies over the box and takes the click that
    // clears it, and the box goes on once it is cleared. Otherwise, and
    // whenever the host is out of sight, the panel is a part of the host.
    void cover(QWidget *host, const QRect &area);
    QColor colour() const { return colour_; }
    void setColour(const QColor &c);
    // tmPanelColorTimer: lime becomes yellow, anything else lime.
    void flash();

    QPushButton *btSnooze5 = nullptr;
    QPushButton *btSnooze = nullptr;

signals:
    void clicked();
    // "Snooze 5 min".
    void snoozeRequested(int minutes);
    // "Snooze…": the time is asked for.
    void snoozeChoiceRequested();

protected:
    bool eventFilter(QObject *watched, QEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QColor colour_;
};

}  // namespace morvane
