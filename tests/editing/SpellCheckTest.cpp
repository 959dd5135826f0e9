#include "ModalRunner.h"
#include "Prompts.h"
#include "SpellCheckDialog.h"
#include "SpellChecker.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

using namespace morvane;
using namespace Qt::StringLiterals;
using Choice = TfrmSpellCheck::Choice;

namespace {

// A program folder holding Debian's en_US dictionary under the program's names.
class DictionaryFolder : public TempFolder {
public:
    explicit DictionaryFolder(bool withAffixes = true)
    {
        QFile::copy(QStringLiteral(MORVANE_HUNSPELL_DIC), file(SpellChecker::kDictionaryName));
        if (withAffixes)
            QFile::copy(QStringLiteral(MORVANE_HUNSPELL_AFF), file(SpellChecker::kAffixName));
    }
};

QStringList words(const QString &text)
{
    QStringList out;
    for (auto w = NextWord(text, 0); w; w = NextWord(text, w->end()))
        out.append(text.sliced(w->start, w->length));
    return out;
}

QStringList misspelt(const SpellChecker &checker, const QString &text)
{
    QStringList out;
    for (auto w = checker.nextMisspelt(text, 0); w; w = checker.nextMisspelt(text, w->end()))
        out.append(text.sliced(w->start, w->length));
    return out;
}

// A responder that presses one of the dialog's buttons, after setting the
// "Change to" text when one is given; it records the word it was shown.
ScriptedRunner::Responder press(Choice choice, QStringList *seen = nullptr, const QString &changeTo = {})
{
    return [=](QDialog &d) {
        auto &dlg = static_cast<TfrmSpellCheck &>(d);
        if (seen)
            seen->append(dlg.word());
        if (!changeTo.isNull())
            dlg.edChange->setText(changeTo);
        switch (choice) {
        case Choice::Replace: dlg.btReplace->click(); break;
        case Choice::Ignore: dlg.btIgnore->click(); break;
        case Choice::Add: dlg.btAdd->click(); break;
        case Choice::Stop: dlg.btCancel->click(); break;
        }
        return dlg.result();
    };
}

bool completed(const ScriptedPrompts &prompts)
{
    return !prompts.shown.isEmpty() && prompts.shown.last().kind == ScriptedPrompts::Kind::Info
           && prompts.shown.last().text == u"The spelling check is complete."_s;
}

}  // namespace

TEST(SpellWords, LettersWithInnerApostrophesAndNoDigits)
{
    EXPECT_EQ(words(u"Don't forget: call Bob at 3pm, not 15:30 (room B52, 2nd floor)."_s),
              QStringList({"Don't", "forget", "call", "Bob", "at", "not", "room", "floor"}));
    // Apostrophes at the edges are quotes, hyphens and slashes divide words,
    // and the typographic apostrophe counts as one.
    EXPECT_EQ(words(u"'quoted' well-known and/or o’clock rock'n'roll"_s),
              QStringList({"quoted", "well", "known", "and", "or", "o’clock", "rock'n'roll"}));
    // Accented letters, precomposed or with a combining accent, stay in the word.
    EXPECT_EQ(words(u"café naïve Zu\u0308rich"_s), QStringList({"café", "naïve", "Zu\u0308rich"}));
    EXPECT_TRUE(words(u"2026-12-09 42 ... !!"_s).isEmpty());

    // A start inside a word goes on to the next word; positions count UTF-16
    // units, as the text field does, so a character outside the BMP counts two.
    const QString text = u"hello world"_s;
    EXPECT_EQ(NextWord(text, 2), (WordSpan{6, 5}));
    EXPECT_EQ(NextWord(text, 5), (WordSpan{6, 5}));
    EXPECT_EQ(NextWord(u"don't stop"_s, 4), (WordSpan{6, 4}));
    EXPECT_EQ(NextWord(u"\U0001F600 café"_s, 0), (WordSpan{3, 4}));
    EXPECT_FALSE(NextWord(text, 11));
}

