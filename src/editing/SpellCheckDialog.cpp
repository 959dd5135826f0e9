#include "SpellCheckDialog.h"

#include "ModalRunner.h"
#include "Prompts.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

namespace morvane {

TfrmSpellCheck::TfrmSpellCheck(QWidget *parent) : QDialog(parent)
{
    setObjectName(u"frmSpellCheck"_s);
    setWindowTitle(u"Spell Check"_s);

    auto *notFound = new QLabel(u"Not in dictionary:"_s, this);
    lblWord = new QLabel(this);
    lblWord->setObjectName(u"lblWord"_s);
    lblWord->setTextFormat(Qt::PlainText);
    QFont bold = lblWord->font();
    bold.setBold(true);
    lblWord->setFont(bold);

    lblContext = new QLabel(this);
    lblContext->setObjectName(u"lblContext"_s);
    lblContext->setTextFormat(Qt::RichText);
    lblContext->setWordWrap(true);
    lblContext->setFrameShape(QFrame::StyledPanel);
    lblContext->setFrameShadow(QFrame::Sunken);
    lblContext->setMargin(6);
    lblContext->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblContext->setMinimumHeight(lblContext->fontMetrics().lineSpacing() * 3 + 12);
    lblContext->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Minimum);

    edChange = new QLineEdit(this);
    edChange->setObjectName(u"edChange"_s);
    auto *changeTo = new QLabel(u"&Change to:"_s, this);
    changeTo->setBuddy(edChange);

    lbSuggestions = new QListWidget(this);
    lbSuggestions->setObjectName(u"lbSuggestions"_s);
    auto *suggestionsLabel = new QLabel(u"&Suggestions:"_s, this);
    suggestionsLabel->setBuddy(lbSuggestions);

    btReplace = new QPushButton(u"&Replace"_s, this);
    btReplace->setDefault(true);
    btIgnore = new QPushButton(u"&Ignore"_s, this);
    btAdd = new QPushButton(u"&Add"_s, this);
    btAdd->setToolTip(u"Add the word to your dictionary"_s);
    btCancel = new QPushButton(u"Cancel"_s, this);
    for (QPushButton *b : {btIgnore, btAdd, btCancel})
        b->setAutoDefault(false);

    connect(btReplace, &QPushButton::clicked, this, [this] { choose(Choice::Replace); });
    connect(btIgnore, &QPushButton::clicked, this, [this] { choose(Choice::Ignore); });
    connect(btAdd, &QPushButton::clicked, this, [this] { choose(Choice::Add); });
    connect(btCancel, &QPushButton::clicked, this, &TfrmSpellCheck::reject);
    // Picking a suggestion, by mouse or by the arrow keys, makes it the
    // correction; a double click also applies it.
    connect(lbSuggestions, &QListWidget::currentTextChanged, this, [this](const QString &text) {
        if (!text.isEmpty())
            edChange->setText(text);
    });
    connect(lbSuggestions, &QListWidget::itemClicked, this,
            [this](QListWidgetItem *item) { edChange->setText(item->text()); });
    connect(lbSuggestions, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *item) {
        edChange->setText(item->text());
        choose(Choice::Replace);
    });

    auto *top = new QHBoxLayout;
    top->addWidget(notFound);
    top->addWidget(lblWord, 1);

    auto *grid = new QGridLayout;
    grid->addWidget(changeTo, 0, 0);
    grid->addWidget(edChange, 0, 1);
    grid->addWidget(suggestionsLabel, 1, 0, Qt::AlignTop);
    grid->addWidget(lbSuggestions, 1, 1);

    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btReplace);
    buttons->addWidget(btIgnore);
    buttons->addWidget(btAdd);
    buttons->addStretch();
    buttons->addWidget(btCancel);

    auto *lower = new QHBoxLayout;
    lower->addLayout(grid, 1);
    lower->addLayout(buttons);

    auto *l = new QVBoxLayout(this);
    l->addLayout(top);
    l->addWidget(lblContext);
    l->addLayout(lower, 1);
    resize(420, 320);
}

void TfrmSpellCheck::setWord(const SentenceContext &context, const QStringList &suggestions)
{
    word_ = context.word;
    choice = Choice::Stop;
    lblWord->setText(word_);
    lblContext->setText(context.before.toHtmlEscaped() + u"<b><font color=\"#c00000\">"_s
                        + context.word.toHtmlEscaped() + u"</font></b>"_s + context.after.toHtmlEscaped());
    lbSuggestions->clear();
    lbSuggestions->addItems(suggestions);
    if (suggestions.isEmpty()) {
        edChange->setText(word_);
    } else {
        lbSuggestions->setCurrentRow(0);
        edChange->setText(suggestions.first());
    }
    edChange->selectAll();
    edChange->setFocus();
}

QString TfrmSpellCheck::replacement() const { return edChange->text(); }

void TfrmSpellCheck::choose(Choice c)
{
    choice = c;
    accept();
}

void TfrmSpellCheck::reject()
{
    choice = Choice::Stop;
    QDialog::reject();
}

namespace {

void selectInField(QPlainTextEdit &field, WordSpan span)
{
    QTextCursor c = field.textCursor();
    c.setPosition(int(span.start));
    c.setPosition(int(span.end()), QTextCursor::KeepAnchor);
    field.setTextCursor(c);
    field.ensureCursorVisible();
}

}  // namespace

bool CheckSpelling(QPlainTextEdit &field, SpellChecker &checker, Prompts &prompts, ModalRunner &runner,
                   QWidget *parent)
{
    if (!checker.isLoaded()) {
        prompts.ErrorBox(checker.loadResult().message);
        return false;
    }
    checker.clearIgnored();
    // One dialog for the whole check, so it stays where the person put it.
    TfrmSpellCheck dlg(parent);
    qsizetype from = 0;
    for (;;) {
        const QString text = field.toPlainText();
        const std::optional<WordSpan> found = checker.nextMisspelt(text, from);
        if (!found)
            break;
        const QString word = text.sliced(found->start, found->length);
        selectInField(field, *found);
        dlg.setWord(SentenceAround(text, *found), checker.suggestions(word));
        const int result = runner.showModal(dlg);
        switch (result == QDialog::Accepted ? dlg.choice : TfrmSpellCheck::Choice::Stop) {
        case TfrmSpellCheck::Choice::Stop:
            return false;
        case TfrmSpellCheck::Choice::Replace: {
            const QString replacement = dlg.replacement();
            QTextCursor c = field.textCursor();
            c.setPosition(int(found->start));
            c.setPosition(int(found->end()), QTextCursor::KeepAnchor);
            c.insertText(replacement);  // one step the field's undo can take back
            field.setTextCursor(c);
            from = found->start + replacement.size();
            break;
        }
        case TfrmSpellCheck::Choice::Ignore:
            checker.ignore(word);
            from = found->end();
            break;
        case TfrmSpellCheck::Choice::Add:
            // After a No, `from` stays and the same word comes round again.
            if (!prompts.YesNo(u"Add \"%1\" to your dictionary?"_s.arg(word)))
                break;
            if (FileResult r = checker.addToDictionary(word); !r) {
                prompts.ErrorBox(r.message);
                checker.ignore(word);  // not asked about again in this check
            }
            from = found->end();
            break;
        }
    }
    QTextCursor c = field.textCursor();
    c.clearSelection();
    field.setTextCursor(c);
    prompts.InfoBox(u"The spelling check is complete."_s);
    return true;
}

}  // namespace morvane
