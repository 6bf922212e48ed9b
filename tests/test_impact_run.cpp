// The impact run through the panel on canned replies: what it shows of the
// figures (their arithmetic: test_impact_math), the carry option, the
// requests of an Update and the failures that stop a run; then the command
// line host's fetch over real HTTP.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>

#include "CurlFetcher.h"
#include "Harness.h"
#include "compute/PageContract.h"

using namespace zemra;
using zemra::headless::CannedReply;
using namespace zemra::testing;
using Texts = std::vector<std::string>;

namespace {

std::string DetailPrefix(int id) { return kDetail + "?Secid=" + std::to_string(id) + "&"; }
std::string CarryPrefix(int id) { return kCarry + "?Secid=" + std::to_string(id) + "&"; }

std::vector<CannedReply> Replies(const std::vector<Holding>& holdings) {
    std::vector<CannedReply> replies;
    for (const Holding& h : holdings) {
        replies.push_back({DetailPrefix(h.id), h.up + "|" + h.down});
        replies.push_back({CarryPrefix(h.id), kCarryPiece + "|" + kCarryPiece});
    }
    replies.push_back({kPages, "0"});  // the pages the display refresh asks
    return replies;
}

void Start(Harness& h, const std::vector<Holding>& holdings, const std::string& scenarios = kUpAndDown,
           std::vector<CannedReply> replies = {}) {
    h.Replies(replies.empty() ? Replies(holdings) : std::move(replies));
    h.Start(Harness::WithPages({{"RecordString", Records(holdings)}, {"ScenarioString", scenarios}}));
}

}  // namespace

TEST(ImpactRun, TotalsAreWholeDollarsAndTheCarryOptionChoosesFullNetOrNone) {
    Harness odd;  // 3 shares at 10.5, up 50%: 15.75 a share, plus 0.5 carry
    Start(odd, {{21, SecurityRecord(21, "Odd", "E", 3, 10.5, 0, 1, 1, "1"), Piece({{m_CurDelta, 100}}), ""}},
          "Up 50;50;0;0;0;0;100;0;1;N",
          {{DetailPrefix(21), Piece({{m_CurDelta, 100}})}, {CarryPrefix(21), "0;0;0;0.5"}, {kPages, "0"}});
    EXPECT_DOUBLE_EQ(odd.Val(1, 1).Getvaluation(m_SubImpact), 16.25);
    EXPECT_EQ(odd.Model().Scenarios().Item(1).GetImpact(), 16);
    EXPECT_EQ(odd.Rows("LstImpact"), Texts{"16"});

    // Options per valuation (scenario 1, scenario 2): sub-impacts, list, carry label and its colour.
    struct Case {
        int opt1, opt2;
        double sub1, sub2;
        Texts rows;
        std::string carry;
        Rgb color;
    };
    const Case cases[] = {
        {0, 0, 260250, -129750, {"260,250", "(129,750)"}, "250", kBlue},  // full carry 250
        {1, 2, 259925, -130000, {"259,925", "(130,000)"}, "(75)", kRed},  // net carry -75; none
        {2, 2, 260000, -130000, {"260,000", "(130,000)"}, "(75)", kRed},  // none: the label stays
    };
    Harness h;
    Start(h, {MixedPortfolio()[0]});
    EXPECT_EQ(h.Focus(), "TxtScenario(0)");  // a finished run gives it the first scenario field
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.opt1) + "/" + std::to_string(c.opt2));
        h.Model().Valuations().Item(1).Item(1).SetoptCarry(c.opt1);
        h.Model().Valuations().Item(1).Item(2).SetoptCarry(c.opt2);
        ASSERT_TRUE(h.Do("click UpdateBtn"));
        EXPECT_EQ(std::make_pair(h.Val(1, 1).Getvaluation(m_SubImpact), h.Val(1, 2).Getvaluation(m_SubImpact)),
                  std::make_pair(c.sub1, c.sub2));
        EXPECT_EQ(std::make_tuple(h.Rows("LstImpact"), h.Caption("LbCarry"), h.Label("LbCarry").foreColor),
                  std::make_tuple(c.rows, c.carry, c.color));
    }
    EXPECT_TRUE(h.host.messages.empty());
}

