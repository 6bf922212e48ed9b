// Brent's method on a bracket: the root of a continuous function that
// changes sign between the ends.
#pragma once

#include <functional>

namespace zemra::engine {

// Finds x in [low, high] with f(x) = 0 within `tolerance` in x. False when
// f has the same sign at both ends (no bracketed root).
bool FindRoot(const std::function<double(double)>& f, double low, double high, double tolerance, double& root,
              int maxIterations = 100);

// The same with f already known at both ends (flow and fhigh).
// valueTolerance: also stop where |f| is at most this.
bool FindRootKnownEnds(const std::function<double(double)>& f, double low, double high, double flow, double fhigh,
                       double tolerance, double& root, int maxIterations = 100, double valueTolerance = 0);

// Searches outward from `start` (f known there) for a sign change, with
// secant steps that grow when they fall short, within [low, high]; then
// refines it with Brent's method. `firstStep` gives the first step's size and
// direction. False when no sign change is found before a limit.
bool FindRootFrom(const std::function<double(double)>& f, double start, double fstart, double firstStep, double low,
                  double high, double tolerance, double& root, double valueTolerance = 0);

}  // namespace zemra::engine
