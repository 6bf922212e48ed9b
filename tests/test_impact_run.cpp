// The impact run through the panel on canned replies: what it shows of the
// figures (their arithmetic is tested in test_impact_math), the carry option
// and the carry label, the requests of an Update, the messages of one that
// cannot start and the failures that stop a run; then zemra-headless over
// real HTTP from a stand-in page server on loopback.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Harness.h"
#include "compute/PageContract.h"
#include "toolkit/NumberText.h"

using namespace zemra;
using zemra::headless::CannedReply;
using namespace zemra::testing;

namespace {

std::string DetailPrefix(int id) { return kDetail + "?Secid=" + std::to_string(id) + "&"; }
std::string CarryPrefix(int id) { return kCarry + "?Secid=" + std::to_string(id) + "&"; }

std::vector<CannedReply> Replies(const std::vector<Holding>& holdings) {
    std::vector<CannedReply> replies;
    for (const Holding& h : holdings) {
        replies.push_back({DetailPrefix(h.id), h.up + "|" + h.down});
        replies.push_back({CarryPrefix(h.id), kCarryPiece + "|" + kCarryPiece});
    }
    replies.push_back({kPages, "0"});   // the pages the display refresh asks
    return replies;
}

void Start(Harness& h, const std::vector<Holding>& holdings, const std::string& scenarios = kUpAndDown,
           std::vector<CannedReply> replies = {}) {
    h.Replies(replies.empty() ? Replies(holdings) : std::move(replies));
    h.Start(Harness::WithPages({{"RecordString", Records(holdings)}, {"ScenarioString", scenarios}}));
}

}  // namespace

// ---- What the run shows of the figures (their arithmetic: test_impact_math).

TEST(ImpactFigures, TotalsAreRoundedToWholeDollars) {
    Harness h;
    // One stock of 3 shares at 10.5, up 50%: 15.75 a share, plus 0.5 carry.
    Start(h, {{21, SecurityRecord(21, "Odd", "E", 3, 10.5, 0, 1, 1, "1"), Piece({{m_CurDelta, 100}}), Piece({})}},
          "Up 50;50;0;0;0;0;100;0;1;N",
          {{DetailPrefix(21), Piece({{m_CurDelta, 100}})}, {CarryPrefix(21), "0;0;0;0.5"}, {kPages, "0"}});
    EXPECT_DOUBLE_EQ(h.Val(1, 1).Getvaluation(m_SubImpact), 16.25);
    EXPECT_EQ(h.ctl.Model().Scenarios().Item(1).GetImpact(), 16);
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"16"}));
}

// ---- Carry options and the carry label.

TEST(ImpactCarry, TheCarryOptionChoosesFullNetOrNoCarry) {
    Harness h;
    const std::vector<Holding> bond = {MixedPortfolio()[0]};
    Start(h, bond);
    EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);   // a finished run gives it the first scenario field
    EXPECT_DOUBLE_EQ(h.Val(1, 1).Getvaluation(m_SubImpact), 260250);   // option 0: full carry 250
    EXPECT_EQ(h.ctl.LbCarry->caption, "250");
    EXPECT_EQ(h.ctl.LbCarry->foreColor, kBlue);

    h.ctl.Model().Valuations().Item(1).Item(1).SetoptCarry(1);
    h.ctl.Model().Valuations().Item(1).Item(2).SetoptCarry(2);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_DOUBLE_EQ(h.Val(1, 1).Getvaluation(m_SubImpact), 259925);    // net carry -75
    EXPECT_DOUBLE_EQ(h.Val(1, 2).Getvaluation(m_SubImpact), -130000);   // no carry
    EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"259,925", "(130,000)"}));
    EXPECT_EQ(h.ctl.LbCarry->caption, "(75)");
    EXPECT_EQ(h.ctl.LbCarry->foreColor, kRed);

    // No valuation with a carry option of 0 or 1: the label stays as it was.
    h.ctl.Model().Valuations().Item(1).Item(1).SetoptCarry(2);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_DOUBLE_EQ(h.Val(1, 1).Getvaluation(m_SubImpact), 260000);
    EXPECT_EQ(h.ctl.LbCarry->caption, "(75)");
    EXPECT_TRUE(h.host.messages.empty());
}

// ---- What an Update asks of the pages.

