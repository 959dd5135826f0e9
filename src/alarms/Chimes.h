#pragma once
// The hour and half-hour chimes. The chime trigger looks every 15 seconds;
// each chime sounds in the first 15 seconds of minute 0 or 30.

#include <QDateTime>
#include <QString>

namespace morvane {

enum class Chime { None, Hour, HalfHour };

// The chime due at this time with these options on.
Chime ChimeDue(const QTime &time, bool hourChime, bool halfChime);

// The sound resource of a chime: "BIGBENWAV" for the hour, "CHIMES" for the
// half hour.
QString ChimeResource(Chime chime);

// A trigger that falls due a little early can look twice within one
// window; a window chimes only once.
class ChimeRecord {
public:
    // The chime to play now, or None when it has already sounded.
    Chime take(const QDateTime &now, bool hourChime, bool halfChime);

private:
    QDateTime last_;  // the start of the window that last chimed
};

}  // namespace morvane
