#pragma once
#include <string>

#include "toolkit/DateText.h"
#include "toolkit/Locale.h"

namespace zemra {

class Form;

enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

// Mouse pointer codes of the screen.
constexpr int kPointerDefault = 0;
constexpr int kPointerHourglass = 11;

struct FetchResult {
    bool ok = false;
    std::string body;   // the reply text when ok; when the server answered with a
                        // status that is not a success, the body of that answer
    std::string error;  // what failed when not ok (names the address and cause)
    int status = 0;     // when not ok: the server's HTTP status, 0 when none came
};

// Everything the control needs from the page that hosts it. The control never
// touches a display, network or clock directly; hosts implement this seam
// (headless host, web host, tests).
class HostSeam {
public:
    virtual ~HostSeam() = default;

    // One synchronous fetch of a complete address; the reply body as text.
    virtual FetchResult Fetch(const std::string& address) = 0;
    // A new, visible browser window navigated to the address.
    virtual void OpenBrowserWindow(const std::string& address) = 0;
    // Whether dialogs may be shown modeless beside the control.
    virtual bool ModelessAllowed() const = 0;
    virtual void SetMousePointer(int code) = 0;
    virtual int MousePointer() const = 0;
    virtual Date Today() const = 0;
    virtual const Locale& GetLocale() const = 0;
    // A modal message box without a title of its own; the host answers it.
    virtual MsgAnswer MessageBox(const std::string& text, MsgButtons buttons) = 0;
    // A dialog was shown or unloaded (hosts that render dialogs listen here).
    virtual void DialogShown(Form& /*dialog*/, bool /*modal*/) {}
    virtual void DialogUnloaded(Form& /*dialog*/) {}
};

}  // namespace zemra
