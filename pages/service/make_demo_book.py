#!/usr/bin/env python3
"""Writes demo-book.json: the demo book zemra-pages imports on first start.

Deterministic (a fixed seed): running it again writes the same file. About
forty convertibles of varied moneyness, credit, coupons, call and put
features and currencies on thirty stocks with synthetic names, with their
market data, curves, option lists, stored scenarios and the host page's
portfolio.

    python3 pages/service/make_demo_book.py [OUTPUT]
"""
import json
import os
import random
import sys

SEED = 20261207
STOCKS = 30
CONVERTIBLES = 40

# Currency: units per US dollar, coupon frequency, curve code.
CURRENCIES = {
    "USD": (1.0, 2, "USG"),
    "EUR": (0.92, 1, "EUR"),
    "GBP": (0.79, 2, "GBP"),
    "JPY": (151.2, 2, "JPY"),
    "CHF": (0.88, 1, "CHF"),
}
CURVES = [
    ("USG", "US Government", [(0.25, 4.35), (1, 4.05), (2, 3.85), (5, 3.9), (10, 4.15), (30, 4.4)]),
    ("EUR", "Euro Swap", [(0.25, 2.6), (1, 2.35), (2, 2.25), (5, 2.4), (10, 2.65), (30, 2.8)]),
    ("GBP", "Sterling Gilts", [(0.25, 4.6), (1, 4.3), (2, 4.0), (5, 3.95), (10, 4.2), (30, 4.6)]),
    ("JPY", "Yen Swap", [(0.25, 0.25), (1, 0.35), (2, 0.5), (5, 0.75), (10, 1.05), (30, 1.8)]),
    ("CHF", "Swiss Confederation", [(0.25, 0.9), (1, 0.8), (2, 0.75), (5, 0.8), (10, 0.95), (30, 1.1)]),
]
FIRST = ["Orv", "Jorv", "Bral", "Tenn", "Vex", "Cald", "Mir", "Quon", "Sel", "Dorr", "Pyx", "Alun",
         "Zeph", "Hald", "Nov", "Ryl", "Thess", "Ulm", "Wend", "Yar", "Fenn", "Gart", "Isk", "Lom",
         "Marr", "Ost", "Pell", "Sarn", "Tov", "Varr"]
SECOND = ["ane", "rel", "ion", "ova", "ix", "era", "ent", "ara", "ium", "ora"]
SECTORS = ["Systems", "Mobility", "Biotherapeutics", "Energy", "Semiconductors", "Logistics", "Media",
           "Materials", "Networks", "Health", "Robotics", "Foods", "Software", "Aerospace", "Retail"]


