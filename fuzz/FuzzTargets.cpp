#include "FuzzTargets.h"

#include "Grid.h"
#include "GridFile.h"
#include "Utility.h"

#include <QByteArrayView>
#include <cstdio>
#include <cstdlib>

namespace morvane {

namespace {

bool sameGrid(const Grid &a, const Grid &b)
{
    if (a.colCount() != b.colCount() || a.rowCount() != b.rowCount())
        return false;
    for (int c = 0; c < a.colCount(); ++c)
        if (a.colWidth(c) != b.colWidth(c))
            return false;
    for (int r = 0; r < a.rowCount(); ++r) {
        if (!a.rowHasStorage(r) && !b.rowHasStorage(r))
            continue;
        for (int c = 0; c < a.colCount(); ++c)
            if (a.cellUtf8(c, r) != b.cellUtf8(c, r))
                return false;
    }
    return true;
}

// Tables of up to 20 million rows are legal and the unit tests load one, but
// each costs a large allocation; the fuzzer spends its time better on the
// rest of the format.
bool hugeSizeLine(QByteArrayView bytes)
{
    const qsizetype comma = bytes.indexOf(',');
    if (comma < 0)
        return false;
    int digits = 0;
    long long rows = 0;
    for (qsizetype i = comma + 1; i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9'; ++i) {
        if (++digits > 7)
            return true;
        rows = rows * 10 + (bytes[i] - '0');
    }
    return rows > 1'000'000;
}

}  // namespace

const char *FuzzGridFile(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    if (hugeSizeLine(bytes.first(std::min<qsizetype>(bytes.size(), 64))))
        return nullptr;
    // Load over a table that already holds text, as a Restore would.
    Grid g(3, 3);
    g.setCell(0, 0, u"Category");
    g.setCell(1, 2, u"old task");
    const FileResult r = LoadGridBytes(g, bytes, QStringLiteral("fuzz input"));
    if (!r.ok && !r.partial) {
        if (g.colCount() != 3 || g.rowCount() != 3 || g.cell(1, 2) != u"old task")
            return "a failed load changed the table";
        return nullptr;
    }
    if (r.damaged != !r.ok || r.message.isEmpty() != r.ok)
        return "a damaged load was not reported as such";
    // Rows cost memory in proportion to the file, not to its size line.
    if (std::size_t(g.rowCount()) > std::max<std::size_t>(1000000, size + 1024))
        return "a size line made rows the file does not hold";
    if (g.colCount() < 1 || g.colCount() > kMaxGridCols || g.rowCount() < 1 || g.rowCount() > kMaxGridRows)
        return "size out of range";
    if (!IsValidUtf8(g.cellUtf8(0, 0).data(), std::size_t(g.cellUtf8(0, 0).size())))
        return "cell is not UTF-8";

    const QByteArray saved = GridFileBytes(g);
    Grid again(1, 1);
    if (!LoadGridBytes(again, saved, QStringLiteral("saved copy")).ok)
        return "a table the program saved loads as damaged";
    if (!sameGrid(g, again))
        return "save and load changed the table";
    return nullptr;
}

const char *FuzzPickList(const std::uint8_t *data, std::size_t size)
{
    const QStringList items =
        ParsePickList(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)));
    QByteArray joined;
    for (const QString &item : items) {
        if (item.contains(u'\r') || item.contains(u'\n'))
            return "pick-list item holds a line break";
        joined += item.toUtf8() + "\r\n";
    }
    if (ParsePickList(joined) != items)
        return "pick list does not round-trip";
    return nullptr;
}

const char *FuzzTexts(const std::uint8_t *data, std::size_t size)
{
    const QString text = DecodeFileText(
        QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(std::min<std::size_t>(size, 256))));
    static const FormatSettings us = fix2000(FormatSettings::enUS());
    DateValue v = 0;
    StrToTime(text, us, &v);
    StrToDate(text, us, &v);
    KeyToFloat(text, us);
    SafeStrToInt(text);
    TabField(text, 3);
    ContainsWord(text, u"a b", false);
    // The text as a format pattern: the output stays bounded.
    const QString formatted = FormatDateTime(text, 46365.75, us);
    if (formatted.size() > 64 * text.size() + 64)
        return "a format grew without bound";
    if (MemoToText(TextToMemo(text)).size() > text.size() + 2)
        return "a memo grew";
    return nullptr;
}

}  // namespace morvane
