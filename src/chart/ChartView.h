#pragma once
// ChartView: one chart of the chart window, with the mouse gestures that
// zoom, move and reset it, and the view figures its opening turn animates.

#include <QChartView>
#include <functional>

class QAbstractAxis;
class QRubberBand;

namespace morvane {

// One chart of the window, with the mouse gestures the hints describe: a
// left drag from upper left to lower right zooms into the rectangle, the
// other way back resets the view, and a right drag moves the chart. In the
// toolbar's Move mode a left drag moves the chart too.
class ChartView : public QChartView {
    Q_OBJECT
public:
    enum class LeftDrag { Zoom, Move };

    // The view the animation turns: a flat chart shows the zoom.
    struct View3D {
        bool orthogonal = true;
        int rotation = 360;
        int elevation = 360;
        int zoom = 100;  // percent
        bool operator==(const View3D &) const = default;
    };

    explicit ChartView(QChart *chart, QWidget *parent = nullptr);

    LeftDrag leftDrag() const { return leftDrag_; }
    void setLeftDrag(LeftDrag d) { leftDrag_ = d; }

    // The axes' ranges as the plot set them, restored by resetView.
    void captureHome();
    void resetView();

    const View3D &view3D() const { return view_; }
    void setView3D(const View3D &v);

    // Runs after every resize, for the labels that depend on the width.
    std::function<void()> onResize;

protected:
    void mousePressEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    struct AxisHome {
        QAbstractAxis *axis;
        qreal min, max;
        QString minText, maxText;
    };
    LeftDrag leftDrag_ = LeftDrag::Zoom;
    View3D view_;
    QList<AxisHome> home_;
    QRubberBand *band_ = nullptr;
    QPoint origin_, last_;
    enum class Drag { None, Zoom, Move } drag_ = Drag::None;
};

}  // namespace morvane
