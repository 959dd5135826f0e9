#pragma once
// A heading drawn over its own shadow: the text in the label's colour,
// offset by the shadow depth over a copy in the shadow colour.

#include <QLabel>

namespace morvane {

class ShadowLabel : public QLabel {
    Q_OBJECT
public:
    explicit ShadowLabel(QWidget *parent = nullptr);
    int shadowDepth() const { return depth_; }
    void setShadowDepth(int depth);
    QColor shadowColor() const { return shadow_; }
    void setShadowColor(const QColor &c);
    QColor textColor() const { return text_; }
    void setTextColor(const QColor &c);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int depth_ = 1;
    QColor shadow_ = QColor(176, 176, 176);
    QColor text_ = QColor(0, 0, 128);
};

}  // namespace morvane
