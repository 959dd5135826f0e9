#include "SpellChecker.h"

#include "Utility.h"

#include <hunspell.hxx>

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

// One code point of text at i and how many UTF-16 units it takes.
struct CodePoint {
    char32_t value = 0;
    qsizetype size = 1;
};

CodePoint codePointAt(QStringView text, qsizetype i)
{
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
        return {QChar::surrogateToUcs4(c, text[i + 1]), 2};
    return {c.unicode(), 1};
}

CodePoint codePointBefore(QStringView text, qsizetype i)
{
    const QChar c = text[i - 1];
    if (c.isLowSurrogate() && i >= 2 && text[i - 2].isHighSurrogate())
        return {QChar::surrogateToUcs4(text[i - 2], c), 2};
    return {c.unicode(), 1};
}

// Accents typed as combining marks belong to the letter before them.
bool isLetter(char32_t c) { return QChar::isLetter(c) || QChar::isMark(c); }
bool isWordChar(char32_t c) { return isLetter(c) || QChar::isNumber(c); }
bool isApostrophe(char32_t c) { return c == u'\'' || c == U'\u2019'; }

// A run of letters and digits with apostrophes inside it, from start.
struct Run {
    qsizetype end = 0;
    bool hasLetter = false;
    bool hasDigit = false;
};

Run scanRun(QStringView text, qsizetype start)
{
    Run run{start};
    qsizetype i = start;
    while (i < text.size()) {
        const CodePoint cp = codePointAt(text, i);
        if (isWordChar(cp.value)) {
            if (QChar::isNumber(cp.value))
                run.hasDigit = true;
            else if (QChar::isLetter(cp.value))
                run.hasLetter = true;
            i += cp.size;
            run.end = i;
        } else if (isApostrophe(cp.value) && i > start && i + 1 < text.size()
                   && isWordChar(codePointAt(text, i + 1).value)) {
            i += cp.size;  // inside the word: "don't", "o’clock"
        } else {
            break;
        }
    }
    return run;
}

// Whether i lies inside a run rather than at its start.
bool insideRun(QStringView text, qsizetype i)
{
    if (i <= 0 || i >= text.size())
        return false;
    const CodePoint before = codePointBefore(text, i);
    const CodePoint here = codePointAt(text, i);
    const bool nextIsWordChar = i + here.size < text.size() && isWordChar(codePointAt(text, i + here.size).value);
    if (isWordChar(before.value))
        return isWordChar(here.value) || (isApostrophe(here.value) && nextIsWordChar);
    // Just past an apostrophe inside a word: "don'|t".
    return isApostrophe(before.value) && i - before.size > 0
           && isWordChar(codePointBefore(text, i - before.size).value) && isWordChar(here.value);
}

bool isLineBreak(QChar c) { return c == u'\n' || c == u'\r'; }
bool isFullStop(QChar c) { return c == u'.' || c == u'!' || c == u'?'; }

// A full stop ends a sentence before blanks and then the end, a line break
// or anything but a small letter: so "3.5", "example.com" and the "e.g." of
// "e.g. for" do not end one.
bool endsSentence(QStringView text, qsizetype i)
{
    if (!isFullStop(text[i]))
        return false;
    qsizetype next = i + 1;
    if (next < text.size() && !text[next].isSpace())
        return false;
    while (next < text.size() && text[next].isSpace() && !isLineBreak(text[next]))
        ++next;
    return next == text.size() || !text[next].isLower();
}

// A lone half of a surrogate pair left at the edge of a cut.
void dropBrokenPairs(QString &s)
{
    if (!s.isEmpty() && s.front().isLowSurrogate())
        s.remove(0, 1);
    if (!s.isEmpty() && s.back().isHighSurrogate())
        s.chop(1);
}

}  // namespace

