#pragma once
// Spell checking of the notes against a Hunspell dictionary kept in the
// program folder: "english.dct" holds the words (a Hunspell .dic file) and
// "english.aff" beside it the affix rules; "CUSTOM2.DIC" holds the words the
// person added, one a line. No widgets here: the dialog that walks a text
// field through the check is in SpellCheckDialog.

#include "GridFile.h"

#include <QSet>
#include <QString>
#include <QStringConverter>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <optional>

class Hunspell;

namespace morvane {

// A word of a text: where it starts (in UTF-16 units, as QString and
// QTextCursor count) and how long it is.
struct WordSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    friend bool operator==(const WordSpan &, const WordSpan &) = default;
};

// The next word of text that starts at or after `from`: letters (accented
// ones too), with apostrophes inside (' and ’), never across a hyphen.
// Runs that hold a digit ("3rd", "B52", "2026") are not words and are
// skipped whole. Nothing when no word is left.
std::optional<WordSpan> NextWord(QStringView text, qsizetype from);

// The sentence around a word, for showing it in context: from the end of the
// previous sentence (. ! ? or a line break) to the end of this one, trimmed,
// and cut to about `reach` characters on either side of the word, at a
// space, with "…" where it was cut.
struct SentenceContext {
    QString before;
    QString word;
    QString after;
};
SentenceContext SentenceAround(QStringView text, WordSpan word, qsizetype reach = 60);

// text with the word at span replaced by replacement.
QString ReplaceWord(const QString &text, WordSpan span, const QString &replacement);

class SpellChecker {
public:
    static inline const QString kDictionaryName = QStringLiteral("english.dct");
    static inline const QString kAffixName = QStringLiteral("english.aff");
    static inline const QString kUserDictionaryName = QStringLiteral("CUSTOM2.DIC");
    static constexpr int kMaxSuggestions = 10;

    // True when the folder holds the dictionary, so spell checking is offered.
    static bool available(const QString &folder);

    // Loads the dictionary, its affix rules and the user dictionary of the
    // folder (a missing user dictionary is an empty one). Loading the
    // English dictionary takes a moment: make a checker when it is needed.
    explicit SpellChecker(const QString &folder);
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    // Whether the dictionary loaded; when not, loadResult() says why.
    bool isLoaded() const { return hunspell_ != nullptr; }
    const FileResult &loadResult() const { return loadResult_; }
    QString userDictionaryPath() const;

    // A word the dictionary (or the user dictionary) knows, or one ignored.
    bool isCorrect(const QString &word) const;
    // The first misspelt word of text at or after `from`.
    std::optional<WordSpan> nextMisspelt(QStringView text, qsizetype from) const;
    // Likely corrections, best first, at most kMaxSuggestions.
    QStringList suggestions(const QString &word) const;

    // Words accepted for the rest of one check; clearIgnored() starts the next.
    void ignore(const QString &word) { ignored_.insert(word); }
    void clearIgnored() { ignored_.clear(); }
    bool isIgnored(const QString &word) const { return ignored_.contains(word); }

    // Adds the word to the user dictionary file (rewritten whole and
    // atomically, as UTF-8) and accepts it from now on. A failed write
    // leaves the file and the dictionary as they were.
    FileResult addToDictionary(const QString &word);
    const QStringList &userWords() const { return userWords_; }

private:
    std::string toDictionary(const QString &word, bool *ok) const;
    QString fromDictionary(const std::string &bytes) const;

    QString folder_;
    std::unique_ptr<Hunspell> hunspell_;
    // Hunspell works on bytes in the dictionary's own encoding.
    mutable QStringEncoder encoder_;
    mutable QStringDecoder decoder_;
    FileResult loadResult_;
    QStringList userWords_;
    QSet<QString> ignored_;
};

}  // namespace morvane
