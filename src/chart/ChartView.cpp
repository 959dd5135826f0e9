#include "ChartView.h"

#include <QBarCategoryAxis>
#include <QChart>
#include <QMouseEvent>
#include <QPainter>
#include <QRubberBand>
#include <QValueAxis>

#include <algorithm>

namespace morvane {

ChartView::ChartView(QChart *chart, QWidget *parent) : QChartView(chart, parent)
{
    setRenderHint(QPainter::Antialiasing);
    setAlignment(Qt::AlignCenter);
    band_ = new QRubberBand(QRubberBand::Rectangle, viewport());
    band_->hide();
}

void ChartView::captureHome()
{
    home_.clear();
    for (QAbstractAxis *a : chart()->axes()) {
        if (auto *v = qobject_cast<QValueAxis *>(a))
            home_.append(AxisHome{a, v->min(), v->max(), {}, {}});
        else if (auto *c = qobject_cast<QBarCategoryAxis *>(a))
            home_.append(AxisHome{a, 0, 0, c->min(), c->max()});
    }
}

void ChartView::resetView()
{
    chart()->zoomReset();
    for (const AxisHome &h : std::as_const(home_)) {
        if (auto *v = qobject_cast<QValueAxis *>(h.axis))
            v->setRange(h.min, h.max);
        else if (auto *c = qobject_cast<QBarCategoryAxis *>(h.axis); c && !h.minText.isEmpty())
            c->setRange(h.minText, h.maxText);
    }
}

void ChartView::setView3D(const View3D &v)
{
    view_ = v;
    const qreal z = std::clamp(v.zoom, 1, 100) / 100.0;
    setTransform(QTransform::fromScale(z, z));
}

void ChartView::mousePressEvent(QMouseEvent *e)
{
    const bool left = e->button() == Qt::LeftButton, right = e->button() == Qt::RightButton;
    if (left && leftDrag_ == LeftDrag::Zoom) {
        drag_ = Drag::Zoom;
        origin_ = e->position().toPoint();
        band_->setGeometry(QRect(origin_, QSize()));
        band_->show();
    } else if (left || right) {
        drag_ = Drag::Move;
        last_ = e->position().toPoint();
        viewport()->setCursor(Qt::ClosedHandCursor);
    } else {
        QChartView::mousePressEvent(e);
        return;
    }
    e->accept();
}

void ChartView::mouseMoveEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    if (drag_ == Drag::Zoom) {
        band_->setGeometry(QRect(origin_, at).normalized());
    } else if (drag_ == Drag::Move) {
        const QPoint d = at - last_;
        // The chart follows the pointer.
        chart()->scroll(-d.x(), d.y());
        last_ = at;
    } else {
        QChartView::mouseMoveEvent(e);
        return;
    }
    e->accept();
}

void ChartView::mouseReleaseEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    if (drag_ == Drag::Zoom) {
        band_->hide();
        if (at.x() > origin_.x() && at.y() > origin_.y()) {
            const QRectF r = mapToScene(QRect(origin_, at)).boundingRect().intersected(chart()->plotArea());
            if (r.width() >= 3 && r.height() >= 3)
                chart()->zoomIn(r);
        } else if (at.x() < origin_.x() && at.y() < origin_.y()) {
            resetView();
        }
    } else if (drag_ == Drag::Move) {
        viewport()->unsetCursor();
    } else {
        QChartView::mouseReleaseEvent(e);
        return;
    }
    drag_ = Drag::None;
    e->accept();
}

void ChartView::resizeEvent(QResizeEvent *e)
{
    QChartView::resizeEvent(e);
    if (onResize)
        onResize();
}

}  // namespace morvane