std::optional<WordSpan> NextWord(QStringView text, qsizetype from)
{
    qsizetype i = std::clamp<qsizetype>(from, 0, text.size());
    // A position inside a run is not the start of a word: go past the run.
    while (insideRun(text, i))
        i += codePointAt(text, i).size;
    while (i < text.size()) {
        const CodePoint cp = codePointAt(text, i);
        if (!isWordChar(cp.value)) {
            i += cp.size;
            continue;
        }
        const Run run = scanRun(text, i);
        if (run.hasLetter && !run.hasDigit)
            return WordSpan{i, run.end - i};
        i = run.end;
    }
    return std::nullopt;
}

SentenceContext SentenceAround(QStringView text, WordSpan word, qsizetype reach)
{
    qsizetype begin = word.start;
    while (begin > 0 && !isLineBreak(text[begin - 1]) && !(begin >= 2 && endsSentence(text, begin - 2)))
        --begin;
    qsizetype end = word.end();
    while (end < text.size() && !isLineBreak(text[end]) && !endsSentence(text, end))
        ++end;
    if (end < text.size() && isFullStop(text[end]))
        ++end;  // the sentence's own full stop

    SentenceContext c;
    c.word = text.sliced(word.start, word.length).toString();
    c.before = text.sliced(begin, word.start - begin).toString();
    c.after = text.sliced(word.end(), end - word.end()).toString();
    // Leading blanks of the sentence and trailing ones after it say nothing.
    qsizetype lead = 0;
    while (lead < c.before.size() && c.before[lead].isSpace())
        ++lead;
    c.before.remove(0, lead);
    while (!c.after.isEmpty() && c.after.back().isSpace())
        c.after.chop(1);

    // A long sentence is cut at a space, so no word shows half.
    if (c.before.size() > reach) {
        const qsizetype space = c.before.indexOf(u' ', c.before.size() - reach);
        c.before = space >= 0 ? c.before.sliced(space + 1) : c.before.last(reach);
        dropBrokenPairs(c.before);
        c.before.prepend(u"…"_s);
    }
    if (c.after.size() > reach) {
        const qsizetype space = c.after.lastIndexOf(u' ', reach);
        c.after = space > 0 ? c.after.first(space) : c.after.first(reach);
        dropBrokenPairs(c.after);
        c.after.append(u"…"_s);
    }
    return c;
}

QString ReplaceWord(const QString &text, WordSpan span, const QString &replacement)
{
    QString out = text;
    out.replace(span.start, span.length, replacement);
    return out;
}

bool SpellChecker::available(const QString &folder)
{
    return QFileInfo(JoinPath(folder, kDictionaryName)).isFile();
}

namespace {

FileResult checkReadable(const QString &path)
{
    QFile f(path);
    if (!f.exists())
        return FileResult::failure(u"File "_s + QDir::toNativeSeparators(path) + u" not found"_s);
    if (!f.open(QIODevice::ReadOnly))
        return FileResult::failure(u"Could not read %1: %2"_s.arg(QDir::toNativeSeparators(path), f.errorString()));
    return FileResult::success();
}

}  // namespace

