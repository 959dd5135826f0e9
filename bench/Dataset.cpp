#include "Dataset.h"

#include "TaskTables.h"

#include <algorithm>
#include <random>
#include <vector>

namespace morvane::bench {

namespace {

const char *const kCategories[] = {"Work", "Home", "Garden", "Doctor", "Birthday", "Car",
                                   "Bills", "School", "Church", "Travel", "Club", ""};
const char *const kWords[] = {"call", "the", "bank", "about", "form", "pick", "up", "kids",
                              "meeting", "with", "Ann", "renew", "insurance", "lunch", "at",
                              "noon", "buy", "milk", "and", "bread", "send", "report", "to", "Bob"};

struct Row {
    int day;
    int minutes;
    int category;
    bool done, alarm;
    std::uint32_t seed;
};

template <class Rng> QString sentence(Rng &rng, int words)
{
    QString s;
    for (int i = 0; i < words; ++i) {
        if (i)
            s += u' ';
        s += QString::fromLatin1(kWords[rng() % std::size(kWords)]);
    }
    return s;
}

QString timeText(int minutes)
{
    const int h = minutes / 60, m = minutes % 60;
    const int h12 = h % 12 == 0 ? 12 : h % 12;
    return QStringLiteral("%1:%2 %3").arg(h12).arg(m, 2, 10, QChar(u'0')).arg(h < 12 ? "AM" : "PM");
}

}  // namespace

Grid MakeStore(int tasks)
{
    std::mt19937 rng(20261209u);
    std::vector<Row> rows;
    rows.reserve(std::size_t(tasks));
    for (int i = 0; i < tasks; ++i) {
        Row r;
        if (i < 10) {
            r.day = kBenchDay;
        } else {
            do
                r.day = kFirstDay + int(rng() % kDays);
            while (r.day == kBenchDay);
        }
        r.minutes = int(rng() % 288) * 5;
        r.category = int(rng() % std::size(kCategories));
        r.done = rng() % 3 == 0;
        r.alarm = rng() % 5 == 0;
        r.seed = rng();
        rows.push_back(r);
    }
    std::sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        return a.day != b.day ? a.day < b.day : a.minutes < b.minutes;
    });

    Grid g(kStoreCols, tasks + 1);
    const int widths[] = {110, 94, 146, 64, 64, 64};
    for (int c = 0; c < kStoreCols; ++c)
        g.setColWidth(c, widths[c]);
    int position = 0;
    for (int i = 0; i < tasks; ++i) {
        const Row &r = rows[std::size_t(i)];
        position = (i > 0 && rows[std::size_t(i - 1)].day == r.day) ? position + 1 : 1;
        std::minstd_rand text(r.seed | 1u);
        QString notes = sentence(text, 3 + int(text() % 6));
        if (text() % 3 == 0)
            notes += QStringLiteral("\r\n") + sentence(text, 2 + int(text() % 8)) + QStringLiteral("\r\n");
        const int row = i + 1;
        g.setCell(kStoreKey, row, MakeStoreKey(r.day, 100 + position));
        g.setCell(kStoreTime, row, timeText(r.minutes));
        g.setCell(kStoreCategory, row, QString::fromLatin1(kCategories[r.category]));
        g.setCell(kStoreNotes, row, notes);
        g.setCell(kStoreDone, row, r.done ? u"Yes" : u"No");
        g.setCell(kStoreAlarm, row, r.alarm ? u"Yes" : u"No");
    }
    return g;
}

}  // namespace morvane::bench
