#include "AlarmPanel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>

using namespace Qt::StringLiterals;

namespace morvane {

AlarmPanel::AlarmPanel(QWidget *parent) : QLabel(parent)
{
    setObjectName(u"pnlAlarm"_s);
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setAccessibleDescription(u"Click, or press Enter, to clear the alarm"_s);
    QFont f = font();
    f.setFamilies({u"MS Sans Serif"_s, u"Sans Serif"_s});
    f.setPixelSize(13);
    f.setBold(true);
    setFont(f);
    setMargin(12);
    // The notes as they were written: "<b>" in them is text, not markup.
    setTextFormat(Qt::PlainText);
    setColour(QColor::fromRgb(kLime));
    hide();
}

void AlarmPanel::cover(QWidget *host, const QRect &area)
{
    const QWidget *modal = QApplication::activeModalWidget();
    const bool hostInSight = host->isVisible() && !host->isMinimized();
    const bool aboveBox = hostInSight && ((modal && modal != this) || (isWindow() && !isHidden()));
    const bool shown = !isHidden();
    if (aboveBox && !isWindow()) {
        setParent(host, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
        setWindowModality(Qt::ApplicationModal);
    } else if (!aboveBox && isWindow()) {
        setWindowModality(Qt::NonModal);
        setParent(host, Qt::Widget);
    }
    // A new parent hides the panel; it is shown again where it now lies.
    if (shown && isHidden())
        show();
    if (isWindow())
        setGeometry(QRect(host->mapToGlobal(area.topLeft()), area.size()));
    else
        setGeometry(area);
}

void AlarmPanel::setColour(const QColor &c)
{
    colour_ = c;
    QPalette p = palette();
    p.setColor(QPalette::Window, c);
    p.setColor(QPalette::WindowText, Qt::black);
    setPalette(p);
}

void AlarmPanel::flash()
{
    setColour(QColor::fromRgb(colour_ == QColor::fromRgb(kLime) ? kYellow : kLime));
}

void AlarmPanel::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        e->accept();
        emit clicked();
        return;
    }
    QLabel::mousePressEvent(e);
}

void AlarmPanel::keyPressEvent(QKeyEvent *e)
{
    switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
    case Qt::Key_Escape:
        e->accept();
        emit clicked();
        return;
    default:
        QLabel::keyPressEvent(e);
    }
}

}  // namespace morvane
