#include "PickListDialog.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmListBox::TfrmListBox(Prompts &prompts, QWidget *parent) : QDialog(parent), prompts_(prompts)
{
    setObjectName(u"frmListBox"_s);
    setWindowTitle(u"Edit Combo Box"_s);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(u"ListBox1"_s);
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    btAdd = new QPushButton(u"&Add"_s, this);
    btDel = new QPushButton(u"&Delete"_s, this);
    btClear = new QPushButton(u"&Clear"_s, this);
    btOK = new QPushButton(u"OK"_s, this);
    btOK->setDefault(true);
    btCancel = new QPushButton(u"Cancel"_s, this);
    for (QPushButton *b : {btAdd, btDel, btClear})
        b->setAutoDefault(false);
    connect(btAdd, &QPushButton::clicked, this, [this] { btAddClick(); });
    connect(btDel, &QPushButton::clicked, this, [this] { btDelClick(); });
    connect(btClear, &QPushButton::clicked, this, [this] { btClearClick(); });
    connect(btOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(btCancel, &QPushButton::clicked, this, [this] { btCancelClick(); });
    connect(ListBox1, &QListWidget::itemDoubleClicked, this, &QDialog::accept);

    auto *buttons = new QVBoxLayout;
    for (QPushButton *b : {btAdd, btDel, btClear})
        buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(btOK);
    buttons->addWidget(btCancel);
    auto *l = new QHBoxLayout(this);
    l->addWidget(ListBox1, 1);
    l->addLayout(buttons);
    resize(340, 300);
}

void TfrmListBox::showEvent(QShowEvent *e)
{
    QDialog::showEvent(e);
    itemAdded = false;
}

void TfrmListBox::sortItems()
{
    QStringList all = items();
    std::stable_sort(all.begin(), all.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    ListBox1->clear();
    ListBox1->addItems(all);
}

void TfrmListBox::setItems(const QStringList &list)
{
    ListBox1->clear();
    ListBox1->addItems(list);
    sortItems();
}

QStringList TfrmListBox::items() const
{
    QStringList out;
    for (int i = 0; i < ListBox1->count(); ++i)
        out << ListBox1->item(i)->text();
    return out;
}

void TfrmListBox::selectItem(const QString &text)
{
    for (int i = 0; i < ListBox1->count(); ++i)
        if (ListBox1->item(i)->text() == text) {
            ListBox1->setCurrentRow(i);
            return;
        }
}

QString TfrmListBox::currentItem() const
{
    const QListWidgetItem *item = ListBox1->currentItem();
    return item ? item->text() : QString();
}

void TfrmListBox::btAddClick()
{
    const auto answer = prompts_.InputText(u"Quick Pick"_s, u"New Quick Pick"_s, QString());
    if (!answer || answer->isEmpty())
        return;
    for (const QString &existing : items())
        if (existing.compare(*answer, Qt::CaseInsensitive) == 0)
            return;
    ListBox1->addItem(*answer);
    sortItems();
    ListBox1->clearSelection();
    selectItem(*answer);
    ListBox1->currentItem()->setSelected(true);
    ListBox1->setFocus();
    itemAdded = true;
}

void TfrmListBox::btDelClick()
{
    if (ListBox1->selectedItems().isEmpty()) {
        prompts_.ErrorBox(u"Select one or more items"_s);
        return;
    }
    for (int i = ListBox1->count() - 1; i >= 0; --i)
        if (ListBox1->item(i)->isSelected())
            delete ListBox1->takeItem(i);
    ListBox1->setFocus();
}

void TfrmListBox::btClearClick()
{
    if (prompts_.YesNo(u"Really clear out list?"_s))
        ListBox1->clear();
}

void TfrmListBox::btCancelClick()
{
    // Once something was added, Cancel keeps every change too. The close box
    // is not Cancel: it goes through reject() and discards the changes.
    if (itemAdded)
        accept();
    else
        reject();
}

void TfrmListBox::keyPressEvent(QKeyEvent *e)
{
    // Escape presses the Cancel button, as in every other dialog with one.
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        btCancel->click();
        return;
    }
    QDialog::keyPressEvent(e);
}

}  // namespace morvane