def r2(x):
    return round(x, 2)


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "demo-book.json")
    rnd = random.Random(SEED)
    securities = []
    stocks = []
    currencies = ["USD"] * 18 + ["EUR"] * 5 + ["GBP"] * 3 + ["JPY"] * 2 + ["CHF"] * 2
    for i in range(STOCKS):
        name = FIRST[i] + SECOND[rnd.randrange(len(SECOND))]
        sector = SECTORS[rnd.randrange(len(SECTORS))]
        currency = currencies[i]
        fx = CURRENCIES[currency][0]
        price = r2(rnd.uniform(6, 160) * (100 if currency == "JPY" else 1))
        stock = {
            "id": 2001 + i,
            "description": f"{name} {sector}",
            "ticker": (name[:3] + sector[0]).upper(),
            "type": "E",
            "currency": currency,
            "fxToUsd": fx,
            "price": price,
            "volatility": r2(rnd.uniform(18, 65)),
            "borrowCost": r2(rnd.choice([0.25, 0.3, 0.5, 0.75, 1.5, 3.0, 6.5])),
            "defaults": {"convertPosition": 1000 * rnd.randint(1, 20), "curve": CURRENCIES[currency][2]},
        }
        kind = rnd.random()
        if kind < 0.5:
            quarterly = r2(price * rnd.uniform(0.002, 0.008))
            stock["dividends"] = [{"exDate": f"{2027 + q // 4}-{3 * (q % 4) + 2:02d}-15", "amount": quarterly}
                                  for q in range(8)]
            stock["defaults"]["divType"] = 1
        elif kind < 0.8:
            stock["dividendYield"] = r2(rnd.uniform(0.5, 4.0))
            stock["defaults"]["divType"] = 2
        securities.append(stock)
        stocks.append(stock)

    types = ["B"] * 30 + ["AS"] * 4 + ["DS"] * 3 + ["P"] * 3
    rnd.shuffle(types)
    for k in range(CONVERTIBLES):
        stock = stocks[k % STOCKS] if k < STOCKS else stocks[rnd.randrange(STOCKS)]
        currency = stock["currency"]
        fx, frequency, curve = CURRENCIES[currency]
        face = 100000 if currency == "JPY" else 1000
        # Moneyness: conversion premium from deep in the money to far out of it.
        premium = [-0.35, -0.15, 0.05, 0.2, 0.35, 0.6, 1.0][k % 7] + rnd.uniform(-0.05, 0.05)
        conversion_price = stock["price"] * (1 + premium)
        ratio = round(face / conversion_price, 4)
        parity = ratio * stock["price"] / face * 100
        spread = rnd.choice([90, 150, 220, 300, 420, 600, 850])
        coupon = rnd.choice([0, 0, 0.5, 1, 1.5, 2.25, 3, 4.5, 6])
        year = 2027 + rnd.randint(1, 6)
        month = rnd.choice([3, 6, 9, 12])
        maturity = f"{year}-{month:02d}-15"
        issue = f"{year - 6}-{month:02d}-15"
        floor = max(60.0, 100 - spread / 100 * (year - 2026) * 0.8 + coupon * 2)
        price = r2(max(parity, floor) + rnd.uniform(2, 12))
        name = stock["description"].split()[0]
        position = 100 * rnd.randint(1, 30) if face == 1000 else rnd.randint(1, 30)
        delta = min(0.95, max(0.15, 0.5 - premium * 0.4))
        bond = {
            "id": 1001 + k,
            "description": f"{name} {coupon:g}% {year} CV",
            "ticker": f"{stock['ticker']} {coupon:g} {year % 100:02d}",
            "type": types[k],
            "underlying": stock["id"],
            "currency": currency,
            "fxToUsd": fx,
            "price": price,
            "creditSpread": spread,
            "face": face,
            "coupon": coupon,
            "frequency": frequency if coupon > 0 else 0,
            "dayCount": "30/360" if currency == "USD" else "ACT/ACT" if currency == "EUR" else "ACT/365",
            "issueDate": issue,
            "maturity": maturity,
            "redemption": 100,
            "conversionRatio": ratio,
            "defaults": {
                "convertPosition": position,
                "stockPosition": -round(position * ratio * delta, -1),
                "curve": curve,
                "useBorrow": 1 if k % 3 == 0 else 0,
                "capitalRule": 1 + k % 3,
                "convCapital": rnd.choice([10, 15, 20]),
                "stockCapital": rnd.choice([10, 15]),
                "finance": 5.25 if currency == "USD" else 3.5,
                "rebate": 4.5 if currency == "USD" else 2.75,
                "tail": 5.25 if currency == "USD" else 3.5,
                "discount": k % 3,
                "divType": stock["defaults"].get("divType", 2),
                "recvDecay": "R" if k % 5 else "D",
                "recvDecayValue": 40 if k % 5 else 0.5,
                "bankruptcy": 1 if k % 4 == 0 else 0,
            },
        }
        if k % 2 == 0:
            call = {"from": f"{year - 3}-{month:02d}-15", "to": maturity, "price": 100}
            if k % 4 == 0:
                call["trigger"] = 130
            bond["calls"] = [call]
            bond["callPriceKind"] = "clean" if k % 6 else "dirty"
        if k % 5 == 1:
            bond["puts"] = [{"date": f"{year - 2}-{month:02d}-15", "price": 100}]
        securities.append(bond)

    book = {
        "securities": securities,
        "curves": [{"code": c, "name": n, "points": [{"tenor": t, "rate": r} for t, r in p]} for c, n, p in CURVES],
        "tuners": [{"id": 1, "name": "Constant implied volatility"}, {"id": 2, "name": "Constant cheapness"},
                   {"id": 3, "name": "Constant implied spread"}],
        "callAdjustments": [{"id": 0, "name": "None"}, {"id": 1, "name": "Call price + points"},
                            {"id": 2, "name": "Call notice (days)"}],
        "capitalRules": [{"id": 1, "name": "Gross legs", "method": "gross"},
                         {"id": 2, "name": "Net hedged", "method": "net"},
                         {"id": 3, "name": "Larger leg", "method": "larger"}],
        "scenarios": [
            {"description": "Crash -30%", "stockChange": -30, "volChange": 25, "spreadChange": 50, "autoLoad": True},
            {"description": "Rates +100bp", "rateChange": 100, "autoLoad": True},
            {"description": "Vol crush -20%", "volChange": -20, "tuner": 2},
            {"description": "Spreads wider 50% in 90d", "spreadChange": 50, "timeChange": 90, "tuner": 3},
            {"description": "Melt-up +25%", "stockChange": 25, "volChange": -10},
        ],
        "hostPage": {
            "securities": [1001, 1002, 1003, 1005, 1008, 1013, 1021, 2004],
            "scenarios": [
                {"description": "Stock +10%", "stockChange": 10},
                {"description": "Stock -10%", "stockChange": -10},
                {"description": "Rates +50bp", "rateChange": 50},
                {"description": "Spread +25% in 30d", "spreadChange": 25, "timeChange": 30},
            ],
        },
    }
    with open(out, "w", encoding="utf-8") as f:
        json.dump(book, f, indent=1)
        f.write("\n")


if __name__ == "__main__":
    main()
