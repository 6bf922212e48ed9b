#include "book/RecordText.h"

#include "book/TextFields.h"

namespace zemra::pages {

std::string SecurityRecordText(const RecordFields& f) {
    std::string text;
    auto field = [&](const std::string& value) {
        if (!text.empty()) text += kFieldSeparator;
        text += value;
    };
    auto number = [&](double value) { field(ReplyNumber(value)); };
    field(std::to_string(f.id));
    field(f.description);
    field(f.type);
    number(f.convertPosition);
    number(f.convertPrice);
    number(f.creditSpread);
    field(std::to_string(f.callAdjustment));
    number(f.callAdjValue);
    number(f.useBorrow);
    number(f.stockPosition);
    number(f.stockPrice);
    number(f.volatility);
    field(f.curve);
    number(f.factor);
    number(f.deltaAdj);
    number(f.ratio);
    field(std::to_string(f.capitalRule));
    number(f.convCapital);
    number(f.stockCapital);
    number(f.finance);
    number(f.rebate);
    number(f.borrow);
    number(f.tail);
    number(f.fxRate);
    field(f.maturity ? FormatMmDdYyyy(*f.maturity) : std::string());
    number(f.fxToUsd);
    field(std::to_string(f.discount));
    field(std::to_string(f.divType));
    field(f.recvDecay);
    number(f.recvDecayValue);
    field(std::to_string(f.bankruptcy));
    number(f.iad);
    return text;
}

}  // namespace zemra::pages