TEST(SpellWords, TheSentenceAroundAWordAndReplacingIt)
{
    const QString text = u"First line.\n  Buy the speling book today! Then rest."_s;
    const WordSpan span{text.indexOf(u"speling"_s), 7};
    const SentenceContext c = SentenceAround(text, span);
    EXPECT_EQ(c.before, "Buy the ");
    EXPECT_EQ(c.word, "speling");
    EXPECT_EQ(c.after, " book today!");

    // A full stop ends a sentence before a blank and what is not a small
    // letter; "?!" ends it once.
    const QString stops = u"Is it 3.5 kg, e.g. for example.com speling?! Yes."_s;
    const SentenceContext inside = SentenceAround(stops, {stops.indexOf(u"speling"_s), 7});
    EXPECT_EQ(inside.before, "Is it 3.5 kg, e.g. for example.com ");
    EXPECT_EQ(inside.after, "?!");

    // A long sentence is cut at spaces on both sides.
    const QString longText = u"one two three four five six seven eight nine ten speling "
                             "alpha beta gamma delta epsilon zeta eta theta"_s;
    const SentenceContext cut = SentenceAround(longText, {longText.indexOf(u"speling"_s), 7}, 20);
    EXPECT_EQ(cut.before, u"…eight nine ten "_s);
    EXPECT_EQ(cut.after, u" alpha beta gamma…"_s);

    EXPECT_EQ(ReplaceWord(text, span, u"spelling"_s), u"First line.\n  Buy the spelling book today! Then rest."_s);
}

TEST(SpellChecker, AvailableOnlyWithTheDictionary)
{
    TempFolder empty;
    EXPECT_FALSE(SpellChecker::available(empty.path()));
    DictionaryFolder folder;
    EXPECT_TRUE(SpellChecker::available(folder.path()));

    // Without the affix rules there is nothing to check with, and the reason is told.
    DictionaryFolder noAffixes(false);
    EXPECT_TRUE(SpellChecker::available(noAffixes.path()));
    SpellChecker checker(noAffixes.path());
    EXPECT_FALSE(checker.isLoaded());
    EXPECT_TRUE(checker.loadResult().message.contains(u"english.aff"_s)) << checker.loadResult().message.toStdString();
    QPlainTextEdit field(u"Some speling"_s);
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    EXPECT_FALSE(CheckSpelling(field, checker, prompts, runner, nullptr));
    ASSERT_EQ(prompts.shown.size(), 1);
    EXPECT_EQ(prompts.shown[0].kind, ScriptedPrompts::Kind::Error);
    EXPECT_TRUE(runner.shownTitles.isEmpty());
}

TEST(SpellChecker, FindsMisspeltWordsWithTheirPositionsAndSuggestsFixes)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    ASSERT_TRUE(checker.isLoaded()) << checker.loadResult().message.toStdString();

    const QString text = u"Remind Tom: the speling test is on Tuesday, recieve the 3rd form."_s;
    const auto first = checker.nextMisspelt(text, 0);
    ASSERT_TRUE(first);
    EXPECT_EQ(*first, (WordSpan{text.indexOf(u"speling"_s), 7}));
    const auto second = checker.nextMisspelt(text, first->end());
    ASSERT_TRUE(second);
    EXPECT_EQ(*second, (WordSpan{text.indexOf(u"recieve"_s), 7}));
    EXPECT_FALSE(checker.nextMisspelt(text, second->end()));
    // Starting inside a misspelt word passes over it.
    EXPECT_EQ(checker.nextMisspelt(text, first->start + 1), second);

    // Capitals at the start of a sentence and in shouting are fine.
    EXPECT_TRUE(misspelt(checker, u"Spelling matters. SPELLING MATTERS. It's o’clock."_s).isEmpty());
    // Words with digits are never checked.
    EXPECT_TRUE(misspelt(checker, u"Flight BA2490 at 7pm, gate 12b, 2026."_s).isEmpty());

    const QStringList fixes = checker.suggestions(u"speling"_s);
    EXPECT_TRUE(fixes.contains(u"spelling"_s)) << fixes.join(u',').toStdString();
    EXPECT_TRUE(checker.suggestions(u"recieve"_s).contains(u"receive"_s));
    for (const QString &w : {u"speling"_s, u"teh"_s, u"ar"_s, u"sed"_s, u"mispeled"_s})
        EXPECT_LE(checker.suggestions(w).size(), SpellChecker::kMaxSuggestions) << w.toStdString();
}