// The requests of an Update, two pages per security whatever the number of
// scenarios, then the display's refresh: golden/impact_portfolio.

// An Update without securities, scenarios or a scenario-detail page says so
// and requests nothing: golden/startup_empty, tuner_no_securities,
// update_without_scenarios and scenario_delete_runs.

// A failure stops the run at its security with one message naming it and
// the cause; the busy state is left, the impacts marked stale, the
// securities before it keep their new figures and a second Update fails
// the same way: golden/impact_failure (a page that does not answer) and
// golden/impact_refused (a page's refusal, with the figures kept); each
// fault of a reply: StageValuations in test_impact_math; a reply too large:
// HeadlessFetch below and web/tests/failures.test.js.

// A figure too large to compute is reported like a division by 0, naming the
// security and the scenario; nothing is shown blank and no request carries
// an empty or non-finite number.
TEST(ImpactRun, AFigureTooLargeToComputeStopsTheRunNamingSecurityAndScenario) {
    const std::vector<Holding> holdings = {MixedPortfolio()[0], MixedPortfolio()[1]};
    const std::string hugePiece =
        Piece({{m_CurEstPrice, 100}, {m_CurBondFlr, 80}, {m_UpdateEstPrice, 1e308}, {m_UpdateBondFlr, 80}});
    const std::string hugeCarry = kCarryPiece + "|0;0;0;1e308;0;1e308;0;0;0;0;0;0";
    struct Case {
        std::string scenarios;
        std::function<void(std::vector<CannedReply>&)> brk;
        std::string cause;
    };
    const Case cases[] = {
        {"Up 50;50;0;0;0;0;100;0;1;N|Huge;1e308;0;0;0;0;100;0;1;N", nullptr,
         "'Bond CV': its dollar delta under scenario 'Huge' is too large to compute."},
        {kUpAndDown, [&](auto& r) { r[0].reply = holdings[0].up + "|" + hugePiece; },
         "security 'Bond CV' under scenario 'Down 25': its sub-impact is too large to compute."},
        {kUpAndDown, [&](auto& r) { r[1].reply = r[3].reply = hugeCarry; },  // on both securities
         "security 'Stock' under scenario 'Down 25': the scenario's total $Impact is too large to compute."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        Harness h;
        std::vector<CannedReply> replies = Replies(holdings);
        if (c.brk) c.brk(replies);
        Start(h, holdings, c.scenarios, replies);
        h.host.messages.clear();
        ASSERT_TRUE(h.Do("click UpdateBtn"));
        ASSERT_EQ(h.Messages().size(), 1u);
        EXPECT_TRUE(Contains(h.Messages()[0], c.cause)) << h.Messages()[0];
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        for (const std::string& row : h.Rows("LstImpact")) EXPECT_FALSE(row.empty());
        EXPECT_FALSE(h.Caption("LabelImpact").empty());
        ASSERT_TRUE(h.Do("click UpdateBtn"));
        for (const std::string& request : h.host.requests) EXPECT_EQ(EmptyOrNonFiniteNumberIn(request), "") << request;
    }
}

// ---- Real HTTP: the command-line host's fetch against a stand-in page server.

namespace {

// A page server on loopback: answers each request, one connection at a
// time, with what the handler gives for its target (the path and query).
struct PageServer {
    struct Answer {
        int status = 200;
        std::string body = "", location = "";  // location: for a redirect
        bool hang = false;                     // never answer
    };
    using Handler = std::function<Answer(const std::string& target)>;
    Handler handler;
    Texts targets;  // read after the run
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
                    "HTTP/1.1 " + std::to_string(a.status) +
                    " Status\r\nContent-Length: " + std::to_string(a.body.size()) + "\r\nConnection: close\r\n" +
                    (a.location.empty() ? "" : "Location: " + a.location + "\r\n") + "\r\n" + a.body;
                if (!a.hang) ::send(client, response.data(), response.size(), MSG_NOSIGNAL);
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

}  // namespace

// The fetch of the command-line host: it follows a redirect; a refusal (4xx)
// reaches the message as the page's name and reason without the address;
// another status, a time-out (as any broken connection) or a reply beyond the
// largest the control reads is a failed fetch, reported naming security,
// address and cause (an empty cause: the portfolio is valued).
TEST(HeadlessFetch, RedirectsAreFollowedAndEveryKindOfFailureIsReportedNamingAddressAndCause) {
    using Answer = PageServer::Answer;
    auto valued = [](const std::string& t) {
        if (t.starts_with("/pages/CarryCalc.asp?")) return Answer{302, "", "/moved" + t};
        for (const Holding& h : MixedPortfolio())
            if (t.starts_with("/pages/ScenarioDetail.asp?Secid=" + std::to_string(h.id) + "&"))
                return Answer{200, h.up + "|" + h.down};
        return Answer{200, kCarryPiece + "|" + kCarryPiece};  // the carry page, moved
    };
    struct Case {
        PageServer::Handler handler;
        long timeout;
        std::string security, page, cause;
    };
    const Case cases[] = {
        {valued, 10, "", "", ""},
        {[](const std::string& t) {
             return t.starts_with("/pages/ScenarioDetail.asp?Secid=12&") ? Answer{500, "oops"} : Answer{200, "0;1|0;1"};
         },
         10, "'Stock'", "pages/ScenarioDetail.asp?Secid=12&", "status 500"},
        {[](const std::string& t) {
             return t.starts_with("/pages/CarryCalc.asp?") ? Answer{400, "TimeChg: 'x' is not a number\nmore"}
                                                           : Answer{200, "0;1|0;1"};
         },
         10, "'Bond CV'", "", "CarryCalc.asp refused the request: TimeChg: 'x' is not a number"},
        {[](const std::string&) { return Answer{.hang = true}; }, 1, "'Bond CV'", "pages/ScenarioDetail.asp?Secid=11&",
         "Timeout"},
        {[](const std::string&) {
             return Answer{200, std::string(pages::kMaxReplyBytes + 1, '|')};
         },
         10, "'Bond CV'", "pages/ScenarioDetail.asp is too large", "at most 8388608 bytes"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cause);
        PageServer pages([&c](const std::string& target) {  // the capital page answers
            return target.starts_with("/pages/CapitalCalc.asp?") ? Answer{200, "0"} : c.handler(target);
        });
        Harness h;
        h.host.SetFetcher([&](const std::string& address) { return headless::CurlFetch(address, c.timeout); });
        const auto began = std::chrono::steady_clock::now();
        h.Start({{"RecordString", Records(MixedPortfolio())},
                 {"ScenarioString", kUpAndDown},
                 {"ScenarioDetailPath", pages.Base() + "pages/ScenarioDetail.asp"},
                 {"CarryCalcPath", pages.Base() + "pages/CarryCalc.asp"},
                 {"CapitalCalcPath", pages.Base() + "pages/CapitalCalc.asp"}});
        EXPECT_LT(std::chrono::steady_clock::now() - began, std::chrono::seconds(20));
        EXPECT_EQ(h.host.MousePointer(), kPointerDefault);
        if (c.cause.empty()) {
            EXPECT_EQ(h.Messages(), Texts{});
            EXPECT_EQ(h.Rows("LstImpact"), (Texts{"351,475", "(165,875)"}));
            const Texts run = FromFirst(pages.targets, "/pages/ScenarioDetail.asp?");
            ASSERT_GE(run.size(), 3u);
            EXPECT_TRUE(run[2].starts_with("/moved/pages/CarryCalc.asp?Secid=11&")) << run[2];
            continue;
        }
        ASSERT_EQ(h.Messages().size(), 1u);
        for (const std::string& part : {c.security, c.page, c.cause})
            EXPECT_TRUE(Contains(h.Messages()[0], part)) << h.Messages()[0];
        EXPECT_EQ(Contains(h.Messages()[0], pages.Base()), !c.page.empty()) << h.Messages()[0];
    }
}
