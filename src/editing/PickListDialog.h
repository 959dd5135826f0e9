#pragma once
// TfrmListBox: edits a list of short texts (the category pick list), kept in
// alphabetical order ignoring case. The caller fills it and reads it back.

#include "Prompts.h"

#include <QDialog>

class QListWidget;
class QPushButton;

namespace morvane {

class TfrmListBox : public QDialog {
    Q_OBJECT
public:
    explicit TfrmListBox(Prompts &prompts, QWidget *parent = nullptr);

    void setItems(const QStringList &items);
    QStringList items() const;
    void selectItem(const QString &text);
    QString currentItem() const;

    void btAddClick();
    void btDelClick();
    void btClearClick();
    // Cancel (the button or Escape); the close box is a plain Cancel.
    void btCancelClick();

    QListWidget *ListBox1 = nullptr;
    QPushButton *btAdd = nullptr, *btDel = nullptr, *btClear = nullptr, *btOK = nullptr, *btCancel = nullptr;
    bool itemAdded = false;

protected:
    void showEvent(QShowEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void sortItems();
    Prompts &prompts_;
};

}  // namespace morvane
