#!/usr/bin/python3
"""The second device of the sync tests: another CalDAV client (Python's
caldav library) changing the same calendar, as a phone would.

    phone.py URL USER PASSWORD COMMAND ARGS...
      mkcal PATH                      make a calendar at PATH (decoded)
      list PATH                       print the calendar's items as JSON
      add PATH UID SUMMARY START [CATEGORY] [RRULE]
                                      START: YYYYMMDD (all day) or YYYYMMDDTHHMMSS
      addrich PATH UID SUMMARY START  an event with a place, an attendee, a
                                      property of its own and a reminder
      addtodo PATH UID SUMMARY
      edit PATH UID SUMMARY           new summary and description
      move PATH UID START             a new start
      delete PATH UID
"""
import json
import sys
from urllib.parse import quote

import caldav
import icalendar


def calendar(client, base, path):
    return caldav.Calendar(client=client, url=base + quote(path))


def items(cal):
    out = []
    for obj in cal.objects_by_sync_token(load_objects=True):
        if obj.data is None:
            continue  # removed since
        ical = icalendar.Calendar.from_ical(obj.data)
        comps = [c for c in ical.walk() if c.name in ("VEVENT", "VTODO")]
        for c in comps:
            cats = c.get("CATEGORIES")
            if cats is not None and not isinstance(cats, list):
                cats = [cats]
            out.append({
                "href": str(obj.url),
                "kind": c.name,
                "uid": str(c.get("UID", "")),
                "summary": str(c.get("SUMMARY", "")),
                "status": str(c.get("STATUS", "")),
                "description": str(c.get("DESCRIPTION", "")),
                "start": c["DTSTART"].to_ical().decode() if "DTSTART" in c else "",
                "recurrence_id": c["RECURRENCE-ID"].to_ical().decode() if "RECURRENCE-ID" in c else "",
                "exdates": len(c.get("EXDATE", [])) if isinstance(c.get("EXDATE"), list) else (1 if c.get("EXDATE") else 0),
                "categories": [str(v) for cat in (cats or []) for v in cat.cats] if cats else [],
                "raw": c.to_ical().decode(),
            })
    return out


def event_text(uid, summary, start, category=None, rrule=None):
    value = ";VALUE=DATE:" + start if len(start) == 8 else ":" + start
    lines = ["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Phone//Test//EN", "BEGIN:VEVENT",
             "UID:" + uid, "DTSTAMP:20260101T000000Z", "DTSTART" + value, "SUMMARY:" + summary]
    if category:
        lines.append("CATEGORIES:" + category)
    if rrule:
        lines.append("RRULE:" + rrule)
    lines += ["END:VEVENT", "END:VCALENDAR", ""]
    return "\r\n".join(lines)


def main(argv):
    base, user, password, command, path = argv[1:6]
    args = argv[6:]
    base = base.rstrip("/")
    client = caldav.DAVClient(url=base + "/", username=user, password=password)
    if command == "mkcal":
        r = client.request(base + quote(path), "MKCALENDAR", "")
        if r.status not in (200, 201):
            raise SystemExit("MKCALENDAR answered %d" % r.status)
        return
    cal = calendar(client, base, path)
    if command == "list":
        print(json.dumps(items(cal), ensure_ascii=False))
    elif command == "add":
        uid, summary, start = args[:3]
        cal.save_event(event_text(uid, summary, start, *(args[3:5] + [None] * (2 - len(args[3:5])))))
    elif command == "addrich":
        uid, summary, start = args[:3]
        text = event_text(uid, summary, start).replace(
            "END:VEVENT", "LOCATION:High Street 4\r\nATTENDEE:mailto:ann@example.org\r\nX-PHONE-COLOUR:teal\r\n"
            "BEGIN:VALARM\r\nACTION:DISPLAY\r\nTRIGGER:-PT15M\r\nDESCRIPTION:" + summary + "\r\nEND:VALARM\r\n"
            "END:VEVENT")
        cal.save_event(text)
    elif command == "addtodo":
        uid, summary = args[:2]
        cal.save_todo("\r\n".join(["BEGIN:VCALENDAR", "VERSION:2.0", "PRODID:-//Phone//Test//EN", "BEGIN:VTODO",
                                   "UID:" + uid, "DTSTAMP:20260101T000000Z", "SUMMARY:" + summary,
                                   "END:VTODO", "END:VCALENDAR", ""]))
    elif command in ("edit", "move", "reopen"):
        uid, value = (args + [""])[:2]
        event = cal.object_by_uid(uid)
        comp = (event.icalendar_instance.walk("VEVENT") + event.icalendar_instance.walk("VTODO"))[0]
        if command == "edit":
            comp["SUMMARY"] = value
            comp["DESCRIPTION"] = value
        elif command == "reopen":
            # Marked as not done again, as a phone's task list does.
            comp["STATUS"] = "NEEDS-ACTION"
            for name in ("COMPLETED", "PERCENT-COMPLETE"):
                if name in comp:
                    del comp[name]
        else:
            del comp["DTSTART"]
            if "DTEND" in comp:
                del comp["DTEND"]
            comp.add("DTSTART", icalendar.vDDDTypes.from_ical(value))
        event.data = event.icalendar_instance.to_ical()
        event.save()
    elif command == "delete":
        cal.object_by_uid(args[0]).delete()
    else:
        raise SystemExit("unknown command " + command)


if __name__ == "__main__":
    main(sys.argv)
