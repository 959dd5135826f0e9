#include "ColorDialog.h"

#include "ColorPicker.h"
#include "MonthCalendar.h"
#include "ScreenPlacement.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmColor::TfrmColor(const QDate &today, QWidget *parent, ChooseOther chooseOther) : QDialog(parent)
{
    setObjectName(u"frmColor"_s);
    cal2 = new MonthCalendar(this);
    cal2->setObjectName(u"cal2"_s);
    cal2->setDate(today);
    cal2->bevel = MonthCalendar::Bevel::Raised;
    // The labels' access keys reach the pickers from the keyboard.
    Label2 = new QLabel(u"&ForeGround"_s, this);
    Label3 = new QLabel(u"&BackGround"_s, this);
    cbFG = new ColorPicker(this);
    cbFG->setObjectName(u"cbFG"_s);
    cbBG = new ColorPicker(this);
    cbBG->setObjectName(u"cbBG"_s);
    Label2->setBuddy(cbFG);
    Label3->setBuddy(cbBG);
    for (ColorPicker *p : {cbFG, cbBG}) {
        p->setChooseOther(chooseOther);
        connect(p, &ColorPicker::colorChosen, this, [this] { cbFG2Click(); });
    }
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);

    // The sample shows the month in the chosen colours.
    cal2->setDrawCell([this](QPainter &p, const MonthCalendar::Cell &c, bool &defaultDraw) {
        if (monthMode || !c.inMonth) {
            defaultDraw = true;
            return;
        }
        p.fillRect(c.rect, ToQColor(cbBG->selected()));
        p.setPen(ToQColor(cbFG->selected()));
        p.drawText(c.rect, Qt::AlignCenter, QString::number(c.day));
    });

    auto *grid = new QGridLayout(this);
    grid->addWidget(cal2, 0, 0, 1, 2);
    grid->addWidget(Label2, 1, 0);
    grid->addWidget(cbFG, 1, 1);
    grid->addWidget(Label3, 2, 0);
    grid->addWidget(cbBG, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    grid->addLayout(buttons, 3, 0, 1, 2);
    grid->setRowStretch(0, 1);
}

void TfrmColor::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    FormShow();
    // A fixed size, once the label has its caption for this use; in the
    // middle of the screen, not over its caller.
    setFixedSize(sizeHint().expandedTo(QSize(258, 255)));
    CentreOnScreen(*this);
}

void TfrmColor::FormShow()
{
    if (monthMode) {
        cbFG->hide();
        Label2->setText(u"Set color of current month"_s);
        Label2->setBuddy(cbBG);
    }
    cbFG2Click();
}

void TfrmColor::cbFG2Click()
{
    if (monthMode) {
        cal2->colorBack = ToQColor(cbBG->selected());
        cal2->colorHeaderBack = cal2->colorBack;
    }
    cal2->update();
}

}  // namespace morvane
