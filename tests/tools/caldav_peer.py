#!/usr/bin/python3
"""A second CalDAV client (python3-caldav) for the sync tests: the phone.

caldav_peer.py COLLECTION USER PASSWORD put UID SUMMARY   add or replace an event
caldav_peer.py COLLECTION USER PASSWORD delete UID        delete the event of UID
caldav_peer.py COLLECTION USER PASSWORD list              UID and SUMMARY, one a line, by UID
"""
import sys

import caldav

EVENT = """BEGIN:VCALENDAR
VERSION:2.0
PRODID:-//velmo tests//peer//EN
BEGIN:VEVENT
UID:{uid}
DTSTAMP:20261207T090000Z
DTSTART;VALUE=DATE:20261208
DTEND;VALUE=DATE:20261209
SUMMARY:{summary}
END:VEVENT
END:VCALENDAR
"""


def main(argv):
    url, user, password, action = argv[1:5]
    client = caldav.DAVClient(url, username=user or None, password=password or None)
    calendar = caldav.Calendar(client=client, url=url)
    if action == "put":
        uid, summary = argv[5], argv[6]
        try:
            event = calendar.event_by_uid(uid)
            event.data = EVENT.format(uid=uid, summary=summary)
            event.save()
        except caldav.error.NotFoundError:
            calendar.save_event(EVENT.format(uid=uid, summary=summary))
    elif action == "delete":
        calendar.event_by_uid(argv[5]).delete()
    elif action == "list":
        lines = []
        for event in calendar.events():
            component = event.vobject_instance.vevent
            lines.append("%s %s" % (component.uid.value, component.summary.value))
        for line in sorted(lines):
            print(line)
    else:
        print("unknown action", action)
        return 2
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