TEST(SpellChecker, AccentedWordsKeepTheirLetters)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    // The English dictionary holds "cafe" without the accent: the accented
    // word is one word, found whole, and its suggestions come back as text.
    const QString text = u"\U0001F600 Lunch at the café with Zoë"_s;
    const auto found = checker.nextMisspelt(text, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(text.sliced(found->start, found->length), u"café"_s);
    EXPECT_TRUE(checker.suggestions(u"café"_s).contains(u"cafe"_s));
    EXPECT_TRUE(checker.suggestions(u"naïvety"_s).contains(u"naivety"_s));

    ASSERT_TRUE(checker.addToDictionary(u"café"_s).ok);
    EXPECT_TRUE(checker.isCorrect(u"café"_s));
    EXPECT_EQ(readBytes(folder.file(SpellChecker::kUserDictionaryName)), "caf\xc3\xa9\r\n");
    SpellChecker reloaded(folder.path());
    EXPECT_TRUE(reloaded.isCorrect(u"café"_s));
    EXPECT_FALSE(reloaded.isCorrect(u"cafè"_s));
}

TEST(SpellChecker, IgnoredWordsLastUntilCleared)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    const QString text = u"Ask Qwertyx about the Qwertyx file"_s;
    EXPECT_EQ(misspelt(checker, text), QStringList({"Qwertyx", "Qwertyx"}));
    checker.ignore(u"Qwertyx"_s);
    EXPECT_TRUE(misspelt(checker, text).isEmpty());
    EXPECT_FALSE(checker.isCorrect(u"qwertyx"_s));  // only as written
    checker.clearIgnored();
    EXPECT_EQ(misspelt(checker, text).size(), 2);
    EXPECT_FALSE(QFile::exists(folder.file(SpellChecker::kUserDictionaryName)));
}

TEST(SpellChecker, AddedWordsGoToTheUserDictionaryAndCountAtOnce)
{
    DictionaryFolder folder;
    const QString userDic = folder.file(SpellChecker::kUserDictionaryName);
    // A user dictionary written elsewhere: LF endings, blank lines, no final newline.
    writeBytes(userDic, "Helmsworth\n\n  Zorblat \nQuux");
    SpellChecker checker(folder.path());
    EXPECT_EQ(checker.userWords(), QStringList({"Helmsworth", "Zorblat", "Quux"}));
    EXPECT_TRUE(checker.isCorrect(u"Zorblat"_s));
    EXPECT_TRUE(checker.isCorrect(u"HELMSWORTH"_s));  // Hunspell's own case rules apply

    EXPECT_FALSE(checker.isCorrect(u"Morvane"_s));
    ASSERT_TRUE(checker.addToDictionary(u"Morvane"_s).ok);
    EXPECT_TRUE(checker.isCorrect(u"Morvane"_s));
    EXPECT_EQ(readBytes(userDic), "Helmsworth\r\n\r\n  Zorblat \r\nQuux\r\nMorvane\r\n");
    // A word already there is not written twice.
    ASSERT_TRUE(checker.addToDictionary(u"Zorblat"_s).ok);
    EXPECT_EQ(readBytes(userDic), "Helmsworth\r\n\r\n  Zorblat \r\nQuux\r\nMorvane\r\n");
    EXPECT_EQ(folder.entries(), QStringList({SpellChecker::kUserDictionaryName, "english.aff", "english.dct"}));

    SpellChecker reloaded(folder.path());
    EXPECT_TRUE(reloaded.isCorrect(u"Morvane"_s));
    EXPECT_TRUE(misspelt(reloaded, u"Morvane by Helmsworth"_s).isEmpty());

    // A user dictionary that cannot be read stops the load rather than be
    // rewritten without its words later.
    QFile::setPermissions(userDic, QFileDevice::WriteOwner);
    if (!QFile(userDic).open(QIODevice::ReadOnly)) {  // as root every file is readable
        SpellChecker unreadable(folder.path());
        EXPECT_FALSE(unreadable.isLoaded());
        EXPECT_FALSE(unreadable.loadResult().message.isEmpty());
    }
}

