#!/usr/bin/env python3
"""A second opinion on an iCalendar file's agenda, from dateutil's rrule.

usage: agenda_oracle.py FILE ZONE FROM DAYS
Prints "YYYY-MM-DD|item" lines, item as the tests word it: "E text" for an
untimed day, "A HH:MM HH:MM text" for a timed one (an end past midnight is
00:00), text the SUMMARY. VEVENTs only; RRULE, EXDATE, COUNT, UNTIL and
RECURRENCE-ID are dateutil's to expand, zones come from the file's VTIMEZONEs
(dateutil.tz.tzical) or the system's.
"""
import datetime as dt
import io
import re
import sys
import zoneinfo

from dateutil import rrule, tz


def unfold(data):
    # Folds may fall inside a UTF-8 character: unfold the bytes, then decode.
    data = data.replace(b"\r\n", b"\n").replace(b"\n ", b"").replace(b"\n\t", b"")
    text = data.decode("utf-8-sig")
    out = []
    for line in text.split("\n"):
        if line[:1] in (" ", "\t") and out:
            out[-1] += line[1:]
        elif line:
            out.append(line)
    return out


def split(line):
    quoted, i = False, 0
    while i < len(line):
        c = line[i]
        if c == '"':
            quoted = not quoted
        elif c == ":" and not quoted:
            break
        i += 1
    head, value = line[:i], line[i + 1:]
    parts = head.split(";")
    params = {}
    for p in parts[1:]:
        k, _, v = p.partition("=")
        params[k.upper()] = v.strip('"').strip() if k.upper() == "TZID" else v.strip('"')
    return parts[0].upper(), params, value


def components(lines):
    root = {"name": "ROOT", "props": [], "children": []}
    stack = [root]
    for line in lines:
        name, params, value = split(line)
        if name == "BEGIN":
            c = {"name": value.upper(), "props": [], "children": [], "lines": []}
            stack[-1]["children"].append(c)
            stack.append(c)
        for c in stack[1:]:
            c["lines"].append(line)
        if name == "END":
            stack.pop()
        elif name != "BEGIN":
            stack[-1]["props"].append((name, params, value))
    return root


def first(c, name):
    for p in c["props"]:
        if p[0] == name:
            return p
    return None


def unescape(v):
    out, i = "", 0
    while i < len(v):
        if v[i] == "\\" and i + 1 < len(v):
            out += "\n" if v[i + 1] in "nN" else v[i + 1]
            i += 2
        else:
            out += v[i]
            i += 1
    return out


class Zones:
    def __init__(self, calendar, local):
        self.local = local
        self.file = {}
        for c in calendar["children"]:
            if c["name"] != "VTIMEZONE":
                continue
            text = "\n".join(line if not line.upper().startswith("TZID") else "TZID:" + split(line)[2].strip()
                             for line in c["lines"] if not line.upper().startswith("X-"))
            ical = tz.tzical(io.StringIO(text))
            for key in ical.keys():
                self.file[key.strip()] = ical.get(key)

    def get(self, tzid):
        if tzid in self.file:
            return self.file[tzid]
        return zoneinfo.ZoneInfo(tzid)


def when(prop, zones):
    _, params, v = prop
    if params.get("VALUE") == "DATE" or len(v) == 8:
        return dt.date(int(v[:4]), int(v[4:6]), int(v[6:8]))
    t = dt.datetime(int(v[:4]), int(v[4:6]), int(v[6:8]), int(v[9:11]), int(v[11:13]), int(v[13:15]))
    if v.endswith("Z"):
        return t.replace(tzinfo=dt.timezone.utc)
    if "TZID" in params:
        return t.replace(tzinfo=zones.get(params["TZID"]))
    return t  # floating: local, kept naive for dateutil's UNTIL rules


