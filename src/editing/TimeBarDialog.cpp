#include "TimeBarDialog.h"

#include "AnalogClock.h"
#include "TimeBarLogic.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTimeEdit>
#include <QTimer>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

// The ruler picture (500 x 42, hour h at x = 8 + 20h, night cyan, day
// yellow), with the triangle markers and the pointer line drawn over it.
class TimeRuler : public QWidget {
public:
    explicit TimeRuler(TfrmTimePopup *owner) : QWidget(owner), owner_(owner)
    {
        setFixedSize(495, 58);
        setCursor(Qt::PointingHandCursor);
        setToolTip(u"Click to select time"_s);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        const int top = 8, h = 42;
        auto xOf = [](int hour) { return 8 + 20 * hour; };
        p.fillRect(QRect(0, top, width(), h), QColor(0, 255, 255));
        p.fillRect(QRect(xOf(7), top, xOf(19) - xOf(7), h), QColor(255, 255, 0));
        p.setPen(Qt::black);
        p.drawRect(QRect(0, top, width() - 1, h - 1));
        QFont f = font();
        f.setPixelSize(10);
        p.setFont(f);
        for (int hour = 0; hour <= 24; ++hour) {
            const int x = xOf(hour);
            p.drawLine(x, top + h - 10, x, top + h - 1);
            if (hour < 24)
                p.drawLine(x + 10, top + h - 5, x + 10, top + h - 1);
            QString label = QString::number(hour);
            if (owner_->twelveHourRuler()) {
                const int h12 = hour % 12;
                label = hour == 0 || hour == 24 ? u"M"_s
                        : hour == 12            ? u"12"_s
                                                : QString::number(h12);
                if (hour == 7)
                    label = u"7a"_s;
                else if (hour == 19)
                    label = u"7p"_s;
            }
            p.drawText(QRect(x - 10, top + 4, 20, 14), Qt::AlignCenter, label);
        }
        // The pointer: line at picture x = P - 8, markers above and below.
        const int line = owner_->pointerX() - 8;
        p.setPen(QPen(Qt::red, 1));
        p.drawLine(line, top + 5, line, top + 5 + 32);
        p.setBrush(Qt::red);
        p.setPen(Qt::NoPen);
        const QPolygon topMark({{line - 5, 0}, {line + 5, 0}, {line, 6}});
        const QPolygon bottomMark({{line - 5, top + h + 7}, {line + 5, top + h + 7}, {line, top + h + 1}});
        p.drawPolygon(topMark);
        p.drawPolygon(bottomMark);
    }
    void mousePressEvent(QMouseEvent *e) override { owner_->rulerPress(e->position().toPoint().x()); }
    void mouseMoveEvent(QMouseEvent *e) override
    {
        if (e->buttons() != Qt::NoButton)
            owner_->rulerDrag(e->position().toPoint().x());
    }
    void mouseReleaseEvent(QMouseEvent *) override { owner_->rulerRelease(); }
    void mouseDoubleClickEvent(QMouseEvent *) override { owner_->accept(); }

private:
    TfrmTimePopup *owner_;
};

TfrmTimePopup::TfrmTimePopup(const FormatSettings &fs, const Clock &clock, QWidget *parent)
    : QDialog(parent), fs_(fs), clock_(clock)
{
    setObjectName(u"frmTimePopup"_s);
    setWindowTitle(u"Time Entry"_s);
    ruler = new TimeRuler(this);
    pnlTime = new QLabel(ruler);
    pnlTime->setObjectName(u"pnlTime"_s);
    pnlTime->setFixedSize(56, 17);
    pnlTime->setAlignment(Qt::AlignCenter);
    pnlTime->setAutoFillBackground(true);
    pnlTime->hide();
    Clock1 = new AnalogClock(this);
    Clock1->setObjectName(u"Clock1"_s);
    dtTime = new QTimeEdit(this);
    dtTime->setObjectName(u"dtTime"_s);
    dtTime->installEventFilter(this);
    dtTime->setDisplayFormat(ToQtPattern(fs_.longTimeFormat));
    sbNow = new QPushButton(this);
    sbNow->setObjectName(u"sbNow"_s);
    sbNow->setToolTip(u"Current time - click to set clock to current time"_s);
    sbNow->setAutoDefault(false);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(sbNow, &QPushButton::clicked, this, [this] { sbNowClick(); });
    connect(dtTime, &QTimeEdit::timeChanged, this, [this] { followField(); });
    nowTimer_ = new QTimer(this);
    nowTimer_->setInterval(1000);
    connect(nowTimer_, &QTimer::timeout, this, [this] { ItIsNow(); });

    auto *row = new QHBoxLayout;
    row->addWidget(Clock1);
    auto *fields = new QVBoxLayout;
    fields->addWidget(dtTime);
    fields->addWidget(sbNow);
    row->addLayout(fields);
    row->addStretch();
    row->addWidget(btOK, 0, Qt::AlignBottom);
    row->addWidget(btCancel, 0, Qt::AlignBottom);
    auto *l = new QVBoxLayout(this);
    l->setContentsMargins(16, 0, 16, 8);
    l->addWidget(ruler);
    l->addLayout(row);
    settime(0);
    // Every control passes its keys to the window first.
    for (QWidget *w : findChildren<QWidget *>())
        if (w != dtTime)
            w->installEventFilter(this);
}

