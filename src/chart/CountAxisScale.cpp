#include "CountAxisScale.h"

#include <algorithm>
#include <cmath>

namespace morvane {

int CountStep(double span)
{
    const double raw = std::max(1.0, span / 5);
    double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    for (;;) {
        for (double m : {1.0, 2.0, 5.0})
            if (m * magnitude >= raw)
                return int(std::lround(m * magnitude));
        magnitude *= 10;
    }
}

CountScale PlotCountScale(int largest)
{
    if (largest < 1)
        return CountScale{0, 5, 1};
    // A little room above the tallest bar or point.
    const double target = largest * 1.12;
    const int step = CountStep(target);
    return CountScale{0, std::ceil(target / step) * step, step};
}

CountScale WholeCountScale(double min, double max)
{
    if (max - min < 1) {
        const double middle = (min + max) / 2;
        min = middle - 0.5;
        max = middle + 0.5;
    }
    if (min < 0) {
        max -= min;
        min = 0;
    }
    return CountScale{min, max, CountStep(max - min)};
}

}  // namespace morvane
