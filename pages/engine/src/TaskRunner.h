// Runs independent tasks on a number of threads; the first failure is
// rethrown on the calling thread once all threads have stopped.
#pragma once

#include <functional>
#include <vector>

namespace zemra::engine {

void RunTasks(const std::vector<std::function<void()>>& tasks, int threads);

}  // namespace zemra::engine
