#pragma once
// The part of a benchmark's host that does nothing of note: no browser
// windows, modeless dialogs allowed, a fixed today and the en-US locale.
// A benchmark's host adds how it answers the pages and message boxes.
#include "toolkit/HostSeam.h"

namespace zemra::bench {

class BenchHost : public HostSeam {
public:
    void OpenBrowserWindow(const std::string&) override {}
    bool ModelessAllowed() const override { return true; }
    void SetMousePointer(int code) override { m_pointer = code; }
    int MousePointer() const override { return m_pointer; }
    Date Today() const override { return Date{2026, 12, 6}; }
    const Locale& GetLocale() const override { return m_locale; }

private:
    int m_pointer = kPointerDefault;
    Locale m_locale;
};

}  // namespace zemra::bench
