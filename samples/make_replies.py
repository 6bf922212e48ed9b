"""Writes replies.json: canned server replies for the sample portfolio, so
that the headless host and the demo page run without valuation servers.
Figures are plausible, not priced: each scenario moves the current figures
by its stock change."""
import json

BASE = "http://127.0.0.1:8080/pages/"
# secId: stock price, est price, fair value, bond floor, delta, gamma, rho,
# vega, imp vol, imp spread, pct cheap, ytm, ytp, ytc, crd sprd 01
SECURITIES = {
    1001: [42.5, 105.25, 107.1, 88.4, 58.2, 1.35, -0.21, 0.41, 31.2, 340, 1.73, 1.42, 1.10, 0.95, -0.18],
    1002: [63.1, 63.1, 63.1, 0, 100, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0],
    1003: [18.2, 98.5, 101.4, 91.2, 44.5, 2.10, -0.33, 0.52, 39.1, 415, 2.86, 2.15, 1.90, 1.75, -0.27],
    1004: [55.0, 101.0, 102.2, 94.5, 36.8, 0.95, -0.30, 0.36, 29.4, 260, 1.17, 0.61, 0.40, 0.35, -0.22],
}
STOCK_CHANGES = [-30, 10, -10, 0, 0]   # Crash, +10%, -10%, rates, spread


def piece(current, stock_change):
    move = stock_change / 100.0
    updated = list(current)
    updated[0] = round(current[0] * (1 + move), 4)
    updated[1] = round(current[1] * (1 + move * current[4] / 100.0), 4)
    updated[2] = round(current[2] * (1 + move * current[4] / 100.0), 4)
    updated[4] = round(min(100.0, max(0.0, current[4] * (1 + move))), 4)
    return ";".join(str(v) for v in current + updated + [0])


replies = []
for sec_id, figures in SECURITIES.items():
    pieces = [piece(figures, s) for s in STOCK_CHANGES]
    replies.append({"match": BASE + "ScenarioDetail.asp?Secid=%d&" % sec_id, "reply": "|".join(pieces)})
    carry = "|".join("%.2f;%.2f;2;%.2f;%.2f;%.2f;%.2f;%.2f;1;%.2f;%.2f;%.2f" % (
        -120.5, 310.25, 189.75, -15.0, 174.75, 22.5, 40.0, 1.25, 0.85, 0.4) for _ in STOCK_CHANGES)
    replies.append({"match": BASE + "CarryCalc.asp?Secid=%d&" % sec_id, "reply": carry})
replies.append({"match": BASE + "CapitalCalc.asp", "reply": "15250.5"})
replies.append({"match": BASE + "QuickSearch.asp?QuickSearch=Echo", "reply":
                "1005;Echo Inc 3% 2032 CV;B;800;99.5;310;1;0;0;-9000;25.4;35;USG;10;0;30;1;15;15;5;1;0;0;1;12/01/2032;1;0;1;R;40;0;0"})
replies.append({"match": BASE + "GetScenario.asp", "reply": "501;Crash -30%;-30;0;20;0;50;100;0;1;Y|502;Vol down 20%;0;0;-20;0;0;100;0;2;N"})
replies.append({"match": BASE + "InsertScenario.asp", "reply": "503"})
replies.append({"match": BASE + "ModScenario.asp", "reply": ""})
replies.append({"match": BASE + "DelScenario.asp", "reply": ""})

with open("replies.json", "w") as out:
    json.dump(replies, out, indent=1)
    out.write("\n")