void TfrmTimePopup::settime(DateValue value) { showTime(value == 0 ? clock_.now().time() : TimeOfValue(value)); }

void TfrmTimePopup::showTime(const QTime &t)
{
    dtTime->setTime(t);
    Clock1->setTime(t);
}

QTime TfrmTimePopup::returnedTime() const { return dtTime->time(); }

void TfrmTimePopup::drawPointer(int p, bool setTime)
{
    if (!PointerInRange(p))
        return;
    pointerX_ = p;
    pnlTime->move(p - 8 - 28, 8 + 42 - 17);
    if (setTime) {
        const QTime t = Xtotime(p);
        {
            const QSignalBlocker quiet(dtTime);
            dtTime->setTime(t);
        }
        Clock1->setTime(t);
        pnlTime->setText(FormatDateTime(u"tt", ToDateValue(QDateTime(QDate(2000, 1, 1), t)), fs_));
        QPalette pal = pnlTime->palette();
        pal.setColor(QPalette::Window, t.hour() < 7 || t.hour() >= 19 ? QColor(0, 255, 255) : QColor(255, 255, 0));
        pnlTime->setPalette(pal);
    }
    ruler->update();
}

void TfrmTimePopup::rulerPress(int x)
{
    dragging_ = true;
    pnlTime->show();
    // The line lands where the person pressed, as it follows the mouse when dragged.
    drawPointer(x + 8, true);
}

void TfrmTimePopup::rulerDrag(int x)
{
    if (dragging_)
        drawPointer(x + 8, true);
}

void TfrmTimePopup::rulerRelease()
{
    dragging_ = false;
    pnlTime->hide();
}

void TfrmTimePopup::followField()
{
    const QTime t = dtTime->time();
    drawPointer(TimetoX(t.hour(), t.minute()), false);
    Clock1->setTime(t);
}

void TfrmTimePopup::ItIsNow()
{
    sbNow->setText(u"It is %1"_s.arg(FormatDateTime(u"t", ToDateValue(clock_.now()), fs_)));
}

void TfrmTimePopup::sbNowClick()
{
    const QTime now = clock_.now().time();
    dtTime->setTime(now);
    Clock1->setTime(now);
    followField();
    ItIsNow();
}

void TfrmTimePopup::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    twelveHour_ = fs_.shortTimeFormat.contains(u"AM", Qt::CaseInsensitive);
    dragging_ = false;
    followField();
    ItIsNow();
    nowTimer_->start();
    dtTime->setFocus();
    // Bring the mouse to the pointer, where the platform allows it.
    QTimer::singleShot(10, this, [this] {
        const QPoint global = ruler->mapToGlobal(QPoint(pointerX_ - 9, 29));
        if (QGuiApplication::screenAt(global))
            QCursor::setPos(global);
    });
}

bool TfrmTimePopup::eventFilter(QObject *watched, QEvent *e)
{
    // The window sees the keys first, whichever of its controls has the
    // focus.
    if (e->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget *>(watched)->window() == this) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (key == Qt::Key_Home) {
            dtTime->setTime(clock_.now().time());
            followField();
            return true;
        }
        const QTime stepped = StepTime(dtTime->time(), key);
        if (key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown) {
            dtTime->setTime(stepped);
            followField();
            return true;
        }
    }
    return QDialog::eventFilter(watched, e);
}

}  // namespace morvane
