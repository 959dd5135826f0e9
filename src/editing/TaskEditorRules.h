#pragma once
// The rules of the task editor that need no window: when notes count as
// blank, the dates of an annual repeat, and the row a completion adds.

#include "Utility.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

namespace morvane {

// Notes are blank only when their stored text is empty: one empty line is
// blank, spaces or two empty lines are not.
bool NotesAreBlank(const QStringList &lines);

// The same month and day in each of the next `years` years; 29 February
// falls on 28 February in years that have none.
QList<QDate> AnnualRepeatDates(const QDate &day, int years = 10);

// The completed table's row for a task completed on `completedOn`:
// completion date (short date), the task's time as shown (to the minute, or
// a text such as "All day"), category, the original date text, the notes and
// the completion notes.
QStringList CompletedRow(const QDate &completedOn, const QString &timeText, const QString &category,
                         const QString &origDateText, const QString &notes, const QString &completionNotes,
                         const FormatSettings &fs);

// What the editor says when a paste does not fit a field ("notes",
// "category"): nothing went in, and how much would have.
QString PasteRefusedText(const QString &field, int pasted, int room);

// The category list, sorted as the editor's list shows it (letter case
// ignored), and whether `text` is already one of them (letter case ignored).
QStringList SortedCategories(QStringList items);
bool HasCategory(const QStringList &items, const QString &text);

}  // namespace morvane
