#include "Prompts.h"

#include <QApplication>
#include <QMessageBox>

namespace morvane {

void WidgetPrompts::ErrorBox(const QString &text)
{
    QApplication::beep();
    QMessageBox box(QMessageBox::Critical, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

void WidgetPrompts::InfoBox(const QString &text)
{
    QMessageBox box(QMessageBox::Information, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent_);
    box.exec();
}

}  // namespace morvane
