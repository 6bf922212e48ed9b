#include "compute/ScenarioMatrix.h"

#include "toolkit/NumberText.h"

namespace zemra {

namespace {

bool Described(const MatrixColumn& c) { return c.start != 0 || c.increment != 0; }

// The values of a column. Steps beyond the limit cannot pass the dialog's
// checks; they are held to it so that a grid stays bounded.
std::vector<double> Series(const MatrixColumn& c) {
    std::vector<double> values;
    const int steps = c.steps < static_cast<int>(kMatrixStepsLimit) ? c.steps : static_cast<int>(kMatrixStepsLimit);
    for (int k = 0; k <= steps; ++k) values.push_back(c.increment * k + c.start);
    return values;
}

}  // namespace

std::string BuildMatrixDescription(const MatrixSetup& setup, const std::array<double, kMatrixColumns>& values,
                                   char decimalSeparator) {
    struct Part {
        MatrixColumnIdx column;
        const char* prefix;
        const char* suffix;
    };
    static constexpr Part kParts[] = {{kMatrixStock, "S ", "%,"},
                                      {kMatrixRate, "R ", "bp,"},
                                      {kMatrixVol, "V ", "%,"},
                                      {kMatrixCrdSprd, "C ", "%,"},
                                      {kMatrixTime, "T ", ""}};
    std::string description;
    for (const Part& p : kParts) {
        if (!Described(setup.columns[p.column])) continue;
        description += p.prefix + PlainNumber(values[p.column], decimalSeparator) + p.suffix;
    }
    return description;
}

std::size_t MatrixScenarioCount(const MatrixSetup& setup) {
    bool anyDescribed = false;
    std::size_t count = 1;
    for (const MatrixColumn& c : setup.columns) {
        anyDescribed = anyDescribed || Described(c);
        count *= Series(c).size();
    }
    return anyDescribed ? count : 0;
}

std::optional<std::vector<std::string>> GenerateMatrixScenarios(const MatrixSetup& setup, char decimalSeparator) {
    bool anyDescribed = false;
    for (const MatrixColumn& c : setup.columns) anyDescribed = anyDescribed || Described(c);
    if (!anyDescribed) return std::nullopt;

    std::array<std::vector<double>, kMatrixColumns> series;
    size_t count = 1;
    for (int c = 0; c < kMatrixColumns; ++c) {
        series[c] = Series(setup.columns[c]);
        count *= series[c].size();
    }
    const std::string tail =
        ";" + PlainNumber(setup.tunerValue, decimalSeparator) + ";0;" + std::to_string(setup.tuner) + ";N";
    std::vector<std::string> scenarios;
    scenarios.reserve(count);
    // An odometer over the five series: the last column turns fastest.
    std::array<size_t, kMatrixColumns> k{};
    for (size_t n = 0; n < count; ++n) {
        std::array<double, kMatrixColumns> values{};
        for (int c = 0; c < kMatrixColumns; ++c) values[c] = series[c][k[c]];
        std::string text = BuildMatrixDescription(setup, values, decimalSeparator);
        for (double v : values) text += ";" + PlainNumber(v, decimalSeparator);
        scenarios.push_back(text + tail);
        for (int c = kMatrixColumns - 1; c >= 0; --c) {
            if (++k[c] < series[c].size()) break;
            k[c] = 0;
        }
    }
    return scenarios;
}

}  // namespace zemra
