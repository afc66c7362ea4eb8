#!/usr/bin/env bash
# The HTML report in a real browser: headless Chromium loads the pages that
# tavo wrote for real logs from disk. The rendered DOM must hold one bar per
# non-empty hour cell of the text report's time charts and a legend of six
# continents per chart day, the new sections must show what the JSON of the
# same pass holds (rate bars, best-rate marks, running totals, zones, off
# periods, first-worked rows), the console must stay silent, and a screenshot
# must come out.
# Usage: html_report_in_chromium.sh TAVO SOURCE_DIR WORK_DIR
set -euo pipefail
tavo=$1 source=$2 work=$3

dir=$work/html_report_in_chromium
rm -rf "$dir"
mkdir -p "$dir"

. "$(dirname "$0")/chromium.sh"

# Non-empty hour cells over every time chart of a text report: the SUM rows'
# 24 cells that are not 0.
text_bars() {
  # A block's columns are as wide as its rule line says: 24 columns and 10 more.
  awk '{ sub(/\r$/, "") }
       /^-+$/ { w = (length($0) - 10) / 24 }
       /^SUM\|/ { for (j = 0; j < 24; j++) if (substr($0, 5 + w * j, w) + 0 > 0) n++ }
       END { print n + 0 }' "$1"
}

# Chart days with cells: the all-band SUM rows, before the per-band charts,
# whose total is above 0.
text_days() {
  awk '/^Time Chart \/ QSO  ALL BAND/ { all = 1; next }
       /^Time Chart \/ QSO / { all = 0 }
       all && /^SUM\|/ { split($0, f, "|"); if (f[3] + 0 > 0) n++ }
       END { print n + 0 }' "$1"
}

# How often a text occurs in a file; 0 is an answer, not a failure.
count() { { grep -o "$1" "$2" || true; } | wc -l; }

for log in CQWW-CW-2012_2E0ZSE.log NAQP_cw_2025_K3AJ.log; do
  cp "$source/tests/data/$log" "$dir/"
  "$tavo" report --html --json --data "$source/tests/data/zServer_CQWW.DAT" "$dir/$log" >/dev/null
  base=$dir/${log%.*}
  page=$base.html
  [ -s "$page" ] || fail "$log: no page"

  chromium_run --dump-dom "file://$page" >"$base.dom" 2>"$base.dom.log" ||
    fail "$log: chromium could not dump the DOM (see $base.dom.log)"
  chromium_run --screenshot="$base.png" --window-size=1000,9000 "file://$page" \
    >/dev/null 2>"$base.png.log" || fail "$log: chromium could not take a screenshot"

  # The browser built the page, not an error page: its title and tables are there.
  grep -Eq "<title>$log [^<]+ Worked [0-9]+ stations / File type Cabrillo</title>" "$base.dom" ||
    fail "$log: no title in the DOM"
  grep -q '<table id="continents">' "$base.dom" || fail "$log: no continent table"
  grep -q '<table id="countries">' "$base.dom" || fail "$log: no country table"

  bars=$(count '<g class="bar">' "$base.dom")
  expected=$(text_bars "$base.tavo")
  [ "$bars" -eq "$expected" ] || fail "$log: $bars bars in the DOM, $expected non-empty hour cells"
  [ "$bars" -gt 0 ] || fail "$log: no bars at all"

  days=$(text_days "$base.tavo")
  legends=$(count '<ul class="legend">' "$base.dom")
  entries=$(count '<li><svg class="sw"' "$base.dom")
  [ "$legends" -eq "$days" ] || fail "$log: $legends legends for $days chart days"
  [ "$entries" -eq $((6 * days)) ] || fail "$log: $entries legend entries for $days chart days"
  for name in "NA North America" "SA South America" "EU Europe" "AS Asia" "OC Oceania" \
    "AF Africa"; do
    grep -q "</svg>$name</li>" "$base.dom" || fail "$log: no legend entry '$name'"
  done
  if grep -Eq '(src|href)=' "$base.dom"; then fail "$log: the page refers to another file"; fi
  python3 - "$base.dom" "$base.json" <<'PY' || fail "$log: the page's new sections differ from its JSON"
import json, re, sys
dom, doc = open(sys.argv[1], encoding='utf-8').read(), json.load(open(sys.argv[2]))
def rows(table):
    m = re.search(r'<table id="%s">.*?<tbody>(.*?)</tbody>' % table, dom, re.S)
    return len(re.findall(r'<tr>', m.group(1))) if m else 0
series = doc['rates']['series']
checks = {
    'rate bars': (len(re.findall(r'<rect class="step"', dom)), sum(1 for s in series if s['qsos'])),
    'best-rate marks': (len(re.findall(r'<rect class="best"', dom)),
                        sum(1 for b in doc['rates']['best'] if b['qsos'])),
    'zone rows': (rows('zones'), len(doc['zones'])),
    'mode rows': (rows('modes'), len(doc['modes'])),
    'off periods': (rows('off-periods'), len(doc['off_time']['periods'])),
    'first-worked rows': (rows('first-worked'), sum(1 for c in doc['countries'] if c['first'])),
}
for line in ('run-qsos', 'run-countries', 'run-zones'):
    m = re.search(r'<polyline[^>]*id="%s"[^>]*points="([^"]*)"' % line, dom)
    checks[line + ' points'] = (len(m.group(1).split()) if m else -1, len(series))
bad = {k: v for k, v in checks.items() if v[0] != v[1]}
print('  ' + ', '.join('%s %d' % (k, v[0]) for k, v in checks.items()))
if bad:
    print('  page vs JSON:', bad, file=sys.stderr)
    sys.exit(1)
PY

  if grep -h 'CONSOLE' "$base.dom.log" "$base.png.log"; then
    fail "$log: the console has messages"
  fi

  [ -s "$base.png" ] || fail "$log: no screenshot"
  [ "$(head -c 8 "$base.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
    fail "$log: the screenshot is no PNG"
  echo "$log: $bars bars, $legends legends of 6, screenshot $(wc -c <"$base.png") bytes"
done
