#include "Chimes.h"

using namespace Qt::StringLiterals;

namespace morvane {

Chime ChimeDue(const QTime &time, bool hourChime, bool halfChime)
{
    if (time.second() > 14)
        return Chime::None;
    if (hourChime && time.minute() == 0)
        return Chime::Hour;
    if (halfChime && time.minute() == 30)
        return Chime::HalfHour;
    return Chime::None;
}

QString ChimeResource(Chime chime)
{
    switch (chime) {
    case Chime::Hour: return u"BIGBENWAV"_s;
    case Chime::HalfHour: return u"CHIMES"_s;
    case Chime::None: break;
    }
    return {};
}

Chime ChimeRecord::take(const QDateTime &now, bool hourChime, bool halfChime)
{
    const Chime c = ChimeDue(now.time(), hourChime, halfChime);
    if (c == Chime::None)
        return c;
    const QDateTime window(now.date(), QTime(now.time().hour(), now.time().minute()));
    if (window == last_)
        return Chime::None;
    last_ = window;
    return c;
}

}  // namespace morvane
