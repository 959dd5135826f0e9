// The axes: the labels along the hour and day axes, as many as the width
// holds, and the count axes, in whole counts however they are zoomed or moved.

#include "ChartWindow.h"

#include "ChartView.h"

#include <QCategoryAxis>
#include <QChart>
#include <QFontMetricsF>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace morvane {

namespace {

void replaceCategories(QCategoryAxis *axis, const QList<std::pair<QString, qreal>> &labels)
{
    for (const QString &l : axis->categoriesLabels())
        axis->remove(l);
    for (const auto &[text, at] : labels)
        axis->append(text, at);
}

}  // namespace

void TfrmChart::chrtHourResize() { updateHourLabels(); }
void TfrmChart::chrtDayResize() { updateDayLabels(); }

void TfrmChart::updateHourLabels()
{
    if (labelling_)
        return;
    labelling_ = true;
    // The labels stand on end, so each takes a line's height of the width.
    const qreal width = chrtHour->chart()->plotArea().width() > 10 ? chrtHour->chart()->plotArea().width()
                                                                    : std::max(100, chrtHour->width() - 80);
    const qreal each = QFontMetricsF(hourAxis->labelsFont()).height() + 3;
    const qreal shown = std::max<qreal>(1, hourAxis->max() - hourAxis->min());
    int step = 48;
    for (int s : {1, 2, 4, 6, 8, 12, 24}) {
        if (shown / s * each <= width) {
            step = s;
            break;
        }
    }
    QList<std::pair<QString, qreal>> labels;
    for (int s = 0; s < 48; s += step)
        if (s >= hourAxis->min() - 0.5 && s <= hourAxis->max() + 0.5)
            labels.append({HalfHourLabel(s, sv_.fs), qreal(s)});
    QStringList now = hourAxis->categoriesLabels();
    QStringList want;
    for (const auto &l : labels)
        want.append(l.first);
    if (now != want) {
        hourAxis->setStartValue(labels.isEmpty() ? hourAxis->min() : labels.first().second - 1);
        replaceCategories(hourAxis, labels);
    }
    labelling_ = false;
}

void TfrmChart::updateDayLabels()
{
    if (labelling_)
        return;
    labelling_ = true;
    const qreal width = chrtDay->chart()->plotArea().width() > 10 ? chrtDay->chart()->plotArea().width()
                                                                   : std::max(100, chrtDay->width() - 80);
    const QFontMetricsF fm(dayAxis->labelsFont());
    const qreal each = fm.horizontalAdvance(FormatDateTime(u"dd/mmm/yy", ToDateValue(QDate(2026, 9, 28)), sv_.fs)) + 16;
    const qreal lo = dayAxis->min(), hi = dayAxis->max();
    const qreal weeks = std::max<qreal>(1, (hi - lo) / 7);
    // Labels on Sundays, one week apart or as many weeks as the width needs.
    int step = 1;
    for (int s : {1, 2, 4, 8, 13, 26, 52, 104, 208, 520, 1040, 5200}) {
        step = s;
        if (weeks / s * each <= width)
            break;
    }
    QList<std::pair<QString, qreal>> labels;
    const qint64 stepDays = qint64(step) * 7;
    // Day 1 is a Sunday; labels fall on days 1 + k × stepDays.
    qint64 first = qint64(std::ceil((lo - 1) / stepDays)) * stepDays + 1;
    for (qint64 d = first; d <= hi && labels.size() < 400; d += stepDays)
        labels.append({FormatDateTime(u"dd/mmm/yy", ToDateValue(DateOfDay(int(d))), sv_.fs), qreal(d)});
    QStringList now = dayAxis->categoriesLabels();
    QStringList want;
    for (const auto &l : labels)
        want.append(l.first);
    if (now != want) {
        dayAxis->setStartValue(labels.isEmpty() ? lo : labels.first().second - 1);
        replaceCategories(dayAxis, labels);
    }
    labelling_ = false;
}

// ---------------------------------------------------------------------------
// Count axes

void TfrmChart::setCountScale(QValueAxis *axis, const CountScale &scale)
{
    // Setting the range calls countAxisRangeChanged, which must not set it
    // again while it is being set.
    scaling_ = true;
    axis->setTickInterval(scale.step);
    axis->setRange(scale.min, scale.max);
    scaling_ = false;
}

void TfrmChart::countAxisRangeChanged(QValueAxis *axis)
{
    if (scaling_)
        return;
    const CountScale scale = WholeCountScale(axis->min(), axis->max());
    setCountScale(axis, scale);
}

}  // namespace morvane
