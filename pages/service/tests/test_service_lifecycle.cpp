// Stopping: a stop lets the requests in flight finish; SIGTERM stops the
// program cleanly.
#include <signal.h>

#include <cstdio>
#include <fstream>

#include "ServiceHarness.h"

namespace zemra::pages::testing {
namespace {

TEST(ServiceStop, FinishesTheRequestsInFlight) {
    TestDatabase database;
    auto service = std::make_unique<RunningService>(database.Address());
    const std::vector<double> changes = {-30, -25, -20, -15, -10, -5, 0, 5, 10, 15, 20, 25};
    Reply reply;
    std::thread client([&] { reply = service->Get(DetailQuery(changes).Page("ScenarioDetail")); });
    // Stop while the valuation runs: once the request is being answered
    // (twelve scenarios take longer than the wait for it).
    for (int wait = 0; wait < 1000 && service->Service().RequestsInFlight() == 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    service.reset();  // stops the service and waits for it
    client.join();
    EXPECT_EQ(reply.status, 200) << reply.body;
    EXPECT_EQ(ReplyPieces(reply.body).size(), changes.size());
}

TEST(ServiceStop, TerminationSignalStopsTheProgram) {
    TestDatabase folder;  // its folder
    const std::string pidFile = folder.File("pages.pid");
    const std::string command = std::string("exec '") + ZEMRA_PAGES_BINARY +
                                "' --listen 127.0.0.1:0 --book '' --database '" + folder.File("pages.sqlite") +
                                "' --pid-file '" + pidFile + "' 2>&1";
    FILE* program = popen(command.c_str(), "r");
    ASSERT_NE(program, nullptr);
    std::string output;
    char line[512];
    while (output.find("zemra-pages: http://127.0.0.1:") == std::string::npos &&
           std::fgets(line, sizeof line, program)) {
        output += line;
    }
    ASSERT_NE(output.find("zemra-pages: http://127.0.0.1:"), std::string::npos) << output;
    int pid = 0;
    std::ifstream(pidFile) >> pid;
    ASSERT_GT(pid, 0);
    kill(pid, SIGTERM);
    while (std::fgets(line, sizeof line, program)) output += line;
    const int status = pclose(program);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
    EXPECT_NE(output.find("zemra-pages stopped"), std::string::npos) << output;
    EXPECT_FALSE(std::filesystem::exists(pidFile));
}

}  // namespace
}  // namespace zemra::pages::testing