TEST(SpellCheckDialog, ShowsTheWordInItsSentenceWithSuggestions)
{
    TfrmSpellCheck dlg;
    EXPECT_EQ(dlg.windowTitle(), "Spell Check");
    dlg.setWord({u"Buy <the> "_s, u"speling"_s, u" book."_s}, {"spelling", "spieling", "spewing"});
    EXPECT_EQ(dlg.lblWord->text(), "speling");
    EXPECT_TRUE(dlg.lblContext->text().contains(u"Buy &lt;the&gt; "_s));
    EXPECT_TRUE(dlg.lblContext->text().contains(u">speling<"_s));
    EXPECT_EQ(dlg.lbSuggestions->count(), 3);
    EXPECT_EQ(dlg.replacement(), "spelling");
    EXPECT_EQ(dlg.choice, Choice::Stop);

    // A click on a suggestion makes it the correction; a double click applies it.
    dlg.show();
    QListWidgetItem *third = dlg.lbSuggestions->item(2);
    const QPoint at = dlg.lbSuggestions->visualItemRect(third).center();
    QTest::mouseClick(dlg.lbSuggestions->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dlg.replacement(), "spewing");
    QTest::mouseDClick(dlg.lbSuggestions->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(dlg.choice, Choice::Replace);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);

    // Without suggestions the word itself is offered for editing; the close
    // box stops.
    dlg.setWord({{}, u"Qwertyx"_s, {}}, {});
    EXPECT_EQ(dlg.replacement(), "Qwertyx");
    EXPECT_EQ(dlg.lbSuggestions->count(), 0);
    dlg.show();
    dlg.btAdd->click();
    EXPECT_EQ(dlg.choice, Choice::Add);
    dlg.show();
    dlg.close();
    EXPECT_EQ(dlg.choice, Choice::Stop);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

TEST(SpellCheckDialog, ReplaceCorrectsTheFieldInPlaceAndTheEndIsTold)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    QPlainTextEdit field(u"Call the plumer.\nThe speling of\tthe recieve form: fine."_s);
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    QStringList seen, selected;
    // Two corrections are typed ("spelling" is not Hunspell's first guess);
    // the last takes the first suggestion as offered.
    runner.responders = {
        [&](QDialog &d) {
            selected.append(field.textCursor().selectedText());
            return press(Choice::Replace, &seen, u"plumber"_s)(d);
        },
        [&](QDialog &d) {
            selected.append(field.textCursor().selectedText());
            EXPECT_TRUE(static_cast<TfrmSpellCheck &>(d).lblContext->text().startsWith(u"The "_s));
            return press(Choice::Replace, &seen, u"spelling"_s)(d);
        },
        press(Choice::Replace, &seen),
    };
    EXPECT_TRUE(CheckSpelling(field, checker, prompts, runner, nullptr));
    EXPECT_EQ(seen, QStringList({"plumer", "speling", "recieve"}));
    EXPECT_EQ(selected, QStringList({"plumer", "speling"}));
    EXPECT_EQ(field.toPlainText(), u"Call the plumber.\nThe spelling of\tthe receive form: fine."_s);
    EXPECT_EQ(runner.shownTitles, QStringList({"Spell Check", "Spell Check", "Spell Check"}));
    EXPECT_TRUE(completed(prompts));
    EXPECT_EQ(prompts.shown.size(), 1);
    EXPECT_FALSE(field.textCursor().hasSelection());
    // Each correction is one step the field's undo takes back.
    field.undo();
    EXPECT_EQ(field.toPlainText(), u"Call the plumber.\nThe spelling of\tthe recieve form: fine."_s);

    // A field without mistakes only hears that the check is complete.
    QPlainTextEdit clean(u"All is well."_s);
    ScriptedPrompts quiet;
    ScriptedRunner none;
    EXPECT_TRUE(CheckSpelling(clean, checker, quiet, none, nullptr));
    EXPECT_TRUE(none.shownTitles.isEmpty());
    EXPECT_TRUE(completed(quiet));
}

