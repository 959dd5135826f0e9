#pragma once
// The two file forms of every list the program exports: an HTML table
// fragment and comma-separated text. The writers make the bytes (UTF-8, CR LF
// lines); WriteExportFile puts them on disk atomically, so a failed export
// leaves any earlier file of that name whole. SaveTaskListHtml and
// SaveTaskListCsv write the same bytes straight to the file, for lists too
// large to hold twice: the export of the daily tasks is
// SaveTaskListCsv(CombinedList(store, range, filter, formats), path).

#include "Grid.h"
#include "GridFile.h"
#include "ListSource.h"

#include <QByteArray>
#include <QColor>
#include <QString>

namespace morvane {

// Text made safe to stand inside HTML: & < > and " become entities. Plain
// bytes of UTF-8 pass unchanged.
void AppendHtmlEscaped(QByteArray &out, QByteArrayView utf8);
QString HtmlEscaped(QStringView text);

// "RRGGBB" in upper-case hexadecimal.
QString HexRgb(const QColor &colour);

// Every row and column of the list as an HTML table: the header row in bold
// on headerColour (the window-border colour of the system), then the rows.
// Cell text is escaped, each CR becomes "<br>" and an empty cell is "<br>".
// Cells stay on one line ("nowrap") except those of the notes columns.
QByteArray TaskListHtml(const ListSource &list, const QColor &headerColour);
QByteArray TaskListHtml(const Grid &list, const QColor &headerColour);

// Every row and column as comma-separated lines, header first. An empty
// field is "", a field holding a comma, a double quote, CR or LF is quoted
// with its double quotes doubled, and any other field is written as it is.
QByteArray TaskListCsv(const ListSource &list);
QByteArray TaskListCsv(const Grid &list);

// Writes the bytes to path atomically; on failure the message names the file
// and the reason and the earlier file is kept.
FileResult WriteExportFile(const QString &path, QByteArrayView bytes);

// The same bytes as TaskListHtml and TaskListCsv, written to path atomically
// a piece at a time: a large list never sits whole in memory.
FileResult SaveTaskListHtml(const ListSource &list, const QColor &headerColour, const QString &path);
FileResult SaveTaskListCsv(const ListSource &list, const QString &path);

// The save dialogs' settings, for the window that asks for the file name.
struct ExportFileDialog {
    QString title;
    QString defaultName;
    QString defaultSuffix;  // without the point
    QStringList filters;
};
// The name proposed is baseName with the dialog's extension.
ExportFileDialog HtmlExportDialog(const QString &baseName = QStringLiteral("tasks"));
ExportFileDialog CsvExportDialog(const QString &baseName = QStringLiteral("tasks"));

}  // namespace morvane
