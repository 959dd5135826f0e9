// The arrangement of the main window: splitters, the layout values and the
// Resize menu.

#include "MainWindow.h"

#include <QAction>
#include <QCursor>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QSplitter>
#include <QTableView>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

int position(const QSplitter *s) { return s->sizes().value(0); }

void setPosition(QSplitter *s, int pos)
{
    const QList<int> sizes = s->sizes();
    const int total = std::max(0, sizes.value(0) + sizes.value(1));
    pos = std::clamp(pos, 0, std::max(total, pos));
    s->setSizes({pos, std::max(0, total - pos)});
}

}  // namespace

LayoutValues TfrmMain::currentLayout() const
{
    LayoutValues v = layout_;
    if (!shownOnce_)
        return v;  // never laid out: keep what was read
    v.split2 = position(split2_);
    v.clientHeight = height() - menuBar()->height();  // below the menu, status bar included
    v.clientWidth = width();
    v.split1 = position(split1_);
    v.splitDay = position(splitDay_);
    return v;
}

QRect TfrmMain::availableArea() const
{
    const QScreen *screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

void TfrmMain::applyLayout(const LayoutValues &values)
{
    const QRect area = availableArea();
    const LayoutValues v = ClampLayout(values, QSize(area.width(), area.height() - menuBar()->sizeHint().height()),
                                       minimumWidth());
    layout_ = v;
    resize(std::max(v.clientWidth, minimumWidth()), v.clientHeight + menuBar()->sizeHint().height());
    // The splitters take their positions once they have their sizes.
    setPosition(split2_, v.split2);
    setPosition(split1_, v.split1);
    setPosition(splitDay_, v.splitDay);
}

void TfrmMain::FormResize()
{
    // The calendars and lists fit themselves to their panes; what is left
    // is the Resize menu's word on which list fills the area.
    showMaximizedList();
}

void TfrmMain::Timer2Timer()
{
    if (!flashMode_) {
        // The first pass after showing: the window has its final size now.
        applyLayout(layout_);
        FormResize();
        pool_.setEnabled(tmLayout_, false);
        return;
    }
    if (flashCount_ < 1) {
        pool_.setEnabled(tmLayout_, false);
        flashMode_ = false;
        setBarColor(flashSplitter_, palette().color(QPalette::Button));
        return;
    }
    setBarColor(flashSplitter_, flashCount_ % 2 ? palette().color(QPalette::Button) : QColor(Qt::green));
    --flashCount_;
}

void TfrmMain::setBarColor(QSplitter *s, const QColor &c)
{
    for (int i = 1; i < s->count(); ++i) {
        QWidget *handle = s->handle(i);
        QPalette p = handle->palette();
        p.setColor(QPalette::Window, c);
        handle->setPalette(p);
        handle->setAutoFillBackground(true);
        handle->update();
    }
}

void TfrmMain::flashSplitter(QSplitter *s)
{
    flashSplitter_ = s;
    flashMode_ = true;
    flashCount_ = 15;
    pool_.setEnabled(tmLayout_, true);
    // Point at the middle of the bar, when that point is on a screen.
    QWidget *handle = s->handle(1);
    const QPoint global = handle->mapToGlobal(handle->rect().center());
    if (QGuiApplication::screenAt(global))
        QCursor::setPos(global);
}

void TfrmMain::N4monthCalendars1Click() { flashSplitter(split1_); }
void TfrmMain::DaytoNonDayEvents1Click() { flashSplitter(split2_); }
void TfrmMain::DailyEventsNotes1Click() { flashSplitter(splitDay_); }

void TfrmMain::Maximizedailyevents1Click() { maximizeList(true); }
void TfrmMain::Maximizenondaytasks1Click() { maximizeList(false); }

void TfrmMain::maximizeList(bool dayList)
{
    // The command undoes itself: given again while its list fills the
    // area, it puts the bar back where it was, so that the way back is not
    // a bar two pixels wide at the window's edge.
    const int pos = position(split2_), whole = split2_->height();
    const bool dayFills = split2_->sizes().value(1) == 0, todoFills = pos == 0;
    if (dayList ? dayFills : todoFills) {
        setPosition(split2_, split2BeforeMaximize_ > 0 && split2BeforeMaximize_ < whole ? split2BeforeMaximize_
                                                                                         : whole / 2);
    } else {
        if (!dayFills && !todoFills)
            split2BeforeMaximize_ = pos;
        setPosition(split2_, dayList ? whole : 0);
    }
    FormResize();
    (dayList ? tvDay_ : tvNonday_)->setFocus();
}

void TfrmMain::showMaximizedList()
{
    // The menu's checks say which list fills the area, however it came to.
    if (!split2_ || !Maximizedailyevents1_ || !Maximizenondaytasks1_)
        return;
    const QList<int> sizes = split2_->sizes();
    Maximizedailyevents1_->setChecked(sizes.value(0) > 0 && sizes.value(1) == 0);
    Maximizenondaytasks1_->setChecked(sizes.value(0) == 0 && sizes.value(1) > 0);
}

void TfrmMain::Memorizescreensizepositions1Click()
{
    if (!sv_.prompts.YesNo(u"Really memorize current screen positions?"_s))
        return;
    MemorizedLayout m;
    const QRect frame = frameGeometry();
    m.top = frame.top();
    m.left = frame.left();
    m.height = frame.height();
    m.width = frame.width();
    m.split1Pos = position(split1_);
    m.split2Pos = position(split2_);
    m.splitDay = position(splitDay_);
    m.write(sv_.settings);
}

void TfrmMain::Recoverscreensizepositions1Click()
{
    const MemorizedLayout stored = MemorizedLayout::read(sv_.settings);
    const MemorizedLayout m = ClampMemorized(stored, availableArea());
    if (!m.done) {
        sv_.prompts.ErrorBox(u"Screen has not yet been memorized"_s);
        return;
    }
    // The memorized size is the outer one, frame included.
    const QSize frameExtra = frameGeometry().size() - geometry().size();
    move(m.left, m.top);
    resize(m.width - frameExtra.width(), m.height - frameExtra.height());
    setPosition(split1_, m.split1Pos);
    setPosition(split2_, m.split2Pos);
    setPosition(splitDay_, m.splitDay);
    FormResize();
}

}  // namespace morvane
