#include "http/PagesService.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <map>
#include <sstream>
#include <string_view>

#include "http/HostPage.h"
#include "http/StaticFiles.h"
#include "pages/HostProperties.h"
#include "store/Schema.h"

namespace zemra::pages {

namespace {

constexpr const char* kTextType = "text/plain; charset=utf-8";
constexpr const char* kPagesBase = "/pages/";
// The demo host page's properties as JSON (page addresses relative to the
// service, as on the host page).
constexpr const char* kPropertiesPath = "/properties.json";

const std::map<std::string, Page>& PagesByName() {
    static const std::map<std::string, Page> pages = {
        {"QuickSearch", QuickSearchPage}, {"ScenarioDetail", ScenarioDetailPage},
        {"CarryCalc", CarryCalcPage},     {"CapitalCalc", CapitalCalcPage},
        {"GetScenario", GetScenarioPage}, {"InsertScenario", InsertScenarioPage},
        {"ModScenario", ModScenarioPage}, {"DelScenario", DelScenarioPage},
    };
    return pages;
}

HttpReply Text(int status, const std::string& body) { return {status, body, kTextType}; }

// The name of the page an address asks for ("/pages/NAME" or
// "/pages/NAME.asp"); empty when the address is not a page's.
std::string PageNameOf(const std::string& path) {
    constexpr std::string_view kAspSuffix = ".asp";
    if (path.rfind(kPagesBase, 0) != 0) return {};
    std::string name = path.substr(std::string_view(kPagesBase).size());
    if (name.size() > kAspSuffix.size() &&
        name.compare(name.size() - kAspSuffix.size(), kAspSuffix.size(), kAspSuffix) == 0) {
        name.resize(name.size() - kAspSuffix.size());
    }
    const bool letters = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    });
    return letters ? name : std::string();
}

// A client's text in an access-log line: control characters (and the
// backslash) as \xNN, so that one request writes one line.
std::string LogText(const std::string& text) {
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out;
}

std::string UtcNow() {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm tm{};
    gmtime_r(&seconds, &tm);
    char buf[80];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(millis));
    return buf;
}

}  // namespace

PagesService::PagesService(ServiceSettings settings)
    : m_settings(std::move(settings)),
      m_pool(m_settings.database),
      m_context{m_pool, m_settings.today, m_settings.engineThreads} {
    m_pool.Run([](SqlConnection& c) { MigrateSchema(c); });
    m_server = std::make_unique<HttpServer>(
        [this](const HttpRequest& request) { return Route(request); },
        [this](const HttpRequest& request, int status, long long micros) { LogRequest(request, status, micros); },
        m_settings.threads, m_settings.limits);
}

PagesService::~PagesService() = default;

int PagesService::Bind(const std::string& host, int port) { return m_server->Bind(host, port); }

void PagesService::Run() { m_server->Run(); }

void PagesService::Stop() { m_server->Stop(); }

void PagesService::LogRequest(const HttpRequest& request, int status, long long micros) {
    if (!m_settings.accessLog) return;
    std::ostringstream line;
    line << UtcNow() << ' ' << LogText(request.method) << ' ' << LogText(request.path.substr(0, 200)) << ' ' << status
         << ' ' << micros << "us\n";
    std::lock_guard lock(m_logMutex);
    *m_settings.accessLog << line.str() << std::flush;
}

HttpReply PagesService::Route(const HttpRequest& request) {
    const std::string& path = request.path;
    const std::string name = PageNameOf(path);
    if (!name.empty()) return AnswerPage(name, request);
    if (path == "/" || path == kPropertiesPath) {
        try {
            const HostProperties properties =
                m_pool.Run([](SqlConnection& c) { return DemoProperties(c, kPagesBase); });
            if (path == kPropertiesPath) return {200, HostPropertiesJson(properties), "application/json"};
            return {200, HostPageHtml(properties, PageLanguage(request.rawQuery)), "text/html; charset=utf-8"};
        } catch (const SqlError& e) {
            return Text(503, std::string("the database is not available: ") + e.what());
        }
    }
    constexpr std::string_view kControlBase = "/control/";
    if (path.rfind(kControlBase, 0) == 0) {
        StaticFile file = ReadStaticFile(m_settings.controlDir, path.substr(kControlBase.size()));
        if (file.status != 200) return Text(file.status, file.body);
        return {200, std::move(file.body), file.type};
    }
    if (path == "/favicon.ico") return {204, "", ""};
    return Text(404, "no page at " + Quoted(path));
}

HttpReply PagesService::AnswerPage(const std::string& name, const HttpRequest& request) {
    const auto page = PagesByName().find(name);
    if (page == PagesByName().end()) return Text(404, "no page named " + name);
    try {
        const PageQuery query(request.rawQuery);
        return Text(200, page->second(query, m_context));
    } catch (const PageError& e) {
        return Text(e.Status(), e.what());
    } catch (const SqlError& e) {
        return Text(503, std::string("the database is not available: ") + e.what());
    } catch (const std::exception& e) {
        return Text(500, std::string("the page failed: ") + e.what());
    }
}

}  // namespace zemra::pages
