#include "RequestLog.h"

namespace zemra::headless {

void RequestLog::Record(const std::string& address) {
    kept_.push_back(address);
    bytes_ += address.size();
    while (bytes_ > keptBytes_ && kept_.size() > 1) {
        bytes_ -= kept_.front().size();
        kept_.pop_front();
        ++leftOut_;
    }
}

void RequestLog::clear() {
    kept_.clear();
    bytes_ = 0;
    leftOut_ = 0;
}

}  // namespace zemra::headless
