// The impact run through the panel: what it shows of the figures (their
// arithmetic is tested in test_impact_math), the carry option and the carry
// label, the requests of an Update, the messages of one that cannot start,
// the failures that stop a run, and a real fetch of a portfolio from a
// stand-in page server on loopback.
#include <arpa/inet.h>
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
#include <initializer_list>
#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "Harness.h"
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
    h.Start({{"RecordString", Records(holdings)},
             {"ScenarioString", scenarios},
             {"ScenarioDetailPath", kDetail},
             {"CarryCalcPath", kCarry},
             {"CapitalCalcPath", kCapital}});
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

TEST(ImpactFigures, RepliesAreReadWithAPointWhateverTheHostsLocale) {
    // A host whose decimal sign is "," still reads the pages' "." numbers:
    // 105.25 stays 105.25, not 10525.
    Locale comma;
    comma.decimalSeparator = ',';
    comma.groupSeparator = '.';
    headless::HeadlessHost host(Date{2026, 12, 6}, comma);
    MainCtl ctl(host);
    host.SetCannedReplies({{DetailPrefix(11), "40;105.25;106.5"}, {CarryPrefix(11), "1;2;3;1,234.5"}, {kPages, "0"}});
    PropertyBag bag;
    bag.Write("RecordString", SecurityRecord(11, "Bond CV", "B", 1000, 40, -2000, 10, 25, "1"));
    bag.Write("ScenarioString", "Up 50;50;0;0;0;0;100;0;1;N");
    bag.Write("ScenarioDetailPath", kDetail);
    bag.Write("CarryCalcPath", kCarry);
    bag.Write("CapitalCalcPath", kCapital);
    ctl.ReadProperties(bag);
    ctl.ProcessInitData();
    const CValuation& v = ctl.Model().Valuations().Item(1).Item(1);
    EXPECT_DOUBLE_EQ(v.Getvaluation(m_CurEstPrice), 105.25);
    EXPECT_DOUBLE_EQ(v.Getvaluation(m_CurFairValue), 106.5);
    EXPECT_DOUBLE_EQ(v.GetCarry(m_CarryIdx), 1234.5);
    EXPECT_TRUE(host.messages.empty());
}

// ---- Carry options and the carry label.

