#!/usr/bin/env bash
# The comparison page in a real browser: headless Chromium loads the page
# that `tavo compare` wrote for three real logs. Its rendered lines, read
# back through the chart's scale, must be the hours of the JSON of the same
# logs, its legend must name the JSON's logs in their colours, and the
# console must stay silent. A field page is loaded the same way.
# Usage: compare_in_chromium.sh TAVO SOURCE_DIR WORK_DIR
set -euo pipefail
tavo=$1 source=$2 work=$3

if ! command -v python3 >/dev/null; then
  echo "python3 is not installed (bash scripts/install-deps.sh browser): skipped"
  exit 77
fi

dir=$work/compare_in_chromium
rm -rf "$dir"
mkdir -p "$dir/field"

. "$(dirname "$0")/chromium.sh"

data=$source/tests/data
logs=("$data/CQWW-CW-2005_7K1CPT.log" "$data/CQWW-CW-2005_4S7RS.log" "$data/CQWW-CW-2005_4S7RS.log")
# The third is a copy under another name, so three lines overlap on one clock.
cp "${logs[1]}" "$dir/field/4S7RS-copy.log"
logs[2]=$dir/field/4S7RS-copy.log
cp "$data"/CQWW-CW-20*.log "$dir/field/"

"$tavo" compare --data "$data/zServer_CQWW.DAT" -o "$dir/three.html" "${logs[@]}"
"$tavo" compare --data "$data/zServer_CQWW.DAT" --json -o "$dir/three.json" "${logs[@]}"
"$tavo" compare --data "$data/zServer_CQWW.DAT" --field "$dir/field" -o "$dir/field.html" "${logs[0]}" \
  2>"$dir/field.err"
"$tavo" compare --data "$data/zServer_CQWW.DAT" --field "$dir/field" --json -o "$dir/field.json" \
  "${logs[0]}" 2>>"$dir/field.err"

for page in three field; do
  chromium_run --dump-dom "file://$dir/$page.html" >"$dir/$page.dom" 2>"$dir/$page.dom.log" ||
    fail "$page: chromium could not dump the DOM"
  if grep -h 'CONSOLE' "$dir/$page.dom.log"; then fail "$page: the console has messages"; fi
  if grep -Eq '(src|href)=' "$dir/$page.dom"; then fail "$page: the page refers to another file"; fi
done

python3 - "$dir" <<'EOF' || fail "the rendered page does not match the JSON"
import json, re, sys

d = sys.argv[1]

def polylines(dom, chart):
    svg = re.search(r'<svg class="chart" id="%s"[^>]*>(.*?)</svg>' % chart, dom, re.S)
    assert svg, "no chart " + chart
    head = re.search(r'<svg class="chart" id="%s"([^>]*)>' % chart, dom).group(1)
    top, y0, h = (float(re.search(r'%s="([0-9.]+)"' % k, head).group(1))
                  for k in ("data-top", "data-y0", "data-height"))
    lines = []
    for stroke, points in re.findall(r'<polyline[^>]*stroke="([^"]+)"[^>]*points="([^"]*)"',
                                     svg.group(1)):
        ys = [float(p.split(",")[1]) for p in points.split()]
        lines.append((stroke, [round((y0 - y) / h * top) for y in ys]))
    return lines

def strip(values):
    while values and values[0] == 0: values = values[1:]
    while values and values[-1] == 0: values = values[:-1]
    return values

def legend(dom):
    ul = re.search(r'<ul class="legend" id="legend">(.*?)</ul>', dom, re.S).group(1)
    return re.findall(r'<li[^>]*>.*?fill="([^"]+)".*?</svg>([^<]*)</li>', ul, re.S)

dom = open(d + "/three.dom").read()
j = json.load(open(d + "/three.json"))
labels = legend(dom)
assert [l for _, l in labels] == [(log["call"] or log["name"]) for log in j["logs"]], labels
per_hour, cumulative = polylines(dom, "per-hour"), polylines(dom, "cumulative")
assert len(per_hour) == len(cumulative) == len(j["logs"]) == 3
for (colour, _), (stroke, values), (_, sums), log in zip(labels, per_hour, cumulative, j["logs"]):
    hours = [h["qsos"] for h in log["hours"]]
    assert stroke == colour, (stroke, colour)
    assert strip(values) == strip(hours), (log["name"], values, hours)
    assert sums[-1] == sum(hours), (log["name"], sums[-1], sum(hours))
print("three logs: %d lines per chart, %d hours on the axis" % (len(per_hour), len(per_hour[0][1])))

dom = open(d + "/field.dom").read()
f = json.load(open(d + "/field.json"))["field"]
lines = polylines(dom, "per-hour")
assert len(lines) == 4 and [len(v) for _, v in lines] == [len(f["hours"])] * 4
for key, (_, values) in zip(("qsos", "median", "p75", "p90"), lines):
    assert values == [h[key] for h in f["hours"]], (key, values)
rows = re.findall(r'<table id="field-hours">.*?</table>', dom, re.S)[0].count("<tr>") - 1
assert rows == len(f["hours"]), rows
print("field of %d logs: 4 lines of %d hours" % (f["logs"], len(f["hours"])))
EOF

chromium_run --screenshot="$dir/three.png" --window-size=1000,2400 "file://$dir/three.html" \
  >/dev/null 2>"$dir/three.png.log" || fail "chromium could not take a screenshot"
[ "$(head -c 8 "$dir/three.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] ||
  fail "the screenshot is no PNG"
echo "screenshot $(wc -c <"$dir/three.png") bytes"
