#pragma once
// The few helpers the exchange code wraps libical's C interface in.

#include <libical/ical.h>

#include <QByteArray>

#include <cstdlib>
#include <memory>

namespace morvane {

struct IcalComponentFree {
    void operator()(icalcomponent *c) const { icalcomponent_free(c); }
};
// Owns a component that has no parent.
using IcalPtr = std::unique_ptr<icalcomponent, IcalComponentFree>;

// The component as libical writes it.
inline QByteArray IcalText(icalcomponent *c)
{
    char *text = icalcomponent_as_ical_string_r(c);
    QByteArray out(text);
    std::free(text);
    return out;
}

}  // namespace morvane
