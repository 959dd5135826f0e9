#pragma once
// The one way the program tells the person something in a message box. The
// windows get a Prompts from their owner; tests hand them a ScriptedPrompts
// and read back what was shown.

#include <QList>
#include <QString>
#include <QStringList>

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
    // Yes/No question; true for Yes.
    bool YesNo(const QString &text) { return Ask(text, {QStringLiteral("&Yes"), QStringLiteral("&No")}, 0, 1) == 0; }
};

// Real message boxes, modal over the given window.
class WidgetPrompts final : public Prompts {
public:
    explicit WidgetPrompts(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }
    void ErrorBox(const QString &text) override;
    void InfoBox(const QString &text) override;
    int Ask(const QString &text, const QStringList &buttons, int defaultButton, int escape) override;

private:
    QWidget *parent_;
};

// Records every box instead of showing it.
class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Error, Info, Question };
    struct Shown {
        Kind kind;
        QString text;
    };

    void ErrorBox(const QString &text) override
    {
        ++beeps;
        shown.append({Kind::Error, text});
    }
    void InfoBox(const QString &text) override { shown.append({Kind::Info, text}); }
    // Answers queued questions in order; with none queued, the escape answer.
    int Ask(const QString &text, const QStringList &buttons, int, int escape) override
    {
        shown.append({Kind::Question, text});
        asked.append(buttons);
        return answers.isEmpty() ? escape : answers.takeFirst();
    }

    QList<Shown> shown;
    QList<QStringList> asked;  // the buttons of every question
    QList<int> answers;
    int beeps = 0;
};

}  // namespace morvane
