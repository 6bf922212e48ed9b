#pragma once
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace zemra {

// The five changes of a scenario matrix, in the order the generation nests
// them: stock outermost, credit spread innermost.
enum MatrixColumnIdx { kMatrixStock, kMatrixRate, kMatrixVol, kMatrixTime, kMatrixCrdSprd, kMatrixColumns };

// The largest number of steps a column may have is one less than this.
constexpr double kMatrixStepsLimit = 5;

// One change: its series is Increment x k + Start for k = 0 .. Steps.
struct MatrixColumn {
    double start = 0;
    double increment = 0;
    int steps = 0;
};

struct MatrixSetup {
    std::array<MatrixColumn, kMatrixColumns> columns{};
    double tunerValue = 100;
    long tuner = 0;
};

// The description of one combination: "S 10%,R 25bp,V 2%,C 1%,T 30", with
// a part only for a column whose Start or Increment is not 0 (credit spread
// before time). Numbers are plain number text with `decimalSeparator`.
std::string BuildMatrixDescription(const MatrixSetup& setup, const std::array<double, kMatrixColumns>& values,
                                   char decimalSeparator);

// How many scenarios GenerateMatrixScenarios makes of the setup: the
// product of the columns' series lengths, 0 when it makes nothing.
std::size_t MatrixScenarioCount(const MatrixSetup& setup);

// Every combination's scenario text (description; stock; rate; volatility;
// time; credit spread; tuner value; 0; tuner; N), stock outermost and
// credit spread innermost; nothing when every Start and Increment is 0 (no
// combination has a description).
std::optional<std::vector<std::string>> GenerateMatrixScenarios(const MatrixSetup& setup, char decimalSeparator);

}  // namespace zemra
