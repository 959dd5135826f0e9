#include "TaskEditorRules.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace morvane {

bool NotesAreBlank(const QStringList &lines) { return MemoToText(lines).isEmpty(); }

QList<QDate> AnnualRepeatDates(const QDate &day, int years)
{
    QList<QDate> dates;
    for (int i = 1; i <= years; ++i) {
        QDate d(day.year() + i, day.month(), day.day());
        if (!d.isValid())
            d = QDate(day.year() + i, day.month(), day.day() - 1);  // 29 February -> 28
        dates.append(d);
    }
    return dates;
}

QStringList CompletedRow(const QDate &completedOn, const QString &timeText, const QString &category,
                         const QString &origDateText, const QString &notes, const QString &completionNotes,
                         const FormatSettings &fs)
{
    return {FormatDateTime(u"ddddd", ToDateValue(completedOn), fs), timeText, category,
            origDateText, notes, completionNotes};
}

QString PasteRefusedText(const QString &field, int pasted, int room)
{
    const QString fit = room == 0   ? u"no more fit"_s
                        : room == 1 ? u"only 1 more fits"_s
                                    : u"only %1 more fit"_s.arg(room);
    return u"Nothing was pasted: the text has %1 characters, and %2 in the %3."_s.arg(pasted).arg(fit, field);
}

QStringList SortedCategories(QStringList items)
{
    std::stable_sort(items.begin(), items.end(),
                     [](const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    return items;
}

bool HasCategory(const QStringList &items, const QString &text)
{
    return std::any_of(items.begin(), items.end(),
                       [&](const QString &i) { return i.compare(text, Qt::CaseInsensitive) == 0; });
}

}  // namespace morvane