SpellChecker::SpellChecker(const QString &folder) : folder_(folder)
{
    const QString dic = JoinPath(folder, kDictionaryName);
    const QString aff = JoinPath(folder, kAffixName);
    for (const QString &path : {dic, aff}) {
        loadResult_ = checkReadable(path);
        if (!loadResult_)
            return;
    }
    QStringList words;
    if (QFileInfo::exists(userDictionaryPath())) {
        // An unreadable user dictionary must not be rewritten by the next
        // word added, so the check does not start without it.
        loadResult_ = LoadPickList(userDictionaryPath(), &words);
        if (!loadResult_)
            return;
    }

    hunspell_ = std::make_unique<Hunspell>(QFile::encodeName(aff).constData(), QFile::encodeName(dic).constData());
    // Hunspell names its encodings the way the affix file spells them
    // ("UTF-8", "ISO8859-1", ...); Qt knows the common ones, ICU the rest.
    // An encoding neither knows is read as Latin-1, right for ASCII words.
    const QByteArray name = QByteArray::fromStdString(hunspell_->get_dict_encoding());
    QByteArray plain = name.toUpper();
    plain.replace('-', "").replace('_', "");
    if (plain == "UTF8") {
        encoder_ = QStringEncoder(QStringConverter::Utf8);
        decoder_ = QStringDecoder(QStringConverter::Utf8);
    } else if (plain == "ISO88591") {
        encoder_ = QStringEncoder(QStringConverter::Latin1);
        decoder_ = QStringDecoder(QStringConverter::Latin1);
    } else {
        encoder_ = QStringEncoder(name.constData());
        decoder_ = QStringDecoder(name.constData());
        if (!encoder_.isValid() || !decoder_.isValid()) {
            encoder_ = QStringEncoder(QStringConverter::Latin1);
            decoder_ = QStringDecoder(QStringConverter::Latin1);
        }
    }

    for (const QString &line : std::as_const(words)) {
        const QString word = line.trimmed();
        if (word.isEmpty())
            continue;
        userWords_.append(word);
        bool ok = false;
        const std::string bytes = toDictionary(word, &ok);
        if (ok)
            hunspell_->add(bytes);
    }
}

SpellChecker::~SpellChecker() = default;

QString SpellChecker::userDictionaryPath() const { return JoinPath(folder_, kUserDictionaryName); }

std::string SpellChecker::toDictionary(const QString &word, bool *ok) const
{
    encoder_.resetState();
    const QByteArray bytes = encoder_.encode(word);
    *ok = !encoder_.hasError();
    return bytes.toStdString();
}

QString SpellChecker::fromDictionary(const std::string &bytes) const
{
    decoder_.resetState();
    return decoder_.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

bool SpellChecker::isCorrect(const QString &word) const
{
    if (!hunspell_ || ignored_.contains(word) || userWords_.contains(word))
        return true;
    bool ok = false;
    const std::string bytes = toDictionary(word, &ok);
    // A letter the dictionary's encoding cannot hold is in none of its words.
    return ok && hunspell_->spell(bytes);
}

std::optional<WordSpan> SpellChecker::nextMisspelt(QStringView text, qsizetype from) const
{
    if (!hunspell_)
        return std::nullopt;
    for (auto word = NextWord(text, from); word; word = NextWord(text, word->end()))
        if (!isCorrect(text.sliced(word->start, word->length).toString()))
            return word;
    return std::nullopt;
}

QStringList SpellChecker::suggestions(const QString &word) const
{
    QStringList out;
    bool ok = false;
    const std::string bytes = toDictionary(word, &ok);
    if (!hunspell_ || !ok)
        return out;
    for (const std::string &s : hunspell_->suggest(bytes)) {
        const QString text = fromDictionary(s);
        if (!text.isEmpty() && !out.contains(text))
            out.append(text);
        if (out.size() == kMaxSuggestions)
            break;
    }
    return out;
}

FileResult SpellChecker::addToDictionary(const QString &word)
{
    const QString w = word.trimmed();
    if (w.isEmpty())
        return FileResult::success();
    // The file is read again rather than trusted from loading: it may have
    // been edited since, and a write replaces it whole.
    QStringList lines;
    if (QFileInfo::exists(userDictionaryPath())) {
        if (FileResult r = LoadPickList(userDictionaryPath(), &lines); !r)
            return r;
    }
    const bool listed = std::any_of(lines.cbegin(), lines.cend(), [&](const QString &l) { return l.trimmed() == w; });
    if (!listed) {
        lines.append(w);
        if (FileResult r = SavePickList(lines, userDictionaryPath()); !r)
            return r;
    }
    if (!userWords_.contains(w))
        userWords_.append(w);
    bool ok = false;
    const std::string bytes = toDictionary(w, &ok);
    if (hunspell_ && ok)
        hunspell_->add(bytes);
    return FileResult::success();
}

}  // namespace morvane
