#pragma once
// The one way the program tells the person something in a message box. The
// windows get a Prompts from their owner; tests hand them a ScriptedPrompts
// and read back what was shown.

#include <QList>
#include <QString>

class QWidget;

namespace morvane {

class Prompts {
public:
    virtual ~Prompts() = default;
    // Warning beep, then an error box with one OK button.
    virtual void ErrorBox(const QString &text) = 0;
    // An information box with one OK button.
    virtual void InfoBox(const QString &text) = 0;
};

// Real message boxes, modal over the given window.
class WidgetPrompts final : public Prompts {
public:
    explicit WidgetPrompts(QWidget *parent = nullptr) : parent_(parent) {}
    void setParent(QWidget *parent) { parent_ = parent; }
    void ErrorBox(const QString &text) override;
    void InfoBox(const QString &text) override;

private:
    QWidget *parent_;
};

// Records every box instead of showing it.
class ScriptedPrompts final : public Prompts {
public:
    enum class Kind { Error, Info };
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

    QList<Shown> shown;
    int beeps = 0;
};

}  // namespace morvane