TEST(ImpactRequests, TwoRequestsPerSecurityWhateverTheNumberOfScenarios) {
    std::vector<Holding> holdings = MixedPortfolio();
    holdings.resize(3);
    const std::vector<std::string> expected = {DetailPrefix(11), CarryPrefix(11), DetailPrefix(12),
                                               CarryPrefix(12), DetailPrefix(13), CarryPrefix(13)};
    std::vector<std::size_t> counts;
    for (int scenarios : {1, 5}) {
        std::vector<std::string> texts, detail, carry;
        for (int j = 1; j <= scenarios; ++j) {
            texts.push_back(ScenarioText("S" + std::to_string(j), j));
            detail.push_back("0;1");
            carry.push_back("0");
        }
        Harness h;
        Start(h, holdings, Joined(texts), {{kDetail, Joined(detail)}, {kCarry, Joined(carry)}, {kPages, "0"}});
        EXPECT_TRUE(h.host.messages.empty());
        // Showing the first security at start-up asks for its capital; the
        // run's requests follow.
        const auto r = FromFirst(h.host.requests, kDetail);
        ASSERT_GE(r.size(), 6u);
        std::vector<std::string> first(r.begin(), r.begin() + 6);
        for (std::string& address : first) address = address.substr(0, address.find('&') + 1);
        EXPECT_EQ(first, expected) << scenarios;
        // What follows is the display refresh: no further valuation request,
        // and as many requests whatever the number of scenarios.
        EXPECT_EQ(std::count_if(r.begin() + 6, r.end(), [](const std::string& a) { return Contains(a, kDetail); }), 0);
        counts.push_back(r.size());
    }
    EXPECT_EQ(counts[0], counts[1]);
}

TEST(ImpactRequests, AnUpdateWithoutSecuritiesOrScenariosAsksForThemAndRequestsNothing) {
    struct Case {
        std::map<std::string, std::string> properties;
        std::string message;
    };
    const std::vector<Case> cases = {
        {{{"ScenarioDetailPath", kDetail}}, "Choose the scenario you wish to update!"},
        {{{"ScenarioDetailPath", kDetail}, {"RecordString", MixedPortfolio()[0].record}},
         "Choose the scenario you wish to update!"},
        {{{"ScenarioDetailPath", kDetail}, {"ScenarioString", kUpAndDown}}, "Choose the security you wish to update!"},
    };
    for (Case c : cases) {
        Harness h;
        h.Replies({{kPages, "0"}});
        c.properties["CapitalCalcPath"] = kCapital;
        h.Start(c.properties);
        EXPECT_FALSE(Contains(h.host.requests.Addresses(), kDetail));
        h.host.requests.clear();
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        ASSERT_EQ(h.Messages(), (std::vector<std::string>{c.message, c.message}));
        EXPECT_TRUE(h.host.requests.empty());
        EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
    }
}

TEST(ImpactRequests, WithoutAScenarioDetailPageTheRunEndsAtOnce) {
    Harness h;
    h.Replies(Replies(MixedPortfolio()));
    h.Start({{"RecordString", Records(MixedPortfolio())},
             {"ScenarioString", kUpAndDown},
             {"CarryCalcPath", kCarry},
             {"CapitalCalcPath", kCapital}});
    ASSERT_EQ(h.Messages(), (std::vector<std::string>{"Please give ScenarioDetail.asp file path!"}));
    h.host.requests.clear();   // the capital of the first security shown
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_EQ(h.Messages().size(), 2u);
    EXPECT_TRUE(h.host.requests.empty());
    EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
    EXPECT_EQ(h.ctl.LabelProgress->caption, "");
    // The focus stays where it was.
    EXPECT_EQ(h.panel().Focused(), h.ctl.UpdateBtn);
}

// ---- Failures: one message naming the security and the cause, the busy
// state left, what was applied before kept, and a second Update that works.

