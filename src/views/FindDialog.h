#pragma once
// The find dialog: modeless, with the find text, the direction, match case
// and whole word, and Find Next.

#include "Find.h"

#include <QDialog>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace morvane {

class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget *parent = nullptr);

    FindRequest request() const;

    QLineEdit *edText = nullptr;
    QRadioButton *rbUp = nullptr, *rbDown = nullptr;
    QCheckBox *cbMatchCase = nullptr, *cbWholeWord = nullptr;
    QPushButton *btFindNext = nullptr, *btCancel = nullptr;

signals:
    void findNext();
    void closed();

protected:
    void hideEvent(QHideEvent *e) override;
};

}  // namespace morvane