TEST(ImpactCarry, TheCarryOptionChoosesFullNetOrNoCarry) {
    Harness h;
    const std::vector<Holding> bond = {MixedPortfolio()[0]};
    Start(h, bond);
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
    auto afterTheRun = [](const std::string& scenarios, int count) {
        Harness h;
        std::vector<CannedReply> replies;
        std::string detail = "0;1", carry = "0";
        for (int j = 1; j < count; ++j) {
            detail += "|0;1";
            carry += "|0";
        }
        replies = {{kDetail, detail}, {kCarry, carry}, {kPages, "0"}};
        std::vector<Holding> holdings = MixedPortfolio();
        holdings.resize(3);
        Start(h, holdings, scenarios, replies);
        EXPECT_TRUE(h.host.messages.empty());
        // Showing the first security at start-up asks for its capital; the
        // run's requests follow.
        auto r = h.host.requests;
        const auto run = std::find_if(r.begin(), r.end(), [](const std::string& a) { return a.rfind(kDetail, 0) == 0; });
        EXPECT_TRUE(std::all_of(r.begin(), run, [](const std::string& a) { return a.rfind(kCapital, 0) == 0; }));
        r.erase(r.begin(), run);
        EXPECT_GE(r.size(), 6u);
        for (int k = 0; k < 3 && r.size() >= 6; ++k) {
            EXPECT_EQ(r[2 * k].rfind(DetailPrefix(holdings[k].id), 0), 0u) << r[2 * k];
            EXPECT_EQ(r[2 * k + 1].rfind(CarryPrefix(holdings[k].id), 0), 0u) << r[2 * k + 1];
        }
        // What follows is the display refresh: no further valuation request.
        const long later = static_cast<long>(r.size()) - 6;
        EXPECT_EQ(std::count_if(r.begin() + 6, r.end(), [](const std::string& a) { return a.rfind(kDetail, 0) == 0; }), 0);
        return later;
    };
    const long withOne = afterTheRun("A;1;0;0;0;0;100;0;1;N", 1);
    const long withFive = afterTheRun("A;1;0;0;0;0;100;0;1;N|B;2;0;0;0;0;100;0;1;N|C;3;0;0;0;0;100;0;1;N|"
                                      "D;4;0;0;0;0;100;0;1;N|E;5;0;0;0;0;100;0;1;N",
                                      5);
    EXPECT_EQ(withOne, withFive);
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
        EXPECT_FALSE(Contains(h.host.requests, kDetail));
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

TEST(ImpactRequests, AFinishedRunGivesTheFocusToTheFirstScenarioField) {
    Harness h;
    Start(h, MixedPortfolio());
    EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
    ASSERT_TRUE(h.panel().UserClick(*h.ctl.UpdateBtn));
    EXPECT_EQ(h.panel().Focused(), h.ctl.TxtScenario[0]);
}

// ---- Failures: one message naming the security and the cause, the busy
// state left, what was applied before kept, and a second Update that works.

TEST(ImpactFailures, EachFailureStopsTheRunAtItsSecurityAndASecondUpdateWorks) {
    struct Case {
        const char* name;
        std::function<void(std::vector<CannedReply>&)> breakReplies;
        std::string records;     // empty: the portfolio's
        std::string scenarios;   // empty: the two scenarios
        std::vector<std::string> causes;
        std::string failing = "'Stock'";   // the security the message names
    };
    const std::vector<Holding> holdings = {MixedPortfolio()[0], MixedPortfolio()[1], MixedPortfolio()[2]};
    // Security 2 ("Stock") is the one that fails.
    auto replace = [](std::vector<CannedReply>& r, const std::string& match, CannedReply with) {
        for (auto& c : r)
            if (c.match == match) c = with;
    };
    const std::string stockDetail = DetailPrefix(12), stockCarry = CarryPrefix(12);
    std::vector<Holding> zeroFx = holdings;
    zeroFx[1].record = SecurityRecord(12, "Stock", "E", 500, 40, 300, 1, 1, "0");
    const std::vector<Case> cases = {
        {"the valuation page is down",
         [&](auto& r) { replace(r, stockDetail, {stockDetail, "", true}); },
         "",
         "",
         {"The server did not answer the request to " + stockDetail}},
        {"the carry page is down", [&](auto& r) { replace(r, stockCarry, {stockCarry, "", true}); }, "", "",
         {"The server did not answer the request to " + stockCarry}},
        {"a short valuation reply", [&](auto& r) { replace(r, stockDetail, {stockDetail, holdings[1].up}); }, "", "",
         {"the scenario-detail reply has 1 piece for 2 scenarios"}},
        {"an exchange rate of 0", nullptr, Records(zeroFx), "", {"Fx To USD is 0"}},
        {"a stock price of 0 under a scenario", nullptr, "",
         "Up 50;50;0;0;0;0;100;0;1;N|Wipe-out;-100;0;0;0;0;100;0;1;N",
         {"stock price under scenario 'Wipe-out' (stock change -100%) is 0"},
         "'Bond CV'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Harness h;
        std::vector<CannedReply> replies = Replies(holdings);
        if (c.breakReplies) c.breakReplies(replies);
        h.Replies(replies);
        h.Start({{"RecordString", c.records.empty() ? Records(holdings) : c.records},
                 {"ScenarioString", c.scenarios.empty() ? kUpAndDown : c.scenarios},
                 {"ScenarioDetailPath", kDetail},
                 {"CarryCalcPath", kCarry},
                 {"CapitalCalcPath", kCapital}});
        ASSERT_EQ(h.host.messages.size(), 1u);
        const std::string& text = h.host.messages[0].text;
        EXPECT_EQ(h.host.messages[0].buttons, MsgButtons::Ok);
        EXPECT_TRUE(Contains(text, c.failing)) << text;
        for (const std::string& cause : c.causes) EXPECT_TRUE(Contains(text, cause)) << text;
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

// ---- Real fetching: zemra-headless against a stand-in page server.

namespace {

// A page server on loopback: answers each request with what the handler
// returns for its target (the path and query), one connection at a time.
class PageServer {
public:
    struct Answer {
        int status = 200;
        std::string body;
        std::string location;   // for a redirect
        bool hang = false;      // never answer
        bool drop = false;      // close the connection without an answer
    };
    using Handler = std::function<Answer(const std::string& target)>;

    explicit PageServer(Handler handler) : handler_(std::move(handler)) {
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || ::listen(listen_, 8) != 0)
            throw std::runtime_error("the page server cannot listen");
        socklen_t length = sizeof addr;
        ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &length);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { Serve(); });
    }
    ~PageServer() {
        stop_ = true;
        thread_.join();
        ::close(listen_);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    std::vector<std::string> targets;   // read after the run

private:
    void Serve() {
        while (!stop_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0) continue;
            const int client = ::accept(listen_, nullptr, nullptr);
            if (client < 0) continue;
            std::string request;
            char buf[4096];
            while (request.find("\r\n\r\n") == std::string::npos) {
                const ssize_t n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
            }
            const auto start = request.find(' ') + 1;
            const std::string target = request.substr(start, request.find(' ', start) - start);
            targets.push_back(target);
            const Answer a = handler_(target);
            if (a.hang) {
                while (!stop_) std::this_thread::sleep_for(std::chrono::milliseconds(20));
            } else if (!a.drop) {
                std::string head = "HTTP/1.1 " + std::to_string(a.status) + " Status\r\nContent-Length: " +
                                   std::to_string(a.body.size()) + "\r\nConnection: close\r\n";
                if (!a.location.empty()) head += "Location: " + a.location + "\r\n";
                const std::string response = head + "\r\n" + a.body;
                ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
            }
            ::close(client);
        }
    }

    Handler handler_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// The query of a target, decoded the standard way, key by key in order.
std::vector<std::pair<std::string, std::string>> DecodedQuery(const std::string& target) {
    std::vector<std::pair<std::string, std::string>> pairs;
    const auto q = target.find('?');
    if (q == std::string::npos) return pairs;
    std::string rest = target.substr(q + 1);
    while (!rest.empty()) {
        const auto amp = rest.find('&');
        const std::string pair = rest.substr(0, amp);
        rest = amp == std::string::npos ? "" : rest.substr(amp + 1);
        const auto eq = pair.find('=');
        std::string value;
        const std::string raw = eq == std::string::npos ? "" : pair.substr(eq + 1);
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '%' && i + 2 < raw.size()) {
                value += static_cast<char>(std::stoi(raw.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                value += raw[i] == '+' ? ' ' : raw[i];
            }
        }
        pairs.emplace_back(pair.substr(0, eq), value);
    }
    return pairs;
}

std::string QueryValue(const std::string& target, const std::string& key) {
    for (const auto& [k, v] : DecodedQuery(target))
        if (k == key) return v;
    return "<absent>";
}

// Runs zemra-headless (built beside this test) and returns its output.
std::string RunHeadless(const std::string& properties, const std::string& script, const std::string& options) {
    const auto dir = std::filesystem::temp_directory_path() /
                     ("zemra-impact-" + std::to_string(::getpid()) + "-" + std::to_string(std::rand()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "properties.json") << properties;
    std::ofstream(dir / "run.script") << script;
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
    return out;
}

nlohmann::json Properties(const std::string& base, const std::string& records) {
    return {{"RecordString", records},
            {"ScenarioString", kUpAndDown},
            {"ScenarioDetailPath", base + "pages/ScenarioDetail.asp"},
            {"CarryCalcPath", base + "pages/CarryCalc.asp"},
            {"CapitalCalcPath", base + "pages/CapitalCalc.asp"}};
}

// The last dump printed, with the panel's widgets at its top.
nlohmann::json LastDump(const std::string& out) {
    const auto start = out.rfind("{\n  \"pointer\"");
    if (start == std::string::npos) return nlohmann::json::object();
    nlohmann::json dump = nlohmann::json::parse(out.substr(start, out.find("\n}", start) + 2 - start));
    dump["widgets"] = dump["forms"][0]["widgets"];
    return dump;
}

}  // namespace

TEST(HeadlessFetch, APortfolioIsValuedOverHttpAndThePagesReadWhatWasTyped) {
    std::vector<Holding> holdings = MixedPortfolio();
    // A curve with & = + # % and a space.
    holdings[0].record = "11;Bond CV;B;1000;105;300;0;0;0;-2000;40;30;US&G=1+2 #3%;10;0;25;1;15;15;5;1;0.5;0;1;"
                         "06/15/2031;1;0;1;R;40;0;0";
    std::map<std::string, std::string> detail, carry;
    for (const Holding& h : holdings) {
        detail[std::to_string(h.id)] = h.up + "|" + h.down;
        carry[std::to_string(h.id)] = kCarryPiece + "|" + kCarryPiece;
    }
    PageServer server([&](const std::string& target) -> PageServer::Answer {
        const std::string id = QueryValue(target, "Secid");
        if (target.rfind("/pages/ScenarioDetail.asp?", 0) == 0) return {200, detail[id], "", false};
        // The carry page has moved; the fetch follows the redirect.
        if (target.rfind("/pages/CarryCalc.asp?", 0) == 0) return {302, "", "/moved" + target, false};
        if (target.rfind("/moved/pages/CarryCalc.asp?", 0) == 0) return {200, carry[id], "", false};
        return {200, "0", "", false};
    });
    const std::string out =
        RunHeadless(Properties(server.Base(), Records(holdings)).dump(), "dump LstImpact\n", "--timeout 10");
    const nlohmann::json dump = LastDump(out);
    ASSERT_TRUE(dump.contains("widgets")) << out;
    EXPECT_EQ(dump["messages"].size(), 0u) << out;
    EXPECT_EQ(dump["widgets"]["LstImpact"]["rows"], (nlohmann::json{"351,475", "(165,875)"}));
    const std::vector<std::string> run = FromFirst(server.targets, "/pages/ScenarioDetail.asp?");
    ASSERT_GE(run.size(), 3u);
    EXPECT_EQ(QueryValue(run[0], "Curve"), "US&G=1+2 #3%");
    EXPECT_EQ(QueryValue(run[0], "Maturity"), "06/15/2031");
    EXPECT_EQ(QueryValue(run[0], "StkChg"), "50;-25");
    EXPECT_EQ(QueryValue(run[0], "IAD"), "0");
    EXPECT_EQ(run[2].rfind("/moved/pages/CarryCalc.asp?Secid=11&", 0), 0u) << run[2];
}

TEST(HeadlessFetch, AStatusOtherThan2xxATimeOutOrADroppedConnectionIsAFailedFetchNamingAddressAndCause) {
    struct Case {
        PageServer::Handler handler;
        std::string options, security, page, cause;
    };
    const std::vector<Case> table = {
        {[](const std::string& target) -> PageServer::Answer {
             if (target.rfind("/pages/ScenarioDetail.asp?Secid=12&", 0) == 0) return {500, "oops", "", false};
             return {200, "0;1|0;1", "", false};
         },
         "", "'Stock'", "pages/ScenarioDetail.asp?Secid=12&", "status 500"},
        {[](const std::string&) -> PageServer::Answer { return {200, "", "", true}; }, "--timeout 1", "'Bond CV'",
         "pages/ScenarioDetail.asp?Secid=11&", "Timeout"},
        {[](const std::string& target) -> PageServer::Answer {
             if (target.rfind("/pages/CarryCalc.asp?", 0) == 0) return {200, "", "", false, true};
             return {200, "0;1|0;1", "", false, false};
         },
         "", "'Bond CV'", "pages/CarryCalc.asp?Secid=11&", "Server returned nothing"},
    };
    for (const Case& c : table) {
        // The capital page answers; the failure is the valuation's.
        PageServer server([&c](const std::string& target) -> PageServer::Answer {
            if (target.rfind("/pages/CapitalCalc.asp?", 0) == 0) return {200, "0", "", false};
            return c.handler(target);
        });
        const auto began = std::chrono::steady_clock::now();
        const std::string out =
            RunHeadless(Properties(server.Base(), Records(MixedPortfolio())).dump(), "dump LstImpact\n", c.options);
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
        const nlohmann::json dump = LastDump(out);
        ASSERT_EQ(dump["messages"].size(), 1u) << out;
        const std::string text = dump["messages"][0]["text"];
        for (const std::string& part : {c.security, server.Base() + c.page, c.cause})
            EXPECT_TRUE(Contains(text, part)) << text;
        EXPECT_EQ(dump["pointer"], 0);
    }
}
