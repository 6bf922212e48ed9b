#pragma once
// The hedge between a security's convert position and its stock (swap)
// position, in percent of the shares the convert position stands for.
#include "records/CSecurity.h"

namespace zemra {

// The hedge the positions give, rounded to a whole number with halves to
// even; 0 for a stock and without a convert position or ratio.
double HedgePercent(const CSecurity& sec);

// The stock position that hedges the convert position by `hedge` percent
// (not finite when the number is too large).
double HedgedStockPosition(const CSecurity& sec, double hedge);

}  // namespace zemra
