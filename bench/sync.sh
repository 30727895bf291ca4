#!/usr/bin/env bash
# velmo-cli sync against a local Radicale, beside vdirsyncer on the same
# items (make bench-sync).
#
#   bench/sync.sh BUILD_DIR [EVENTS]
#
# Writes EVENTS (default 6000) entries as bench-peers does, starts Radicale
# on a free port of 127.0.0.1 in a temporary folder, and times three syncs
# with each client, each into a calendar of its own: the first (everything
# goes up), one with nothing changed, and one after a change on each side
# (an item added here, one added on the server). For each: wall time, the
# client's CPU time, Radicale's CPU time and the requests Radicale saw.
# Prints a Markdown table (also written to BUILD_DIR/bench-sync.md).
set -euo pipefail
build=$(cd "${1:?usage: bench/sync.sh BUILD_DIR [EVENTS]}" && pwd)
events=${2:-6000}
cli=$build/velmo-cli
peers=$build/velmo-peers
for tool in radicale vdirsyncer curl; do
  command -v "$tool" >/dev/null || { echo "bench-sync: $tool is missing (setup/packages.txt)" >&2; exit 1; }
done

work=$(mktemp -d)
radicale_pid=
cleanup() {
  [ -z "$radicale_pid" ] || kill "$radicale_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

port=$(/usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
root=http://127.0.0.1:$port
echo "alice:secret" >"$work/users"
cat >"$work/radicale.conf" <<CONF
[server]
hosts = 127.0.0.1:$port
[auth]
type = htpasswd
htpasswd_filename = $work/users
htpasswd_encryption = plain
[rights]
type = owner_only
[storage]
filesystem_folder = $work/collections
[logging]
level = info
CONF
radicale -C "$work/radicale.conf" >"$work/radicale.log" 2>&1 &
radicale_pid=$!
for _ in $(seq 100); do curl -s -o /dev/null "$root/" && break; sleep 0.1; done
dav() { curl -s -o /dev/null -w '%{http_code}' -u alice:secret "$@"; }
dav -X PROPFIND "$root/alice/" >/dev/null
for cal in velmo vdir; do
  [ "$(dav -X MKCALENDAR "$root/alice/$cal/")" = 201 ] || { echo "bench-sync: no calendar $cal" >&2; exit 1; }
done

# One entry short: the change here is an entry added, and the entry table
# holds 6000.
"$peers" generate "$work/data" $((events - 1)) >/dev/null
velmo=$work/data/velmo
# vdirsyncer's side: the same items, one file each, as export-ics writes them.
mkdir -p "$work/vdir" "$work/status"
(cd "$velmo" && "$cli" export-ics) | /usr/bin/python3 -c '
import hashlib, sys, icalendar
cal = icalendar.Calendar.from_ical(sys.stdin.read())
zones = [c for c in cal.walk("VTIMEZONE")]
items = {}
for c in cal.subcomponents:
    if c.name in ("VEVENT", "VTODO"):
        items.setdefault(str(c["UID"]), []).append(c)
for uid, parts in items.items():
    one = icalendar.Calendar()
    one.add("VERSION", "2.0")
    one.add("PRODID", cal["PRODID"])
    for z in zones + parts:
        one.add_component(z)
    name = hashlib.sha1(uid.encode()).hexdigest()
    open(sys.argv[1] + "/" + name + ".ics", "wb").write(one.to_ical())
' "$work/vdir"
cat >"$work/vdirsyncer.conf" <<CONF
[general]
status_path = "$work/status/"
[pair bench]
a = "local"
b = "remote"
collections = null
conflict_resolution = "a wins"
[storage local]
type = "filesystem"
path = "$work/vdir/"
fileext = ".ics"
[storage remote]
type = "caldav"
url = "$root/alice/vdir/"
username = "alice"
password = "secret"
CONF

server_cpu() { awk '{ print $14 + $15 }' "/proc/$radicale_pid/stat"; }
requests() { grep -c ' request for ' "$work/radicale.log" || true; }
ticks=$(getconf CLK_TCK)
rows=()
measure() {  # LABEL COMMAND...: one row of wall, client CPU, server CPU, requests
  local label=$1
  shift
  local cpu0 req0 wall user sys
  cpu0=$(server_cpu)
  req0=$(requests)
  local TIMEFORMAT='%R %U %S'
  read -r wall user sys < <({ time "$@" >"$work/out" 2>"$work/err"; } 2>&1) ||
    { echo "bench-sync: $label failed:" >&2; cat "$work/out" "$work/err" >&2; exit 1; }
  local cpu=$(( $(server_cpu) - cpu0 )) req=$(( $(requests) - req0 ))
  rows+=("$(awk -v l="$label" -v w="$wall" -v u="$user" -v s="$sys" -v c="$cpu" -v t="$ticks" -v r="$req" \
    'BEGIN { printf "| %s | %.2f | %.0f | %.2f | %d |", l, w, (u + s) * 1000, c / t, r }')")
  echo "${rows[-1]}" >&2  # as it comes: a first sync of thousands takes minutes
}
event() {  # UID: one all-day event put on the server, as a phone would
  printf 'BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//bench//EN\r\nBEGIN:VEVENT\r\nUID:%s\r\nDTSTAMP:20270101T000000Z\r\nDTSTART;VALUE=DATE:20270105\r\nSUMMARY:phone\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n' "$1" |
    dav -X PUT -H 'Content-Type: text/calendar' --data-binary @- "$root/alice/$2/$1.ics" >/dev/null
}

export VELMO_SYNC_PASSWORD=secret
measure "velmo-cli: first sync, $((events - 1)) entries" "$cli" --folder "$velmo" sync --url "$root/alice/velmo/" --user alice
measure "velmo-cli: nothing changed" "$cli" --folder "$velmo" sync
"$cli" --folder "$velmo" add schedule 2027-01-05 here >/dev/null
event phone-velmo velmo
measure "velmo-cli: one change on each side" "$cli" --folder "$velmo" sync
grep -q '^sync: 1 up, 1 down' "$work/out" || { echo "bench-sync: velmo-cli did not take both changes" >&2; exit 1; }

vdirsyncer -c "$work/vdirsyncer.conf" discover bench >/dev/null 2>&1 </dev/null
measure "vdirsyncer: first sync, same items" vdirsyncer -c "$work/vdirsyncer.conf" sync
measure "vdirsyncer: nothing changed" vdirsyncer -c "$work/vdirsyncer.conf" sync
sed -i 's/^SUMMARY:.*/SUMMARY:here/' "$(ls "$work"/vdir/*.ics | head -1)"
event phone-vdir vdir
measure "vdirsyncer: one change on each side" vdirsyncer -c "$work/vdirsyncer.conf" sync

{
  echo "Radicale $(radicale --version 2>/dev/null | head -1), vdirsyncer $(vdirsyncer --version | awk '{ print $NF }'), $events entries, loopback."
  echo
  echo "| sync | wall s | client CPU ms | Radicale CPU s | requests |"
  echo "| --- | ---: | ---: | ---: | ---: |"
  printf '%s\n' "${rows[@]}"
} | tee "$build/bench-sync.md"
