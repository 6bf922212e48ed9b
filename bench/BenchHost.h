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
    void SetMousePointer(int code) override { pointer_ = code; }
    int MousePointer() const override { return pointer_; }
    Date Today() const override { return Date{2026, 12, 6}; }
    const Locale& GetLocale() const override { return locale_; }

private:
    int pointer_ = kPointerDefault;
    Locale locale_;
};

}  // namespace zemra::bench
