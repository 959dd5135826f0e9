#pragma once
// pnlAlarm: the panel that covers the main window while an alarm is up. It
// flashes between lime and yellow and is cleared by a click, or by Enter,
// Space or Esc for those who use the keyboard.

#include <QLabel>

namespace morvane {

class AlarmPanel : public QLabel {
    Q_OBJECT
public:
    static constexpr QRgb kLime = 0x00FF00;
    static constexpr QRgb kYellow = 0xFFFF00;

    explicit AlarmPanel(QWidget *parent = nullptr);
    QColor colour() const { return colour_; }
    void setColour(const QColor &c);
    // tmPanelColorTimer: lime becomes yellow, anything else lime.
    void flash();

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    QColor colour_;
};

}  // namespace morvane
