#!/usr/bin/env python3
# genlog.py N OUT [wide]: a Cabrillo log of N QSOs over two days, on the
# template's columns or (wide) in the layout today's loggers write, with calls
# drawn from MASTER.SCP beside the project; the same log for the same N.
import os
import random
import sys

n = int(sys.argv[1])
out = sys.argv[2]
wide = len(sys.argv) > 3
here = os.path.dirname(os.path.abspath(__file__))
scp = os.path.join(here, "..", "..", "shared", "countrydata", "MASTER.SCP")
calls = [l.strip() for l in open(scp, encoding="latin-1") if l.strip() and not l.startswith("#")]
random.seed(1)
lines = ["START-OF-LOG: 3.0", "CONTEST: CQ-WW-CW", "CALLSIGN: K3LR"]
for i in range(n):
    m = i * 2880 // n
    date = "2012-11-24" if m < 1440 else "2012-11-25"
    t = "%02d%02d" % (m // 60 % 24, m % 60)
    c = random.choice(calls)
    f = random.choice(["14025", " 7025", "21025", "28025", " 3525", " 1825"])
    if wide:
        lines.append("QSO: %7s CW %s %s K3LR             599 5     %-16s 599  %02d      0"
                     % (f.strip(), date, t, c, i % 40 + 1))
    else:
        lines.append("QSO: %5s CW %s %s %-13s 599 25     %-13s 599 14" % (f, date, t, "K3LR", c))
lines.append("END-OF-LOG:")
open(out, "w", newline="").write("\r\n".join(lines) + "\r\n")
