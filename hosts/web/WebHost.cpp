#include "WebHost.h"

#include <emscripten.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "compute/PageContract.h"

// ---- The page's side of the seam. Each call finds the script object that
// the element registered under its id.

// Waits for the browser's fetch while the page goes on (the control's call
// is suspended and resumed). The result is a buffer the caller frees: a
// 32-bit byte count, then "O" and the reply body, "H" for a status other
// than 2xx (the status, the first line of the body, a line break and what
// failed), or "E" and what failed, as UTF-8 (written by the browser's own
// encoder: a reply of megabytes is copied in one step). A reply of more than `maxBytes` is not copied: it is
// a failed fetch saying so. When the module cannot allocate the buffer, a
// short failure is tried instead, and the null pointer returned when that
// fails too.
// The JavaScript of these functions is not C++: the code style leaves it as written.
// clang-format off
EM_ASYNC_JS(char*, zemra_web_fetch, (int id, const char* address, int maxBytes), {
    const url = UTF8ToString(address);
    let text;
    try {
        const result = await Module.zemraHosts[id].fetch(url);
        // A failure the server answered: "H", its status in three digits,
        // the body's first line (at most 1000 characters) and the message.
        const answered = !result.ok && result.status >= 100 && result.status <= 599;
        const body = answered ? String(result.body || "") : "";
        let end = Math.min(body.length, 1000);
        for (const code of [10, 13]) {
            const at = body.indexOf(String.fromCharCode(code));
            if (at >= 0 && at < end) end = at;
        }
        text = result.ok ? "O" + result.body
               : answered ? "H" + result.status + body.slice(0, end) + "\n" + result.error
               : "E" + result.error;
    } catch (e) {
        text = "EThe request to " + url + " failed: " + e + ".";
    }
    const encoder = new TextEncoder();
    const store = (bytes) => {
        const buffer = _malloc(bytes.length + 5);
        if (!buffer) return 0;
        HEAPU8.set(bytes, buffer + 4);
        HEAPU8[buffer + 4 + bytes.length] = 0;
        HEAPU32[buffer >> 2] = bytes.length;
        return buffer;
    };
    let bytes = encoder.encode(text);
    if (text[0] === "O" && bytes.length - 1 > maxBytes) {
        bytes = encoder.encode("EThe reply of " + url.split("?")[0] + " is too large: " + (bytes.length - 1) +
                               " bytes or more, where a reply may have at most " + maxBytes + " bytes.");
    }
    return store(bytes) ||
           store(encoder.encode("EThe reply of " + url.split("?")[0] + " could not be stored: out of memory."));
});

EM_JS(void, zemra_web_render, (int id, const char* json), {
    Module.zemraHosts[id].render(UTF8ToString(json));
});

EM_JS(int, zemra_web_message, (int id, const char* text, int yesNo), {
    return Module.zemraHosts[id].message(UTF8ToString(text), yesNo !== 0) ? 1 : 0;
});

EM_JS(void, zemra_web_open_window, (int id, const char* address), {
    Module.zemraHosts[id].openWindow(UTF8ToString(address));
});

EM_JS(void, zemra_web_set_pointer, (int id, int code), {
    Module.zemraHosts[id].setPointer(code);
});

EM_JS(int, zemra_web_today, (int id), {
    return Module.zemraHosts[id].today();
});

// The locale as lines: decimal separator, group separator, date separator,
// date order (0 month first, 1 day first, 2 year first), short date
// pattern, minus sign. The caller frees the buffer.
// The null pointer when the module cannot allocate the buffer.
EM_JS(char*, zemra_web_locale, (int id), {
    const l = Module.zemraHosts[id].locale();
    const text = [l.decimal, l.group, l.dateSeparator, String(l.dateOrder), l.shortDatePattern, l.minus].join("\n");
    const size = lengthBytesUTF8(text) + 1;
    const buffer = _malloc(size);
    if (!buffer) return 0;
    stringToUTF8(text, buffer, size);
    return buffer;
});
// clang-format on

