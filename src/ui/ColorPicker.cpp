#include "ColorPicker.h"

#include <QPainter>
#include <QPixmap>

#include <optional>

namespace morvane {

namespace {

struct Named {
    const char *name;
    quint32 bgr;
};

// The sixteen standard colours, in 0x00BBGGRR.
constexpr Named kColors[] = {
    {"Black", 0x000000},  {"Maroon", 0x000080}, {"Green", 0x008000},   {"Olive", 0x008080},
    {"Navy", 0x800000},   {"Purple", 0x800080}, {"Teal", 0x808000},    {"Gray", 0x808080},
    {"Silver", 0xC0C0C0}, {"Red", 0x0000FF},    {"Lime", 0x00FF00},    {"Yellow", 0x00FFFF},
    {"Blue", 0xFF0000},   {"Fuchsia", 0xFF00FF}, {"Aqua", 0xFFFF00},   {"White", 0xFFFFFF},
};

QIcon swatch(quint32 bgr)
{
    QPixmap pm(16, 12);
    pm.fill(ToQColor(bgr));
    QPainter p(&pm);
    p.setPen(Qt::black);
    p.drawRect(pm.rect().adjusted(0, 0, -1, -1));
    return QIcon(pm);
}

constexpr int kOtherRole = Qt::UserRole + 1;

}  // namespace

ColorPicker::ColorPicker(QWidget *parent) : QComboBox(parent)
{
    rebuild();
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (itemData(index, kOtherRole).toBool()) {
            std::optional<QColor> c = chooseOther_ ? chooseOther_(ToQColor(selected_)) : std::nullopt;
            if (c)
                setSelected(FromQColor(*c));
            else
                rebuild();  // back to the colour before
        } else {
            selected_ = itemData(index).toUInt();
        }
        emit colorChosen(selected_);
    });
}

void ColorPicker::setSelected(quint32 bgr)
{
    selected_ = bgr & 0xFFFFFF;
    rebuild();
}

void ColorPicker::rebuild()
{
    clear();
    int current = -1;
    for (const Named &n : kColors) {
        addItem(swatch(n.bgr), QString::fromLatin1(n.name), n.bgr);
        if (n.bgr == selected_)
            current = count() - 1;
    }
    if (current < 0) {
        addItem(swatch(selected_), QStringLiteral("Custom"), selected_);
        current = count() - 1;
    }
    addItem(QStringLiteral("Other..."));
    setItemData(count() - 1, true, kOtherRole);
    setCurrentIndex(current);
}

}  // namespace morvane
