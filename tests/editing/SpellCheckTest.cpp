#include "SpellChecker.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

using namespace morvane;
using namespace Qt::StringLiterals;

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
