#include "TaskRunner.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <mutex>
#include <thread>

namespace zemra::engine {

void RunTasks(const std::vector<std::function<void()>>& tasks, int threads) {
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto work = [&] {
        for (std::size_t i = next++; i < tasks.size(); i = next++) {
            try {
                tasks[i]();
            } catch (...) {
                std::lock_guard<std::mutex> lock(failureLock);
                if (!failure) failure = std::current_exception();
            }
        }
    };
    const std::size_t extra = static_cast<std::size_t>(std::clamp(threads, 1, 64) - 1);
    std::vector<std::thread> pool;
    for (std::size_t t = 0; t < std::min(extra, tasks.size()); ++t) pool.emplace_back(work);
    work();
    for (auto& t : pool) t.join();
    if (failure) std::rethrow_exception(failure);
}

}  // namespace zemra::engine
