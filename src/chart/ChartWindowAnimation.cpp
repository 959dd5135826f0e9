// The opening turn of the page's chart.

#include "ChartWindow.h"

#include "ChartView.h"

#include <QCheckBox>
#include <QTabWidget>
#include <QTimer>

namespace morvane {

void TfrmChart::PageControl1Change() { AnimateWindow(); }
void TfrmChart::cbAnimateClick() { AnimateWindow(); }

void TfrmChart::AnimateWindow()
{
    if (!cbAnimate->isChecked())
        return;
    if (animated_ && Timer1->isActive()) {
        Timer1->stop();
        // The turn ends where it would have ended, at full size.
        animated_->setView3D(ChartView::View3D{true, 360, 360, 100});
    }
    ChartView *const charts[] = {chrtWeek, chrtHour, chrtDay, chrtCat};
    const int page = PageControl1->currentIndex();
    animated_ = page >= 0 && page < 4 ? charts[page] : nullptr;
    if (!animated_)
        return;
    animated_->setView3D(ChartView::View3D{false, 270, 270, 33});
    Timer1->start(kAnimationMs);
}

void TfrmChart::Timer1Timer()
{
    if (!animated_) {
        Timer1->stop();
        return;
    }
    ChartView::View3D v = animated_->view3D();
    v.rotation += 4;
    v.elevation += 4;
    v.zoom += 3;
    if (v.rotation >= 360) {
        Timer1->stop();
        v.zoom = 100;
        v.orthogonal = true;
    }
    animated_->setView3D(v);
}

}  // namespace morvane
