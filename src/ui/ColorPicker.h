#pragma once
// A drop-down list of named colours with swatches, plus "Other..." for any
// colour through the colour dialog. Colours travel as the program's stored
// form, 0x00BBGGRR.

#include "Colors.h"

#include <QComboBox>
#include <functional>
#include <optional>

namespace morvane {

class ColorPicker : public QComboBox {
    Q_OBJECT
public:
    // chooseOther asks the person for any colour; nullopt when cancelled.
    using ChooseOther = std::function<std::optional<QColor>(const QColor &current)>;
    explicit ColorPicker(QWidget *parent = nullptr);

    quint32 selected() const { return selected_; }
    void setSelected(quint32 bgr);
    void setChooseOther(ChooseOther fn) { chooseOther_ = std::move(fn); }

signals:
    void colorChosen(quint32 bgr);

private:
    void rebuild();
    quint32 selected_ = 0;
    ChooseOther chooseOther_;
};

}  // namespace morvane
