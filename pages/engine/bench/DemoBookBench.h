// Timing of ScenarioDetail-sized calls for every convertible of a demo book.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ScenarioValuation.h"

namespace zemra::engine::bench {

struct DemoSecurity {
    long id = 0;
    ValuationInput input;
};

// The convertibles of a zemra-pages demo book (stocks left out), valued on
// a fixed date; empty when the file cannot be read.
std::vector<DemoSecurity> LoadDemoBook(const std::string& path);

// A full matrix of 5 stock x 5 rate x 5 volatility x 5 days changes (625),
// times 5 spread changes with `withSpread` (3125).
std::vector<ScenarioShift> ScenarioMatrix(bool withSpread);

// Values every convertible of the book at `path` (a zemra-pages demo book)
// under a full matrix of 625 scenarios (3125 with `full`) and prints the
// times; `only`, when not empty, picks one security id.
void DemoBookTimes(const std::string& path, const std::string& only, bool full);

// For every seventh scenario of the 625, the estimated price against the
// model's price at the scenario's implied volatility and at its implied
// spread, each solved afresh: the largest gap of each convertible, points.
void DemoBookImpliedCheck(const std::string& path, const std::string& only);

// Today's fair value of every convertible on the default grid and on the
// default stock grid with four times the time steps, each against a grid
// with four times the nodes and sixteen times the time steps (points).
void DemoBookGridCheck(const std::string& path);

}  // namespace zemra::engine::bench
