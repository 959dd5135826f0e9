#pragma once
// Text fields whose limit holds for what the person types or pastes, never
// for text the program puts in: a task's stored notes or category, however
// long, are shown and kept whole. A paste that does not fit is refused as a
// whole and reported through onPasteRefused (nothing is cut silently); a
// typed character that does not fit is not taken, as in any limited field.

#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <algorithm>
#include <functional>

namespace morvane {

// How far typing and pasting may take a field: its limit, or the length of
// the text the program last gave it when that is longer.
class TextCeiling {
public:
    explicit TextCeiling(int limit) : limit_(limit), ceiling_(limit) {}
    int limit() const { return limit_; }
    int ceiling() const { return ceiling_; }
    void given(qsizetype length) { ceiling_ = std::max<qsizetype>(limit_, length); }
    // Characters that may still go in where `selected` of `length` are
    // replaced.
    int room(qsizetype length, qsizetype selected) const
    {
        return int(std::max<qsizetype>(0, ceiling_ - (length - selected)));
    }

private:
    int limit_;
    int ceiling_;
};

// Told when a paste (or a drop) of `pasted` characters was refused because
// only `room` more fit.
using PasteRefused = std::function<void(int pasted, int room)>;

// A multi-line notes field.
class LimitedPlainTextEdit : public QPlainTextEdit {
    Q_OBJECT
public:
    LimitedPlainTextEdit(int limit, QWidget *parent = nullptr);

    // The program's text: shown whole, and typing may take the field as far
    // as its length when it is over the limit.
    void setGivenText(const QString &text);
    int limit() const { return ceiling_.limit(); }
    PasteRefused onPasteRefused;

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void insertFromMimeData(const QMimeData *source) override;

private:
    int room() const;
    TextCeiling ceiling_;
};

// A one-line field (the editable part of a combo box). Text the program
// sets (setText, or a combo box choosing an item) is never cut.
class LimitedLineEdit : public QLineEdit {
    Q_OBJECT
public:
    LimitedLineEdit(int limit, QWidget *parent = nullptr);
    int limit() const { return ceiling_.limit(); }
    PasteRefused onPasteRefused;

    // Pastes the clipboard (or the selection) when it fits; otherwise says so.
    void pasteChecked(QClipboard::Mode mode);

protected:
    void keyPressEvent(QKeyEvent *e) override;
    void inputMethodEvent(QInputMethodEvent *e) override;
    void dropEvent(QDropEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void contextMenuEvent(QContextMenuEvent *e) override;

private:
    int room() const;
    bool fits(const QString &text);
    TextCeiling ceiling_;
    bool editing_ = false;  // a change the person made, not the program
};

}  // namespace morvane
