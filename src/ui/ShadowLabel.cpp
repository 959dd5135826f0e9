#include "ShadowLabel.h"

#include <QPainter>

namespace morvane {

ShadowLabel::ShadowLabel(QWidget *parent) : QLabel(parent) {}

void ShadowLabel::setShadowDepth(int depth)
{
    depth_ = std::max(0, depth);
    updateGeometry();
    update();
}

void ShadowLabel::setShadowColor(const QColor &c)
{
    shadow_ = c;
    update();
}

void ShadowLabel::setTextColor(const QColor &c)
{
    text_ = c;
    update();
}

QSize ShadowLabel::sizeHint() const { return QLabel::sizeHint() + QSize(depth_, depth_); }

void ShadowLabel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setFont(font());
    const QRect r = contentsRect().adjusted(0, 0, -depth_, -depth_);
    // A heading too long for its room ends in an ellipsis rather than a cut.
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, r.width());
    if (depth_ > 0) {
        p.setPen(shadow_);
        p.drawText(r.translated(depth_, depth_), int(alignment()), shown);
    }
    p.setPen(text_);
    p.drawText(r, int(alignment()), shown);
}

}  // namespace morvane
