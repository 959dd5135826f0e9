#pragma once
// The one way the program tells the person something in a message box. The
// windows get a Prompts from their owner; tests hand them a ScriptedPrompts
// and read back what was shown.

#include <QColor>
#include <QFont>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QWidget;

namespace morvane {

class Prompts {
public:
    virtual ~Prompts() = default;
    // Warning beep, then an error box with one OK button.
    virtual void ErrorBox(const QString &text) = 0;
    // An information box with one OK button.
    virtual void InfoBox(const QString &text) = 0;
    // A question with the given buttons; returns the index of the button
    // pressed, or `escape` when the box was closed without one.
    virtual int Ask(const QString &text, const QStringList &buttons, int defaultButton, int escape) = 0;
    // A line of text; nothing when cancelled.
    virtual std::optional<QString> InputText(const QString &title, const QString &prompt, const QString &initial) = 0;
    // A whole number from `min` to `max`; nothing when cancelled.
    virtual std::optional<int> InputNumber(const QString &title, const QString &prompt, int initial, int min,
                                           int max) = 0;
    // The common dialogs; nothing when cancelled.
    virtual std::optional<QFont> ChooseFont(const QFont &initial, const QString &title) = 0;
    virtual std::optional<QColor> ChooseColor(const QColor &initial, const QString &title) = 0;
    virtual QString OpenFileName(const QString &title, const QString &start, const QString &filter) = 0;
    // A file to write: `start` proposes the folder and name, `suffix` (no
    // dot) is added to a name typed without one. An existing file is only
    // chosen after the person agreed to replace it. Empty when cancelled.
    virtual QString SaveFileName(const QString &title, const QString &start, const QString &filter,
                                 const QString &suffix) = 0;
    // A folder; empty when cancelled.
    virtual QString FolderName(const QString &title, const QString &start) = 0;
    // Yes/No question; true for Yes. Enter answers Yes, or No where Yes
    // would do what cannot be taken back.
    bool YesNo(const QString &text, bool noByDefault = false)
    {
        return Ask(text, {QStringLiteral("&Yes"), QStringLiteral("&No")}, noByDefault ? 1 : 0, 1) == 0;
    }
};

// Real message boxes, modal over the given window.
class WidgetPrompts final : public Prompts {
public:
    explicit WidgetPrompts(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }
    void ErrorBox(const QString &text) override;
    void InfoBox(const QString &text) override;
    int Ask(const QString &text, const QStringList &buttons, int defaultButton, int escape) override;
    std::optional<QString> InputText(const QString &title, const QString &prompt, const QString &initial) override;
    std::optional<int> InputNumber(const QString &title, const QString &prompt, int initial, int min,
                                   int max) override;
    std::optional<QFont> ChooseFont(const QFont &initial, const QString &title) override;
    std::optional<QColor> ChooseColor(const QColor &initial, const QString &title) override;
    QString OpenFileName(const QString &title, const QString &start, const QString &filter) override;
    QString SaveFileName(const QString &title, const QString &start, const QString &filter,
                         const QString &suffix) override;
    QString FolderName(const QString &title, const QString &start) override;

private:
    QWidget *parent_;
};

// Records every box instead of showing it.
class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Error, Info, Question, Dialog };
    struct Shown {
        Kind kind;
        QString text;
    };

    void ErrorBox(const QString &text) override
    {
        ++beeps;
        open(Kind::Error, text);
    }
    void InfoBox(const QString &text) override { open(Kind::Info, text); }
    // Answers queued questions in order; with none queued, the escape answer.
    int Ask(const QString &text, const QStringList &buttons, int defaultButton, int escape) override
    {
        asked.append(buttons);
        defaults.append(defaultButton);
        open(Kind::Question, text);
        return answers.isEmpty() ? escape : answers.takeFirst();
    }

    std::optional<QString> InputText(const QString &title, const QString &prompt, const QString &) override
    {
        shown.append({Kind::Dialog, title + u'|' + prompt});
        return texts.isEmpty() ? std::nullopt : std::optional<QString>(texts.takeFirst());
    }
    // Answers from `numbers`; none left: cancelled. Records
    // "title|prompt|initial|min|max".
    std::optional<int> InputNumber(const QString &title, const QString &prompt, int initial, int min,
                                   int max) override
    {
        shown.append({Kind::Dialog, QStringLiteral("%1|%2|%3|%4|%5").arg(title, prompt).arg(initial).arg(min).arg(max)});
        return numbers.isEmpty() ? std::nullopt : std::optional<int>(numbers.takeFirst());
    }
    std::optional<QFont> ChooseFont(const QFont &initial, const QString &title) override
    {
        shown.append({Kind::Dialog, title});
        fontsOffered.append(initial);
        return fonts.isEmpty() ? std::nullopt : std::optional<QFont>(fonts.takeFirst());
    }
    std::optional<QColor> ChooseColor(const QColor &, const QString &title) override
    {
        shown.append({Kind::Dialog, title});
        return colors.isEmpty() ? std::nullopt : std::optional<QColor>(colors.takeFirst());
    }
    QString OpenFileName(const QString &title, const QString &start, const QString &filter) override
    {
        shown.append({Kind::Dialog, title + u'|' + start + u'|' + filter});
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString SaveFileName(const QString &title, const QString &start, const QString &filter,
                         const QString &suffix) override
    {
        shown.append({Kind::Dialog, title + u'|' + start + u'|' + filter + u'|' + suffix});
        return files.isEmpty() ? QString() : files.takeFirst();
    }
    QString FolderName(const QString &title, const QString &start) override
    {
        shown.append({Kind::Dialog, title + u'|' + start});
        return files.isEmpty() ? QString() : files.takeFirst();
    }

    // The texts of the error boxes shown, in order.
    QStringList errors() const
    {
        QStringList out;
        for (const Shown &s : shown)
            if (s.kind == Kind::Error)
                out << s.text;
        return out;
    }

    QList<Shown> shown;
    QList<QStringList> asked;  // the buttons of every question
    QList<int> defaults;       // and the button Enter presses
    QList<int> answers;
    QList<QFont> fonts;        // answers of the font dialog; none left: cancelled
    QList<QFont> fontsOffered;
    QList<QColor> colors;
    QStringList files;
    QStringList texts;         // answers of text inputs; none left: cancelled
    QList<int> numbers;        // answers of number inputs; none left: cancelled
    int beeps = 0;
    // Runs once, while the next message box is open: what a timer or the
    // person does meanwhile. The box is stood in for by an application-modal
    // window, so the other windows are blocked as a real box blocks them.
    std::function<void()> whileOpen;

private:
    void open(Kind kind, const QString &text);
};

}  // namespace morvane
