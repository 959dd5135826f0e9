#pragma once
// TfrmSpellCheck: shows one misspelt word of a notes field in its sentence
// and asks what to do with it. CheckSpelling walks a whole field through it.

#include "SpellChecker.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

namespace morvane {

class ModalRunner;
class Prompts;

class TfrmSpellCheck : public QDialog {
    Q_OBJECT
public:
    // What the person chose; read after the dialog has closed. Closing the
    // window or Cancel is Stop.
    enum class Choice { Replace, Ignore, Add, Stop };

    explicit TfrmSpellCheck(QWidget *parent = nullptr);

    // Shows the word in its sentence with the suggested corrections; the
    // first suggestion (or the word itself when there is none) fills
    // "Change to". Resets the choice to Stop.
    void setWord(const SentenceContext &context, const QStringList &suggestions);
    QString word() const { return word_; }
    // The text "Change to" holds: what Replace puts in place of the word.
    QString replacement() const;

    void reject() override;

    QLabel *lblWord = nullptr;     // the misspelt word
    QLabel *lblContext = nullptr;  // its sentence, the word in bold
    QLineEdit *edChange = nullptr;
    QListWidget *lbSuggestions = nullptr;
    QPushButton *btReplace = nullptr, *btIgnore = nullptr, *btAdd = nullptr, *btCancel = nullptr;
    Choice choice = Choice::Stop;

private:
    void choose(Choice c);
    QString word_;
};

// Checks the spelling of the field's text from its start. Each misspelt word
// is selected in the field and shown in a TfrmSpellCheck: Replace puts the
// "Change to" text in its place (the rest of the text stays as it was),
// Ignore passes over that word for the rest of this check, Add asks and then
// adds it to the user dictionary, Cancel or closing the dialog stops. A check
// that reaches the end says so. Returns true when it reached the end, false
// when it was stopped or the dictionary could not be loaded (which is
// reported).
bool CheckSpelling(QPlainTextEdit &field, SpellChecker &checker, Prompts &prompts, ModalRunner &runner,
                   QWidget *parent = nullptr);

}  // namespace morvane
