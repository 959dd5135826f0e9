#include "AlarmPanel.h"

#include "Snoozes.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QShortcutEvent>
#include <QVBoxLayout>

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

    btSnooze5 = new QPushButton(u"&Snooze %1 min"_s.arg(kSnoozeShortMinutes), this);
    btSnooze5->setObjectName(u"btSnooze5"_s);
    btSnooze = new QPushButton(u"Snoo&ze\u2026"_s, this);
    btSnooze->setObjectName(u"btSnooze"_s);
    for (QPushButton *b : {btSnooze5, btSnooze}) {
        b->setCursor(Qt::ArrowCursor);
        b->setAutoDefault(false);
        QFont plain = b->font();
        plain.setBold(false);
        b->setFont(plain);
        b->installEventFilter(this);
    }
    connect(btSnooze5, &QPushButton::clicked, this, [this] { emit snoozeRequested(kSnoozeShortMinutes); });
    connect(btSnooze, &QPushButton::clicked, this, &AlarmPanel::snoozeChoiceRequested);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btSnooze5);
    buttons->addWidget(btSnooze);
    buttons->addStretch();
    auto *column = new QVBoxLayout(this);
    column->addStretch();
    column->addLayout(buttons);
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

bool AlarmPanel::eventFilter(QObject *watched, QEvent *e)
{
    // A button's access key clicks it at once, not after the pressed look a
    // mnemonic otherwise shows for a moment: the sound stops on the key.
    if (e->type() == QEvent::Shortcut && !static_cast<QShortcutEvent *>(e)->isAmbiguous()) {
        if (auto *b = qobject_cast<QPushButton *>(watched)) {
            b->click();
            return true;
        }
    }
    return QLabel::eventFilter(watched, e);
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
