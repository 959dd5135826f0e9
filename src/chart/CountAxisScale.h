#pragma once
// The scale of a chart's count axis: where it starts and ends and the step
// between its labels. Counts are whole, so the step is a whole number and
// the labels fall on its multiples: each label is a whole number, shown
// once, on its gridline, and none is below 0.

namespace morvane {

struct CountScale {
    double min = 0;
    double max = 5;
    int step = 1;
    bool operator==(const CountScale &) const = default;
};

// The step for an axis `span` counts long: the smallest of 1, 2, 5, 10, 20,
// 50, ... that divides it into at most five steps.
int CountStep(double span);

// The axis a plot draws: from 0 to a round number a little above the
// largest count, or from 0 to 5 when there is nothing to count.
CountScale PlotCountScale(int largest);

// The axis after a zoom or a move set its ends: moved up to start at 0 when
// it would start below, at least one count long (so one whole number at
// least lies on it), and stepped by CountStep.
CountScale WholeCountScale(double min, double max);

}  // namespace morvane
