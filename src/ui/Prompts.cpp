#include "Prompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <utility>

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

int WidgetPrompts::Ask(const QString &text, const QStringList &buttons, int defaultButton, int escape)
{
    QMessageBox box(QMessageBox::Question, QApplication::applicationDisplayName(), text,
                    QMessageBox::NoButton, parent_);
    QList<QAbstractButton *> added;
    for (const QString &caption : buttons)
        added.append(box.addButton(caption, QMessageBox::ActionRole));
    if (defaultButton >= 0 && defaultButton < added.size())
        box.setDefaultButton(qobject_cast<QPushButton *>(added[defaultButton]));
    if (escape >= 0 && escape < added.size())
        box.setEscapeButton(added[escape]);
    box.exec();
    const int i = int(added.indexOf(box.clickedButton()));
    return i < 0 ? escape : i;
}

std::optional<QString> WidgetPrompts::InputText(const QString &title, const QString &prompt, const QString &initial)
{
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, title, prompt, QLineEdit::Normal, initial, &ok);
    return ok ? std::optional<QString>(text) : std::nullopt;
}

std::optional<int> WidgetPrompts::InputNumber(const QString &title, const QString &prompt, int initial, int min,
                                              int max)
{
    bool ok = false;
    const int n = QInputDialog::getInt(parent_, title, prompt, initial, min, max, 1, &ok);
    return ok ? std::optional<int>(n) : std::nullopt;
}

std::optional<QFont> WidgetPrompts::ChooseFont(const QFont &initial, const QString &title)
{
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parent_, title);
    return ok ? std::optional<QFont>(f) : std::nullopt;
}

std::optional<QColor> WidgetPrompts::ChooseColor(const QColor &initial, const QString &title)
{
    const QColor c = QColorDialog::getColor(initial, parent_, title);
    return c.isValid() ? std::optional<QColor>(c) : std::nullopt;
}

QString WidgetPrompts::OpenFileName(const QString &title, const QString &start, const QString &filter)
{
    return QFileDialog::getOpenFileName(parent_, title, start, filter);
}

QString WidgetPrompts::SaveFileName(const QString &title, const QString &start, const QString &filter,
                                    const QString &suffix)
{
    QFileDialog dialog(parent_, title, start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);  // the dialog then also asks before replacing the file it names
    dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString WidgetPrompts::FolderName(const QString &title, const QString &start)
{
    return QFileDialog::getExistingDirectory(parent_, title, start);
}

void ScriptedPrompts::open(Kind kind, const QString &text)
{
    shown.append({kind, text});
    if (!whileOpen)
        return;
    const std::function<void()> meanwhile = std::exchange(whileOpen, nullptr);
    QDialog box;
    box.setWindowTitle(text);
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    meanwhile();
}

}  // namespace morvane
