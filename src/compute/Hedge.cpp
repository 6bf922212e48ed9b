#include "compute/Hedge.h"

#include "records/SecurityType.h"
#include "toolkit/NumberText.h"

namespace zemra {

double HedgePercent(const CSecurity& sec) {
    const double position = sec.GetProperties(ConvertPosIdx);
    const double ratio = sec.GetRatio();
    const double shares = position * ratio;
    if (IsStock(sec.GetSectype()) || position == 0 || ratio == 0 || shares == 0) return 0;
    return RoundHalfEven(-(sec.GetProperties(StkPosIdx) * 100) / shares);
}

double HedgedStockPosition(const CSecurity& sec, double hedge) {
    return -(hedge * sec.GetProperties(ConvertPosIdx) * sec.GetRatio()) / 100;
}

}  // namespace zemra
