// Printing a chart from its toolbar.

#include "ChartWindow.h"

#include "ChartView.h"
#include "ShadowLabel.h"

#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

void TfrmChart::printChart(ChartView *view)
{
    // A chart caught in its opening turn prints at full size.
    if (view == animated_ && Timer1->isActive()) {
        Timer1->stop();
        view->setView3D(ChartView::View3D{});
    }
    QPrinter printer(QPrinter::HighResolution);
    // Qt starts every printer on A4; the locale knows better.
    const QLocale::MeasurementSystem units = QLocale::system().measurementSystem();
    printer.setPageSize(QPageSize(units == QLocale::MetricSystem ? QPageSize::A4 : QPageSize::Letter));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(windowTitle());
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(u"Print"_s);
    if (sv_.runner.showModal(dialog) != QDialog::Accepted)
        return;
    QPainter p;
    if (!p.begin(&printer)) {
        sv_.prompts.ErrorBox(u"The printer could not be started."_s);
        return;
    }
    const QRectF page(QPointF(0, 0), printer.pageLayout().paintRectPixels(printer.resolution()).size());
    // The heading over the chart, then the chart as large as the page allows.
    QFont heading = sv_.titleFont;
    heading.setPointSizeF(std::min<qreal>(heading.pointSizeF() > 0 ? heading.pointSizeF() : 14, 16));
    p.setFont(heading);
    const qreal headingHeight = QFontMetricsF(heading, &printer).height() * 1.5;
    p.drawText(QRectF(page.left(), page.top(), page.width(), headingHeight), Qt::AlignCenter, lblTitle->text());
    const QRectF space(page.left(), page.top() + headingHeight, page.width(), page.height() - headingHeight);
    const QSizeF source = view->viewport()->size();
    const qreal scale = std::min(space.width() / source.width(), space.height() / source.height());
    const QRectF target(space.left() + (space.width() - source.width() * scale) / 2, space.top(),
                        source.width() * scale, source.height() * scale);
    view->render(&p, target, view->viewport()->rect());
    p.end();
}

}  // namespace morvane