def duration(v):
    m = re.fullmatch(r"([+-]?)P(?:(\d+)W)?(?:(\d+)D)?(?:T(?:(\d+)H)?(?:(\d+)M)?(?:(\d+)S)?)?", v)
    sign, w, d, h, mi, sec = m.groups()
    t = dt.timedelta(weeks=int(w or 0), days=int(d or 0), hours=int(h or 0), minutes=int(mi or 0),
                     seconds=int(sec or 0))
    return -t if sign == "-" else t


def occurrences(c, zones, lo, hi):
    start = when(first(c, "DTSTART"), zones)
    if isinstance(start, dt.datetime) and start.tzinfo is None:
        lo, hi = lo.replace(tzinfo=None), hi.replace(tzinfo=None)
    rr = first(c, "RRULE")
    if rr is None:
        return [start]
    s = rrule.rruleset()
    s.rrule(rrule.rrulestr(rr[2], dtstart=start if isinstance(start, dt.datetime)
                           else dt.datetime.combine(start, dt.time())))
    for p in c["props"]:
        if p[0] == "EXDATE":
            for v in p[2].split(","):
                x = when((p[0], p[1], v), zones)
                s.exdate(x if isinstance(x, dt.datetime) else dt.datetime.combine(x, dt.time()))
    out = s.between(lo, hi, inc=True) if isinstance(start, dt.datetime) else \
        s.between(lo.replace(tzinfo=None), hi.replace(tzinfo=None), inc=True)
    return [o if isinstance(start, dt.datetime) else o.date() for o in out]


def main():
    path, zone, frm, days = sys.argv[1], sys.argv[2], sys.argv[3], int(sys.argv[4])
    local = zoneinfo.ZoneInfo(zone)
    first_day = dt.date.fromisoformat(frm)
    last_day = first_day + dt.timedelta(days=days - 1)
    lo = dt.datetime.combine(first_day - dt.timedelta(days=2), dt.time(), local)
    hi = dt.datetime.combine(last_day + dt.timedelta(days=2), dt.time(), local)
    root = components(unfold(open(path, "rb").read()))
    agenda = []
    for cal in root["children"]:
        zones = Zones(cal, local)
        events = [c for c in cal["children"] if c["name"] == "VEVENT"]
        moved = {}
        for c in events:
            rid = first(c, "RECURRENCE-ID")
            if rid is not None:
                moved.setdefault(first(c, "UID")[2], []).append(when(rid, zones))
        def same(a, b):
            return a == b if type(a) is type(b) else False
        for c in events:
            summary = first(c, "SUMMARY")
            text = unescape(summary[2]).split("\n")[0] if summary else ""
            start = when(first(c, "DTSTART"), zones)
            end_prop = first(c, "DTEND")
            end = when(end_prop, zones) if end_prop else None
            if end is None and first(c, "DURATION") is not None:
                end = start + duration(first(c, "DURATION")[2])
            skip = moved.get(first(c, "UID")[2], []) if first(c, "RECURRENCE-ID") is None else []
            for o in occurrences(c, zones, lo, hi):
                if any(same(o, m) for m in skip):
                    continue
                if isinstance(o, dt.datetime):
                    if o.tzinfo is None:
                        o = o.replace(tzinfo=local)
                    length = (end.replace(tzinfo=None) - start.replace(tzinfo=None)) if end and end.tzinfo is None \
                        else (end - start) if end else dt.timedelta()
                    a = o.astimezone(local)
                    b = (o.astimezone(dt.timezone.utc) + length).astimezone(local)
                    stop = "00:00" if b.date() > a.date() else b.strftime("%H:%M")
                    agenda.append((a.date(), "A %s %s %s" % (a.strftime("%H:%M"), stop, text)))
                else:
                    length = (end - start).days if end else 1
                    for k in range(max(length, 1)):
                        agenda.append((o + dt.timedelta(days=k), "E " + text))
    for day, item in sorted(agenda):
        if first_day <= day <= last_day:
            print("%s|%s" % (day.isoformat(), item))


main()
