#include "FindDialog.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

FindDialog::FindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"FindDialog1"_s);
    setWindowTitle(u"Find"_s);
    setModal(false);
    auto *label = new QLabel(u"Fi&nd what:"_s, this);
    edText = new QLineEdit(this);
    edText->setObjectName(u"edText"_s);
    label->setBuddy(edText);
    cbWholeWord = new QCheckBox(u"Match &whole word only"_s, this);
    cbMatchCase = new QCheckBox(u"Match &case"_s, this);
    auto *direction = new QGroupBox(u"Direction"_s, this);
    rbUp = new QRadioButton(u"&Up"_s, direction);
    rbDown = new QRadioButton(u"&Down"_s, direction);
    rbDown->setChecked(true);
    auto *dl = new QHBoxLayout(direction);
    dl->addWidget(rbUp);
    dl->addWidget(rbDown);
    btFindNext = new QPushButton(u"&Find Next"_s, this);
    btFindNext->setObjectName(u"btFindNext"_s);
    btFindNext->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);

    auto *left = new QVBoxLayout;
    auto *row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(edText, 1);
    left->addLayout(row);
    auto *options = new QHBoxLayout;
    auto *checks = new QVBoxLayout;
    checks->addWidget(cbWholeWord);
    checks->addWidget(cbMatchCase);
    options->addLayout(checks);
    options->addWidget(direction);
    left->addLayout(options);
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btFindNext);
    buttons->addWidget(btCancel);
    buttons->addStretch();
    auto *l = new QHBoxLayout(this);
    l->addLayout(left, 1);
    l->addLayout(buttons);

    connect(btFindNext, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(btCancel, &QPushButton::clicked, this, &QDialog::close);
    // Nothing to find in an empty text: the button waits for one.
    btFindNext->setEnabled(false);
    connect(edText, &QLineEdit::textChanged, this, [this](const QString &t) { btFindNext->setEnabled(!t.isEmpty()); });
}

FindRequest FindDialog::request() const
{
    return {edText->text(), rbDown->isChecked(), cbMatchCase->isChecked(), cbWholeWord->isChecked()};
}

void FindDialog::hideEvent(QHideEvent *e)
{
    QDialog::hideEvent(e);
    emit closed();
}

}  // namespace morvane