TEST(ImpactFailures, EachFailureStopsTheRunAtItsSecurityAndASecondUpdateWorks) {
    // Security 2 ("Stock") is the one that fails, through a broken reply in
    // place of its own or through its record or scenarios.
    const std::vector<Holding> holdings = {MixedPortfolio()[0], MixedPortfolio()[1], MixedPortfolio()[2]};
    const std::string stockDetail = DetailPrefix(12), stockCarry = CarryPrefix(12);
    std::vector<Holding> zeroFx = holdings;
    zeroFx[1].record = SecurityRecord(12, "Stock", "E", 500, 40, 300, 1, 1, "0");
    struct Case {
        std::optional<CannedReply> broken;
        std::string records, scenarios;   // empty: the portfolio's, the two scenarios
        std::string cause, failing = "'Stock'";
    };
    const std::vector<Case> cases = {
        {CannedReply{stockDetail, "", true}, "", "", "The server did not answer the request to " + stockDetail},
        {CannedReply{stockCarry, "", true}, "", "", "The server did not answer the request to " + stockCarry},
        {CannedReply{stockDetail, holdings[1].up}, "", "", "the scenario-detail reply has 1 piece for 2 scenarios"},
        {std::nullopt, Records(zeroFx), "", "Fx To USD is 0"},
        {std::nullopt, "", "Up 50;50;0;0;0;0;100;0;1;N|Wipe-out;-100;0;0;0;0;100;0;1;N",
         "stock price under scenario 'Wipe-out' (stock change -100%) is 0", "'Bond CV'"},
        {CannedReply{stockDetail, std::string(pages::kMaxReplyBytes + 1, '|')}, "", "",
         "The reply of " + kDetail + " is too large: 8388609 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        Harness h;
        std::vector<CannedReply> replies = Replies(holdings);
        for (CannedReply& reply : replies)
            if (c.broken && reply.match == c.broken->match) reply = *c.broken;
        h.Replies(replies);
        h.Start(Harness::WithPages({{"RecordString", c.records.empty() ? Records(holdings) : c.records},
                                    {"ScenarioString", c.scenarios.empty() ? kUpAndDown : c.scenarios}}));
        ASSERT_EQ(h.host.messages.size(), 1u);
        const std::string& text = h.host.messages[0].text;
        EXPECT_EQ(h.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_TRUE(Contains(text, c.failing)) << text;
        EXPECT_TRUE(Contains(text, c.cause)) << text;
        // The first security keeps its new figures; the failing one and the
        // ones after it keep their old (fresh) records.
        if (c.failing == "'Stock'") {
            EXPECT_DOUBLE_EQ(h.Val(1, 1).GetDolDelta(0), 520000);
        }
        EXPECT_EQ(h.Val(2, 1).Getvaluation(m_CurDelta), 0);
        EXPECT_EQ(h.Val(2, 2).Getvaluation(m_CurDelta), 0);
        EXPECT_EQ(h.Val(3, 1).Getvaluation(m_CurEstPrice), 0);
        EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"0", "0"}));
        // The busy state is left, and the notice says the impacts are stale.
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        EXPECT_EQ(h.ctl.LabelProgress->caption, "Click Update button to recalculate $Impact!");
        EXPECT_TRUE(h.ctl.Frame1->IsEnabled());
        EXPECT_TRUE(h.ctl.Frame3->IsEnabled());

        // The same failure again, then the pages answer and the run goes
        // through.
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        EXPECT_EQ(h.host.messages.size(), 2u);
        if (c.records.empty() && c.scenarios.empty()) {
            h.Replies(Replies(holdings));
            ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
            EXPECT_EQ(h.host.messages.size(), 2u);
            EXPECT_DOUBLE_EQ(h.Val(2, 1).Getvaluation(m_SubImpact), 10250);
            EXPECT_EQ(h.Rows(*h.ctl.LstImpact), (std::vector<std::string>{"285,100", "(133,500)"}));
            EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
        }
    }
}

// A figure too large to compute is reported like a division by 0, naming the
// security and the scenario; the run stops there, nothing is shown blank and
// no request carries an empty or non-finite number.
TEST(ImpactFailures, AFigureTooLargeToComputeStopsTheRunNamingSecurityAndScenario) {
    struct Case {
        const char* name;
        std::string scenarios;
        std::function<void(std::vector<CannedReply>&)> breakReplies;
        std::string cause;
    };
    const std::vector<Holding> holdings = {MixedPortfolio()[0], MixedPortfolio()[1]};
    const std::string hugePiece = Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 80}, {m_UpdateEstPrice, 1e308},
                                         {m_UpdateBondFlr, 80}});
    const std::string hugeCarry = "0;0;0;1e308;0;1e308;0;0;0;0;0;0";
    const std::vector<Case> cases = {
        {"a stock change of 1e308", "Up 50;50;0;0;0;0;100;0;1;N|Huge;1e308;0;0;0;0;100;0;1;N", nullptr,
         "'Bond CV': its dollar delta under scenario 'Huge' is too large to compute."},
        {"an estimated price of 1e308", "",
         [&](auto& r) { r[0].reply = holdings[0].up + "|" + hugePiece; },
         "security 'Bond CV' under scenario 'Down 25': its sub-impact is too large to compute."},
        {"a carry of 1e308 on two securities", "",
         [&](auto& r) {
             r[1].reply = kCarryPiece + "|" + hugeCarry;
             r[3].reply = kCarryPiece + "|" + hugeCarry;
         },
         "security 'Stock' under scenario 'Down 25': the scenario's total $Impact is too large to compute."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        std::vector<CannedReply> replies = Replies(holdings);
        if (c.breakReplies) c.breakReplies(replies);
        Start(h, holdings, c.scenarios.empty() ? kUpAndDown : c.scenarios, replies);
        h.host.messages.clear();
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        ASSERT_EQ(h.Messages().size(), 1u);
        EXPECT_TRUE(Contains(h.Messages()[0], c.cause)) << h.Messages()[0];
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        for (const std::string& row : h.Rows(*h.ctl.LstImpact)) EXPECT_FALSE(row.empty());
        EXPECT_FALSE(h.ctl.LabelImpact->caption.empty());
        ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
        for (const std::string& request : h.host.requests) EXPECT_EQ(EmptyOrNonFiniteNumberIn(request), "") << request;
    }
}

