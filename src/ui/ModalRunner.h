#pragma once
// Every dialog is shown through a ModalRunner. The program's runner runs the
// dialog's own loop; tests install a responder that fills in the dialog and
// answers it, so that whole commands run without a person.

#include "ScreenPlacement.h"

#include <QDialog>
#include <functional>

namespace morvane {

class ModalRunner {
public:
    virtual ~ModalRunner() = default;
    // QDialog::Accepted or QDialog::Rejected.
    virtual int showModal(QDialog &dialog) = 0;
};

class ExecRunner final : public ModalRunner {
public:
    // Every dialog opens inside the screen.
    int showModal(QDialog &dialog) override
    {
        OnScreenGuard guard;
        dialog.installEventFilter(&guard);
        const int result = dialog.exec();
        dialog.removeEventFilter(&guard);
        return result;
    }
};

class ScriptedRunner final : public ModalRunner {
public:
    using Responder = std::function<int(QDialog &)>;
    // Responders answer the dialogs in the order they are shown; with none
    // left a dialog is cancelled.
    QList<Responder> responders;
    QStringList shownTitles;

    int showModal(QDialog &dialog) override
    {
        shownTitles.append(dialog.windowTitle());
        if (responders.isEmpty())
            return QDialog::Rejected;
        return responders.takeFirst()(dialog);
    }
};

}  // namespace morvane
