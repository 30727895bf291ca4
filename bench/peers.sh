#!/usr/bin/env bash
# Velmo against calcurse and remind on the same events (make bench-peers).
#
#   bench/peers.sh BUILD_DIR [EVENTS] [RUNS]
#
# Writes EVENTS (default 6000) events for each program, checks that the
# three agendas of 2027 hold the same number of occurrences, then times each
# program as a whole process, RUNS (default 11) counted runs after one
# warm-up (fewer, at least 5, where they would take over 20 s), over 1, 31
# and 365 days from 1 January 2027 and with empty data, and prints the
# medians and ratios as a Markdown table (also written to
# BUILD_DIR/bench-peers.md). remind works in months, so its 31 and 365 days
# are January and the twelve months of 2027.
set -euo pipefail
build=$(cd "${1:?usage: bench/peers.sh BUILD_DIR [EVENTS] [RUNS]}" && pwd)
events=${2:-6000}
runs=${3:-11}
peers=$build/velmo-peers
cli=$build/velmo-cli
headless=$build/velmo-headless
for tool in calcurse remind; do
  command -v "$tool" >/dev/null || { echo "bench-peers: $tool is missing (setup/packages-peers.txt)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$peers" generate "$work/full" "$events"
mkdir -p "$work/empty/velmo" "$work/empty/calcurse" "$work/empty/remind"
: >"$work/empty/velmo/record"
: >"$work/empty/calcurse/apts"
: >"$work/empty/calcurse/todo"
: >"$work/empty/remind/reminders"
echo quit >"$work/quit"

calcurse_query() {  # DATA_DIR DAYS [FORMAT ARGS]
  local dir=$1 days=$2
  shift 2
  calcurse -D "$dir" -C "$dir" --read-only -Q --from 01/01/2027 --days "$days" "$@"
}

# Occurrences of 2027: Velmo's schedules, calcurse's appointments and
# events, remind's calendar lines.
velmo_count=$(cd "$work/full/velmo" && "$cli" agenda --from 2027-01-01 --days 365 | grep -c '^  schedule' || true)
calcurse_count=$(calcurse_query "$work/full/calcurse" 365 --format-apt='A\n' --format-recur-apt='A\n' \
  --format-event='E\n' --format-recur-event='E\n' | grep -c -E '^[AE]$' || true)
remind_count=$(remind -s12 "$work/full/remind/reminders" 2027-01-01 | wc -l)
echo "occurrences in 2027: Velmo $velmo_count, calcurse $calcurse_count, remind $remind_count"
if [ "$velmo_count" != "$calcurse_count" ] || [ "$velmo_count" != "$remind_count" ] || [ "$velmo_count" -eq 0 ]; then
  echo "bench-peers: the three agendas disagree" >&2
  exit 1
fi

median() {  # DIR COMMAND...: the median wall time in ms
  local dir=$1
  shift
  local out
  out=$("$peers" time "$runs" -C "$dir" -- "$@")
  local args="${*:2}"
  [ "${out##* }" = "$runs" ] || echo "$(basename "$1") ${args//$work\//}: ${out##* } runs" >>"$work/fewer"
  echo "${out%% *}"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (a == "" || b == "" || b == 0) print "-"; else printf "%.1f", a / b }'; }

true_ms=$(median "$work" /bin/true)
rows=()
row() {  # LABEL VELMO CALCURSE REMIND
  local c=${3:-} r=${4:-}
  rows+=("| $1 | $2 | ${c:--} | ${r:--} | $(ratio "$2" "$true_ms") | $(ratio "$c" "$2") | $(ratio "$r" "$2") |")
}

for data in empty full; do
  d=$work/$data
  for days in 1 31 365; do
    [ "$data" = empty ] && [ "$days" != 1 ] && continue
    v=$(median "$d/velmo" "$cli" agenda --from 2027-01-01 --days "$days")
    c=$(median "$d" calcurse -D "$d/calcurse" -C "$d/calcurse" --read-only -Q --from 01/01/2027 --days "$days")
    case $days in
      1) r=$(median "$d" remind -q "$d/remind/reminders" 2027-01-01) ;;
      31) r=$(median "$d" remind -s1 "$d/remind/reminders" 2027-01-01) ;;
      365) r=$(median "$d" remind -s12 "$d/remind/reminders" 2027-01-01) ;;
    esac
    if [ "$data" = empty ]; then
      row "start-up, empty data (agenda of 1 day)" "$v" "$c" "$r"
    else
      row "agenda of $days day$([ "$days" = 1 ] || echo s), $events events" "$v" "$c" "$r"
    fi
  done
done
v=$(median "$work/full/velmo" "$headless" --now 2027-01-15T09:00 --script "$work/quit")
row "window program to its first frame and out, $events entries" "$v"

{
  echo "Whole-process wall time, median of $runs runs after a warm-up, in ms; /bin/true: $true_ms ms."
  echo
  echo "| what | Velmo | calcurse | remind | Velmo ÷ /bin/true | calcurse ÷ Velmo | remind ÷ Velmo |"
  echo "| --- | ---: | ---: | ---: | ---: | ---: | ---: |"
  printf '%s\n' "${rows[@]}"
  if [ -s "$work/fewer" ]; then
    echo
    echo "Fewer runs where $runs would take over 20 s:"
    sed 's/^/- /' "$work/fewer"
  fi
} | tee "$build/bench-peers.md"