// ---- Real HTTP: zemra-headless against a stand-in page server.

namespace {

// A page server on loopback: answers each request, one connection at a
// time, with what the handler gives for its target (the path and query).
struct PageServer {
    struct Answer {
        int status = 200;
        std::string body = "", location = "";   // location: for a redirect
        bool hang = false;            // never answer
        bool drop = false;            // close the connection without an answer
    };
    using Handler = std::function<Answer(const std::string& target)>;
    Handler handler;
    std::vector<std::string> targets;   // read after the run
    int listener = ::socket(AF_INET, SOCK_STREAM, 0), port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;

    explicit PageServer(Handler h) : handler(std::move(h)) {
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof addr;
        if (::bind(listener, reinterpret_cast<sockaddr*>(&addr), length) != 0 || ::listen(listener, 8) != 0 ||
            ::getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &length) != 0)
            throw std::runtime_error("the page server cannot listen");
        port = ntohs(addr.sin_port);
        thread = std::thread([this] {
            while (!stop) {
                pollfd p{listener, POLLIN, 0};
                if (::poll(&p, 1, 50) <= 0) continue;
                const int client = ::accept(listener, nullptr, nullptr);
                std::string request;
                char buf[4096];
                for (ssize_t n = 1; n > 0 && request.find("\r\n\r\n") == std::string::npos;)
                    if ((n = ::recv(client, buf, sizeof buf, 0)) > 0) request.append(buf, static_cast<std::size_t>(n));
                const auto start = request.find(' ') + 1;
                targets.push_back(request.substr(start, request.find(' ', start) - start));
                const Answer a = handler(targets.back());
                while (a.hang && !stop) std::this_thread::sleep_for(std::chrono::milliseconds(20));
                const std::string response =
                    "HTTP/1.1 " + std::to_string(a.status) + " Status\r\nContent-Length: " +
                    std::to_string(a.body.size()) + "\r\nConnection: close\r\n" +
                    (a.location.empty() ? "" : "Location: " + a.location + "\r\n") + "\r\n" + a.body;
                if (!a.hang && !a.drop) ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
                ::close(client);
            }
        });
    }
    ~PageServer() {
        stop = true;
        thread.join();
        ::close(listener);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port) + "/"; }
};

// Runs zemra-headless (built beside this test) on the pages of `base` and
// returns the last dump it prints, with the panel's widgets at its top.
nlohmann::json RunHeadless(const std::string& base, const std::string& records, const std::string& options) {
    const auto dir = std::filesystem::temp_directory_path() / ("zemra-impact-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "properties.json") << nlohmann::json{{"RecordString", records},
                                                             {"ScenarioString", kUpAndDown},
                                                             {"ScenarioDetailPath", base + "pages/ScenarioDetail.asp"},
                                                             {"CarryCalcPath", base + "pages/CarryCalc.asp"},
                                                             {"CapitalCalcPath", base + "pages/CapitalCalc.asp"}};
    std::ofstream(dir / "run.script") << "dump LstImpact\n";
    const auto exe = std::filesystem::read_symlink("/proc/self/exe").parent_path() / "zemra-headless";
    const std::string command = exe.string() + " --properties " + (dir / "properties.json").string() + " --script " +
                                (dir / "run.script").string() + " --today 2026-12-06 " + options + " 2>&1";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::fgets(buf, sizeof buf, pipe)) out += buf;
        ::pclose(pipe);
    }
    std::filesystem::remove_all(dir);
    const auto start = out.rfind("{\n  \"pointer\"");
    if (start == std::string::npos) return {{"output", out}};
    nlohmann::json dump = nlohmann::json::parse(out.substr(start, out.find("\n}", start) + 2 - start));
    dump["widgets"] = dump["forms"][0]["widgets"];
    return dump;
}

}  // namespace

