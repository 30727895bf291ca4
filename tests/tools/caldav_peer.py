#!/usr/bin/python3
"""A second CalDAV client (python3-caldav) for the sync tests: the phone.

caldav_peer.py COLLECTION USER PASSWORD put UID SUMMARY [DATE [LINES]]
                                   add or replace an event (all day on DATE, YYYYMMDD; 20261208
                                   without), LINES ("\n" between them) added to it
caldav_peer.py COLLECTION USER PASSWORD todo UID SUMMARY DATE [LINES]   add or replace a to-do
caldav_peer.py COLLECTION USER PASSWORD raw UID           the item of UID as the server holds it
caldav_peer.py COLLECTION USER PASSWORD delete UID        delete the event of UID
caldav_peer.py COLLECTION USER PASSWORD list              UID and SUMMARY, one a line, by UID
caldav_peer.py COLLECTION USER PASSWORD days FROM TO      each day's events, repeats expanded:
                                                          "YYYY-MM-DD SUMMARY", sorted
caldav_peer.py COLLECTION USER PASSWORD todos             to-dos: "DUE PRIORITY STATUS SUMMARY", sorted
"""
import datetime
import sys

import caldav
import icalendar
import recurring_ical_events

ITEM = """BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//velmo tests//peer//EN
BEGIN:{kind}
UID:{uid}
DTSTAMP:20261207T090000Z
{day};VALUE=DATE:{date}
SUMMARY:{summary}
{lines}END:{kind}
END:VCALENDAR
"""


def save(calendar, uid, text):
    """Adds the item of uid, or replaces it."""
    try:
        item = calendar.object_by_uid(uid)
        item.data = text
        item.save()
    except caldav.error.NotFoundError:
        calendar.save_event(text) if "VEVENT" in text else calendar.save_todo(text)


def items(calendar):
    """Every item of the calendar, each as an icalendar.Calendar."""
    for item in calendar.events() + calendar.todos(include_completed=True):
        yield icalendar.Calendar.from_ical(item.data)


def main(argv):
    url, user, password, action = argv[1:5]
    client = caldav.DAVClient(url, username=user or None, password=password or None)
    calendar = caldav.Calendar(client=client, url=url)
    if action in ("put", "todo"):
        uid, summary = argv[5], argv[6]
        date = argv[7] if len(argv) > 7 else "20261208"
        lines = argv[8].replace("\\n", "\n") + "\n" if len(argv) > 8 else ""
        kind, day = ("VEVENT", "DTSTART") if action == "put" else ("VTODO", "DUE")
        save(calendar, uid, ITEM.format(kind=kind, day=day, uid=uid, summary=summary, date=date, lines=lines))
    elif action == "raw":
        print(calendar.object_by_uid(argv[5]).data)
    elif action == "delete":
        calendar.object_by_uid(argv[5]).delete()
    elif action == "list":
        lines = []
        for event in calendar.events():
            component = event.vobject_instance.vevent
            lines.append("%s %s" % (component.uid.value, component.summary.value))
        for line in sorted(lines):
            print(line)
    elif action == "days":
        first = datetime.date.fromisoformat(argv[5])
        last = datetime.date.fromisoformat(argv[6])
        lines = []
        for cal in items(calendar):
            for event in recurring_ical_events.of(cal).between(first, last + datetime.timedelta(days=1)):
                start = event["DTSTART"].dt
                end = event["DTEND"].dt if "DTEND" in event else start
                day = start if not isinstance(start, datetime.datetime) else start.date()
                # An all-day event covers each day before its end.
                stop = end if not isinstance(end, datetime.datetime) else day + datetime.timedelta(days=1)
                while True:
                    if first <= day <= last:
                        lines.append("%s %s" % (day.isoformat(), event["SUMMARY"]))
                    day += datetime.timedelta(days=1)
                    if day >= stop:
                        break
        for line in sorted(lines):
            print(line)
    elif action == "todos":
        lines = []
        for cal in items(calendar):
            for todo in cal.walk("VTODO"):
                lines.append("%s %s %s %s" % (todo["DUE"].dt.isoformat(), todo.get("PRIORITY", ""),
                                              todo.get("STATUS", ""), todo["SUMMARY"]))
        for line in sorted(lines):
            print(line)
    else:
        print("unknown action", action)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