namespace zemra::web {

namespace {

// A locale field of one character; anything else keeps the default.
char OneChar(const std::string& text, char fallback) { return text.size() == 1 ? text[0] : fallback; }

// A buffer the page allocated with the module's malloc, freed on every path.
using PageBuffer = std::unique_ptr<char, decltype(&std::free)>;

Locale ReadLocale(int id) {
    Locale locale = Locale::EnUs();
    const PageBuffer raw(zemra_web_locale(id), &std::free);
    if (!raw) return locale;  // no memory for it: the default conventions
    std::vector<std::string> lines;
    std::istringstream in(raw.get());
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    if (lines.size() < 6) return locale;
    locale.decimalSeparator = OneChar(lines[0], locale.decimalSeparator);
    if (!lines[1].empty()) locale.groupSeparator = lines[1];
    // Numbers cannot be read when both separators are the same character.
    if (locale.groupSeparator == std::string(1, locale.decimalSeparator))
        locale.groupSeparator = locale.decimalSeparator == ',' ? "." : ",";
    locale.dateSeparator = OneChar(lines[2], locale.dateSeparator);
    if (lines[3] == "1")
        locale.dateOrder = DateOrder::DayMonthYear;
    else if (lines[3] == "2")
        locale.dateOrder = DateOrder::YearMonthDay;
    if (!lines[4].empty()) locale.shortDatePattern = lines[4];
    if (!lines[5].empty()) locale.minusSign = lines[5];
    return locale;
}

}  // namespace

WebHost::WebHost(int elementId) : m_id(elementId), m_locale(ReadLocale(elementId)) {}

void WebHost::RenderNow() {
    if (!snapshot) return;
    zemra_web_render(m_id, snapshot().c_str());
    m_lastRenderMs = emscripten_get_now();
}

FetchResult WebHost::Fetch(const std::string& address) {
    // The page shows the state the fetch waits in (the busy state, how far
    // a run has come), but an impact run's many quick replies would each
    // redraw the whole panel: before a fetch the page is redrawn only when
    // the last redraw is older than kFetchRedrawIntervalMs. The element
    // redraws when the action ends.
    if (emscripten_get_now() - m_lastRenderMs >= kFetchRedrawIntervalMs) RenderNow();
    FetchResult result;
    const std::string outOfMemory = "The reply of " + pages::PageOf(address) + " could not be stored: out of memory.";
    const PageBuffer raw(zemra_web_fetch(m_id, address.c_str(), static_cast<int>(pages::kMaxReplyBytes)), &std::free);
    if (!raw) {
        result.error = outOfMemory;
        return result;
    }
    uint32_t size = 0;
    std::memcpy(&size, raw.get(), sizeof size);
    try {
        const char* text = raw.get() + 4;
        const std::string_view reply(text, size);
        result.ok = size > 0 && text[0] == 'O';
        if (result.ok) {
            result.body.assign(reply.substr(1));
        } else if (size > 4 && text[0] == 'H' && reply.find('\n') != std::string_view::npos) {
            // The server's status and the first line of its body, then the message.
            result.status = std::stoi(std::string(reply.substr(1, 3)));
            const std::size_t end = reply.find('\n');
            result.body.assign(reply.substr(4, end - 4));
            result.error.assign(reply.substr(end + 1));
        } else {
            result.error = size == 0 ? "The request to " + address + " failed." : std::string(reply.substr(1));
        }
    } catch (const std::bad_alloc&) {
        result = FetchResult{};
        result.error = outOfMemory;
    }
    return result;
}

void WebHost::OpenBrowserWindow(const std::string& address) { zemra_web_open_window(m_id, address.c_str()); }

void WebHost::SetMousePointer(int code) {
    m_pointer = code;
    zemra_web_set_pointer(m_id, code);
}

Date WebHost::Today() const {
    const int ymd = zemra_web_today(m_id);
    Date d{ymd / 10000, ymd / 100 % 100, ymd % 100};
    return IsValidDate(d.year, d.month, d.day) ? d : Date{};
}

MsgAnswer WebHost::MessageBox(const std::string& text, MsgButtons buttons) {
    RenderNow();
    const bool yesNo = buttons == MsgButtons::YesNo;
    const bool positive = zemra_web_message(m_id, text.c_str(), yesNo ? 1 : 0) != 0;
    if (!yesNo) return MsgAnswer::Ok;
    return positive ? MsgAnswer::Yes : MsgAnswer::No;
}

}  // namespace zemra::web