TEST(SpellCheckDialog, IgnorePassesOverTheWordForThisCheckOnly)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    const QString text = u"Qwertyx met Zorblat; Qwertyx left."_s;
    QPlainTextEdit field(text);
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    QStringList seen;
    runner.responders = {press(Choice::Ignore, &seen), press(Choice::Ignore, &seen)};
    EXPECT_TRUE(CheckSpelling(field, checker, prompts, runner, nullptr));
    EXPECT_EQ(seen, QStringList({"Qwertyx", "Zorblat"}));
    EXPECT_EQ(field.toPlainText(), text);
    EXPECT_TRUE(completed(prompts));

    // The next check asks again.
    seen.clear();
    runner.responders = {press(Choice::Stop, &seen)};
    EXPECT_FALSE(CheckSpelling(field, checker, prompts, runner, nullptr));
    EXPECT_EQ(seen, QStringList({"Qwertyx"}));
}

TEST(SpellCheckDialog, AddAsksFirstThenTheWordIsKnown)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    QPlainTextEdit field(u"Qwertyx and Qwertyx, then speling."_s);
    ScriptedPrompts prompts;
    prompts.answers = {1, 0};  // No, then Yes
    ScriptedRunner runner;
    QStringList seen;
    runner.responders = {press(Choice::Add, &seen), press(Choice::Add, &seen), press(Choice::Ignore, &seen)};
    EXPECT_TRUE(CheckSpelling(field, checker, prompts, runner, nullptr));
    // After No the same word is shown again; after Yes its second use passes.
    EXPECT_EQ(seen, QStringList({"Qwertyx", "Qwertyx", "speling"}));
    ASSERT_EQ(prompts.shown.size(), 3);
    EXPECT_EQ(prompts.shown[0].text, u"Add \"Qwertyx\" to your dictionary?"_s);
    EXPECT_EQ(prompts.asked[0], QStringList({"&Yes", "&No"}));
    EXPECT_EQ(prompts.shown[1].text, prompts.shown[0].text);
    EXPECT_TRUE(completed(prompts));
    EXPECT_EQ(readBytes(folder.file(SpellChecker::kUserDictionaryName)), "Qwertyx\r\n");
    EXPECT_TRUE(SpellChecker(folder.path()).isCorrect(u"Qwertyx"_s));

    // A user dictionary that cannot be written is reported, and the word is
    // passed over for the rest of the check.
    if (!QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner))
        GTEST_SKIP();
    QPlainTextEdit more(u"Zorblat, Zorblat."_s);
    ScriptedPrompts refused;
    refused.answers = {0};
    seen.clear();
    runner.responders = {press(Choice::Add, &seen)};
    EXPECT_TRUE(CheckSpelling(more, checker, refused, runner, nullptr));
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(seen, QStringList({"Zorblat"}));
    ASSERT_EQ(refused.shown.size(), 3);
    EXPECT_EQ(refused.shown[1].kind, ScriptedPrompts::Kind::Error);
    EXPECT_TRUE(completed(refused));
    EXPECT_FALSE(checker.userWords().contains(u"Zorblat"_s));
    EXPECT_EQ(readBytes(folder.file(SpellChecker::kUserDictionaryName)), "Qwertyx\r\n");
}

TEST(SpellCheckDialog, CancelOrClosingStopsWithoutTheCompletionMessage)
{
    DictionaryFolder folder;
    SpellChecker checker(folder.path());
    const QString text = u"One speling, two mistaks."_s;
    QPlainTextEdit field(text);
    ScriptedPrompts prompts;
    ScriptedRunner runner;
    QStringList seen;
    runner.responders = {press(Choice::Stop, &seen)};
    EXPECT_FALSE(CheckSpelling(field, checker, prompts, runner, nullptr));
    EXPECT_EQ(seen, QStringList({"speling"}));
    EXPECT_EQ(field.toPlainText(), text);
    EXPECT_EQ(field.textCursor().selectedText(), "speling");  // where it stopped
    EXPECT_TRUE(prompts.shown.isEmpty());

    // A dialog closed from outside (no responder left: rejected) stops too,
    // even when a choice had been set before.
    runner.responders = {press(Choice::Ignore, &seen), [](QDialog &d) {
                             static_cast<TfrmSpellCheck &>(d).choice = Choice::Replace;
                             return int(QDialog::Rejected);
                         }};
    EXPECT_FALSE(CheckSpelling(field, checker, prompts, runner, nullptr));
    EXPECT_EQ(field.toPlainText(), text);
    EXPECT_TRUE(prompts.shown.isEmpty());
}
