#include "MonthCalendar.h"

#include <QCoreApplication>
#include <QHash>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>

namespace morvane {

// ---------------------------------------------------------------------------
// MonthGrid

int MonthGrid::firstCell() const
{
    const QDate first(date.year(), date.month(), 1);
    // Columns counted from the first day of the week.
    return (first.dayOfWeek() - int(startOfWeek) + 7) % 7 + 1;
}

QDate MonthGrid::dateOfCell(int cell) const
{
    const QDate first(date.year(), date.month(), 1);
    return first.addDays(cell - firstCell());
}

int MonthGrid::cellOfDate(const QDate &d) const
{
    if (d.year() != date.year() || d.month() != date.month())
        return 0;
    return firstCell() + d.day() - 1;
}

bool MonthGrid::inMonth(int cell) const
{
    const QDate d = dateOfCell(cell);
    return d.year() == date.year() && d.month() == date.month();
}

QDate MonthGrid::addMonths(const QDate &d, int months)
{
    // QDate::addMonths already keeps within the new month.
    return d.addMonths(months);
}

QDate MonthGrid::addYears(const QDate &d, int years) { return d.addYears(years); }

// ---------------------------------------------------------------------------
// MonthCalendar

MonthCalendar::MonthCalendar(QWidget *parent) : QWidget(parent)
{
    grid_.date = QDate(2000, 1, 1);
    monthLabelFont = QFont(QStringLiteral("Times New Roman"));
    monthLabelFont.setBold(true);
    yearLabelFont = monthLabelFont;
    selectedCellFont = cellFont;
    selectedCellFont.setBold(true);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
}

void MonthCalendar::setDate(const QDate &d)
{
    if (!d.isValid() || d == grid_.date)
        return;
    const QDate old = grid_.date;
    grid_.date = d;
    update();
    emit dateChanged(d);
    if (old.year() != d.year())
        emit yearChanged();
    if (old.month() != d.month() || old.year() != d.year())
        emit monthChanged();
}

void MonthCalendar::setStartOfWeek(Qt::DayOfWeek day)
{
    grid_.startOfWeek = day;
    update();
}

void MonthCalendar::setYear(int year)
{
    const QDate d = date();
    setDate(QDate(year, d.month(), std::min(d.day(), QDate(year, d.month(), 1).daysInMonth())));
}

void MonthCalendar::setDay(int day)
{
    const QDate d = date();
    if (day >= 1 && day <= d.daysInMonth())
        setDate(QDate(d.year(), d.month(), day));
}

int MonthCalendar::labelHeight() const
{
    return showOnCalendar ? QFontMetrics(monthLabelFont).height() + 6 : 0;
}

int MonthCalendar::headerHeight() const
{
    return showWeekDayHeader ? QFontMetrics(cellFont).height() + 4 : 0;
}

QRect MonthCalendar::gridRect() const
{
    const int b = bevel == Bevel::None ? 0 : bevelWidth;
    QRect r = rect().adjusted(b, b, -b, -b);
    r.setTop(r.top() + labelHeight() + headerHeight());
    return r;
}

QRect MonthCalendar::cellRect(int cell) const
{
    if (cell < 1 || cell > 42)
        return {};
    const QRect g = gridRect();
    const int row = (cell - 1) / 7, col = (cell - 1) % 7;
    const int x0 = g.left() + g.width() * col / 7, x1 = g.left() + g.width() * (col + 1) / 7;
    const int y0 = g.top() + g.height() * row / 6, y1 = g.top() + g.height() * (row + 1) / 6;
    return QRect(QPoint(x0, y0), QPoint(x1 - 1, y1 - 1));
}

int MonthCalendar::cellAt(const QPoint &p) const
{
    const QRect g = gridRect();
    if (!g.contains(p) || g.width() <= 0 || g.height() <= 0)
        return 0;
    const int col = std::min(6, (p.x() - g.left()) * 7 / g.width());
    const int row = std::min(5, (p.y() - g.top()) * 6 / g.height());
    return row * 7 + col + 1;
}

QSize MonthCalendar::sizeHint() const
{
    const QFontMetrics fm(cellFont);
    const int cw = fm.horizontalAdvance(QStringLiteral("30")) + 10;
    const int ch = fm.height() + 4;
    const int b = bevel == Bevel::None ? 0 : 2 * bevelWidth;
    return {7 * cw + b, 6 * ch + labelHeight() + headerHeight() + b};
}

QSize MonthCalendar::minimumSizeHint() const { return sizeHint() * 3 / 4; }

void MonthCalendar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), colorBack);
    const int b = bevel == Bevel::None ? 0 : bevelWidth;
    if (b > 0) {
        const QColor light = palette().color(QPalette::Light), dark = palette().color(QPalette::Dark);
        const QColor topLeft = bevel == Bevel::Raised ? light : dark;
        const QColor bottomRight = bevel == Bevel::Raised ? dark : light;
        for (int i = 0; i < b; ++i) {
            const QRect r = rect().adjusted(i, i, -i - 1, -i - 1);
            p.setPen(topLeft);
            p.drawLine(r.topLeft(), r.topRight());
            p.drawLine(r.topLeft(), r.bottomLeft());
            p.setPen(bottomRight);
            p.drawLine(r.bottomLeft(), r.bottomRight());
            p.drawLine(r.topRight(), r.bottomRight());
        }
    }
    const QRect inner = rect().adjusted(b, b, -b, -b);
    int y = inner.top();
    if (showOnCalendar) {
        const QLocale locale;
        const QRect label(inner.left(), y, inner.width(), labelHeight());
        p.setPen(colorDayText);
        p.setFont(monthLabelFont);
        const QString month = locale.standaloneMonthName(date().month()) + QLatin1Char(' ');
        const QString year = QString::number(date().year());
        const int mw = QFontMetrics(monthLabelFont).horizontalAdvance(month);
        const int yw = QFontMetrics(yearLabelFont).horizontalAdvance(year);
        const int x = label.left() + (label.width() - mw - yw) / 2;
        const QRect monthRect(x, label.top(), mw, label.height()), yearRect(x + mw, label.top(), yw, label.height());
        if (text3dLabels) {
            p.setPen(palette().color(QPalette::Light));
            p.drawText(monthRect.translated(-1, -1), Qt::AlignVCenter | Qt::AlignLeft, month);
            p.setFont(yearLabelFont);
            p.drawText(yearRect.translated(-1, -1), Qt::AlignVCenter | Qt::AlignLeft, year);
            p.setFont(monthLabelFont);
            p.setPen(colorDayText);
        }
        p.drawText(monthRect, Qt::AlignVCenter | Qt::AlignLeft, month);
        p.setFont(yearLabelFont);
        p.drawText(yearRect, Qt::AlignVCenter | Qt::AlignLeft, year);
        y += labelHeight();
    }
    if (showWeekDayHeader) {
        const QRect header(inner.left(), y, inner.width(), headerHeight());
        p.fillRect(header, colorHeaderBack);
        p.setFont(cellFont);
        p.setPen(colorDayText);
        const QLocale locale;
        for (int col = 0; col < 7; ++col) {
            const int weekday = (int(startOfWeek()) - 1 + col) % 7 + 1;
            const QRect cr(header.left() + header.width() * col / 7, header.top(), header.width() / 7,
                           header.height());
            // The first letter of the short name: some locales' narrow names are digits.
            p.drawText(cr, Qt::AlignCenter, locale.dayName(weekday, QLocale::ShortFormat).left(1));
        }
    }
    for (int n = 1; n <= 42; ++n) {
        Cell c;
        c.rect = cellRect(n);
        c.number = n;
        c.inMonth = grid_.inMonth(n);
        c.day = grid_.dateOfCell(n).day();
        c.selected = c.inMonth && c.day == date().day();
        if (!c.inMonth && !prevNextDaysShown) {
            p.fillRect(c.rect, colorBack);
            continue;
        }
        const QColor back = c.selected ? colorSelectedBack : c.inMonth ? colorBack : colorPrevNextBack;
        // The owner may change the brush, pen and font before the default drawing.
        p.save();
        p.setFont(c.selected ? selectedCellFont : cellFont);
        p.setBrush(back);
        p.setPen(c.inMonth ? colorDayText : colorPrevNextText);
        bool defaultDraw = !drawCell_;
        if (drawCell_)
            drawCell_(p, c, defaultDraw);
        if (defaultDraw) {
            p.fillRect(c.rect, p.brush());
            p.drawText(c.rect, Qt::AlignCenter, QString::number(c.day));
            if (cellBevel && c.inMonth) {
                const QRect r = c.rect.adjusted(0, 0, -1, -1);
                p.setPen(palette().color(QPalette::Mid));
                p.drawLine(r.topLeft(), r.topRight());
                p.drawLine(r.topLeft(), r.bottomLeft());
                p.setPen(palette().color(QPalette::Light));
                p.drawLine(r.bottomLeft(), r.bottomRight());
                p.drawLine(r.topRight(), r.bottomRight());
            }
        }
        p.restore();
    }
    if (hasFocus() && cellOfSelection() > 0) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = cellRect(cellOfSelection()).adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &p, this);
    }
}

