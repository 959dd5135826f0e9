#include "Clock.h"

namespace morvane {

QDateTime SystemClock::now() const { return QDateTime::currentDateTime(); }

}  // namespace morvane
