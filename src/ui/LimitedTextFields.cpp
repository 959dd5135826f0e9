#include "LimitedTextFields.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace morvane {

namespace {

// What a key press would type: the number of characters it inserts, or 0
// for keys that edit, move or run a command.
int typedLength(const QKeyEvent *e, bool multiLine)
{
    if (multiLine && (e->matches(QKeySequence::InsertParagraphSeparator)
                      || e->matches(QKeySequence::InsertLineSeparator)))
        return 1;
    if (e->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return 0;
    const QString text = e->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return 0;
    return int(text.size());
}

// Whether a key press or an input method's text must be refused: it would
// type more than there is room for.
bool refused(QKeyEvent *e, int room, bool multiLine)
{
    const int typed = typedLength(e, multiLine);
    if (typed == 0 || typed <= room)
        return false;
    e->accept();
    return true;
}

bool refused(QInputMethodEvent *e, int room)
{
    if (e->commitString().size() <= room)
        return false;
    e->accept();
    return true;
}

// A pasted text's length as a text field keeps it: a CR LF pair, or a lone
// CR, is one line break.
int pastedLength(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return int(text.size());
}

}  // namespace

// ---------------------------------------------------------------------------

LimitedPlainTextEdit::LimitedPlainTextEdit(int limit, QWidget *parent) : QPlainTextEdit(parent), ceiling_(limit) {}

void LimitedPlainTextEdit::setGivenText(const QString &text)
{
    setPlainText(text);
    ceiling_.given(toPlainText().size());
}

int LimitedPlainTextEdit::room() const
{
    return ceiling_.room(document()->characterCount() - 1, textCursor().selectedText().size());
}

void LimitedPlainTextEdit::keyPressEvent(QKeyEvent *e)
{
    if (isReadOnly() || !refused(e, room(), true))
        QPlainTextEdit::keyPressEvent(e);
}

void LimitedPlainTextEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!refused(e, room()))
        QPlainTextEdit::inputMethodEvent(e);
}

void LimitedPlainTextEdit::insertFromMimeData(const QMimeData *source)
{
    // Every paste and drop comes here.
    if (source && source->hasText()) {
        const int length = pastedLength(source->text());
        const int fits = room();
        if (length > fits) {
            if (onPasteRefused)
                onPasteRefused(length, fits);
            return;
        }
    }
    QPlainTextEdit::insertFromMimeData(source);
}

// ---------------------------------------------------------------------------

LimitedLineEdit::LimitedLineEdit(int limit, QWidget *parent) : QLineEdit(parent), ceiling_(limit)
{
    // The person's edits come with textEdited just before textChanged; any
    // other change is the program's, whose text is never cut.
    connect(this, &QLineEdit::textEdited, this, [this] { editing_ = true; });
    connect(this, &QLineEdit::textChanged, this, [this](const QString &text) {
        if (!editing_)
            ceiling_.given(text.size());
        editing_ = false;
    });
}

int LimitedLineEdit::room() const { return ceiling_.room(text().size(), selectedText().size()); }

bool LimitedLineEdit::fits(const QString &text)
{
    const int length = pastedLength(text);
    const int fits = room();
    if (length <= fits)
        return true;
    if (onPasteRefused)
        onPasteRefused(length, fits);
    return false;
}

void LimitedLineEdit::pasteChecked(QClipboard::Mode mode)
{
    if (isReadOnly() || !fits(QGuiApplication::clipboard()->text(mode)))
        return;
    if (mode == QClipboard::Clipboard) {
        paste();
    } else {
        insert(QGuiApplication::clipboard()->text(mode));
    }
}

void LimitedLineEdit::keyPressEvent(QKeyEvent *e)
{
    if (!isReadOnly() && e->matches(QKeySequence::Paste)) {
        pasteChecked(QClipboard::Clipboard);
        e->accept();
        return;
    }
    if (isReadOnly() || !refused(e, room(), false))
        QLineEdit::keyPressEvent(e);
}

void LimitedLineEdit::inputMethodEvent(QInputMethodEvent *e)
{
    if (!refused(e, room()))
        QLineEdit::inputMethodEvent(e);
}

void LimitedLineEdit::dropEvent(QDropEvent *e)
{
    // Text moved within the field makes it no longer.
    if (e->source() != this && e->mimeData()->hasText() && !fits(e->mimeData()->text())) {
        e->ignore();
        return;
    }
    QLineEdit::dropEvent(e);
}

void LimitedLineEdit::mouseReleaseEvent(QMouseEvent *e)
{
    // The middle button pastes the selection where the system has one.
    if (e->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection() && !isReadOnly()) {
        if (!fits(QGuiApplication::clipboard()->text(QClipboard::Selection))) {
            e->accept();
            return;
        }
    }
    QLineEdit::mouseReleaseEvent(e);
}

void LimitedLineEdit::contextMenuEvent(QContextMenuEvent *e)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The menu's Paste goes through the same check as Ctrl+V. Its item has
    // no name of its own; its caption is QLineEdit's, with the shortcut after
    // a tab.
    const QString caption = QLineEdit::tr("&Paste");
    for (QAction *item : menu->actions()) {
        if (item->text() == caption || item->text().startsWith(caption + u'\t')) {
            item->disconnect(this);
            connect(item, &QAction::triggered, this, [this] { pasteChecked(QClipboard::Clipboard); });
        }
    }
    menu->popup(e->globalPos());
}

}  // namespace morvane