int MonthCalendar::clickableCellAt(const QPoint &p) const
{
    const int cell = cellAt(p);
    return cell > 0 && (prevNextDaysShown || grid_.inMonth(cell)) ? cell : 0;
}

void MonthCalendar::mousePressEvent(QMouseEvent *e)
{
    const QPoint at = e->position().toPoint();
    const int cell = clickableCellAt(at);
    if (cell == 0 && cellAt(at) > 0)
        return;  // an empty cell
    setFocus();
    if (cell > 0 && e->button() == Qt::LeftButton)
        setDate(grid_.dateOfCell(cell));
    emit clicked();
}

void MonthCalendar::mouseDoubleClickEvent(QMouseEvent *e)
{
    const int cell = clickableCellAt(e->position().toPoint());
    if (cell > 0)
        emit cellDoubleClicked(cellRect(cell), grid_.inMonth(cell), cell, grid_.dateOfCell(cell).day());
}

QFont FitFont(QFont font, const QString &sample, int width, int height)
{
    // Each point size tried is a font loaded and the sample laid out; the
    // window asks again with the same box at every step of its layout, so
    // what was fitted once is kept for the run (emptied with the
    // application, which owns the fonts).
    static QHash<QString, QFont> *fitted = nullptr;
    if (!fitted) {
        fitted = new QHash<QString, QFont>;
        qAddPostRoutine([] {
            delete fitted;
            fitted = nullptr;
        });
    }
    const QString key = font.key() + QLatin1Char('\n') + sample + QLatin1Char('\n') + QString::number(width) +
                        QLatin1Char('x') + QString::number(height);
    if (const auto it = fitted->constFind(key); it != fitted->constEnd())
        return *it;
    while (font.pointSize() > 1) {
        const QFontMetrics fm(font);
        if (fm.height() <= height && fm.horizontalAdvance(sample) <= width)
            break;
        font.setPointSize(font.pointSize() - 1);
    }
    // Kept only while the fonts stay few (a run with many window sizes).
    if (fitted->size() > 256)
        fitted->clear();
    fitted->insert(key, font);
    return font;
}

}  // namespace morvane