TEST(HeadlessFetch, APortfolioIsValuedOverHttpAndThePagesGetWhatWasTyped) {
    std::vector<Holding> holdings = MixedPortfolio();
    // A curve with & = + # % and a space.
    holdings[0].record = "11;Bond CV;B;1000;105;300;0;0;0;-2000;40;30;US&G=1+2 #3%;10;0;25;1;15;15;5;1;0.5;0;1;"
                         "06/15/2031;1;0;1;R;40;0;0";
    std::map<std::string, std::string> detail;
    for (const Holding& h : holdings) detail["?Secid=" + std::to_string(h.id) + "&"] = h.up + "|" + h.down;
    PageServer pages([&](const std::string& target) -> PageServer::Answer {
        const std::string id = target.substr(target.find('?'), target.find('&') + 1 - target.find('?'));
        if (target.starts_with("/pages/ScenarioDetail.asp?")) return {200, detail[id]};
        // The carry page has moved; the fetch follows the redirect.
        if (target.starts_with("/pages/CarryCalc.asp?")) return {302, "", "/moved" + target};
        if (target.starts_with("/moved/pages/CarryCalc.asp?")) return {200, kCarryPiece + "|" + kCarryPiece};
        return {200, "0"};
    });
    const nlohmann::json dump = RunHeadless(pages.Base(), Records(holdings), "--timeout 10");
    ASSERT_TRUE(dump.contains("widgets")) << dump;
    EXPECT_EQ(dump["messages"].size(), 0u) << dump;
    EXPECT_EQ(dump["widgets"]["LstImpact"]["rows"], (nlohmann::json{"351,475", "(165,875)"}));
    const std::vector<std::string> run = FromFirst(pages.targets, "/pages/ScenarioDetail.asp?");
    ASSERT_GE(run.size(), 3u);
    for (const char* part : {"&Curve=US%26G%3D1%2B2%20%233%25&", "&Maturity=06%2F15%2F2031&", "&StkChg=50;-25&", "&IAD=0&"})
        EXPECT_TRUE(Contains(run[0], part)) << part << " in " << run[0];
    EXPECT_TRUE(run[2].starts_with("/moved/pages/CarryCalc.asp?Secid=11&")) << run[2];
}

TEST(HeadlessFetch, AStatusOtherThan2xxATimeOutOrADroppedConnectionIsAFailedFetchNamingAddressAndCause) {
    struct Case {
        PageServer::Handler handler;
        std::string options, security, page, cause;
    };
    const std::vector<Case> table = {
        {[](const std::string& target) -> PageServer::Answer {
             if (target.starts_with("/pages/ScenarioDetail.asp?Secid=12&")) return {500, "oops"};
             return {200, "0;1|0;1"};
         },
         "", "'Stock'", "pages/ScenarioDetail.asp?Secid=12&", "status 500"},
        {[](const std::string&) -> PageServer::Answer { return {.hang = true}; }, "--timeout 1", "'Bond CV'",
         "pages/ScenarioDetail.asp?Secid=11&", "Timeout"},
        {[](const std::string& target) -> PageServer::Answer {
             if (target.starts_with("/pages/CarryCalc.asp?")) return {.drop = true};
             return {200, "0;1|0;1"};
         },
         "", "'Bond CV'", "pages/CarryCalc.asp?Secid=11&", "Server returned nothing"},
        // The transfer stops at the largest reply the control reads.
        {[](const std::string&) -> PageServer::Answer {
             return {200, std::string(pages::kMaxReplyBytes + 1, '|'), "", false, false};
         },
         "", "'Bond CV'", "pages/ScenarioDetail.asp is too large", "at most 8388608 bytes"},
    };
    for (const Case& c : table) {
        // The capital page answers; the failure is the valuation's.
        PageServer pages([&c](const std::string& target) -> PageServer::Answer {
            if (target.starts_with("/pages/CapitalCalc.asp?")) return {200, "0"};
            return c.handler(target);
        });
        const auto began = std::chrono::steady_clock::now();
        const nlohmann::json dump = RunHeadless(pages.Base(), Records(MixedPortfolio()), c.options);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
        ASSERT_EQ(dump["messages"].size(), 1u) << dump;
        const std::string text = dump["messages"][0]["text"];
        for (const std::string& part : {c.security, pages.Base() + c.page, c.cause})
            EXPECT_TRUE(Contains(text, part)) << text;
        EXPECT_EQ(dump["pointer"], 0);
    }
}
