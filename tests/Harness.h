#pragma once
#include <cmath>
#include <map>
#include <set>
#include <stdexcept>
#include <string>

#include "Builders.h"
#include "HeadlessHost.h"
#include "control/MainCtl.h"
#include "toolkit/UserAction.h"

namespace zemra::testing {

// The first key of a request whose number is empty or not finite (a value,
// or one of the ";"-separated values of a list), with that value; the empty
// text when every number is one. Text keys (curve, maturity, security type,
// search and description texts) may be empty.
inline std::string EmptyOrNonFiniteNumberIn(const std::string& request) {
    static const std::set<std::string> kTextKeys = {"Curve",       "Maturity", "SecType",    "QuickSearch",
                                                    "Description", "Detail",   "enableDebug"};
    const auto query = request.find('?');
    if (query == std::string::npos) return "";
    for (const std::string& pair : SplitFields(request.substr(query + 1), '&')) {
        const auto eq = pair.find('=');
        const std::string key = pair.substr(0, eq), value = eq == std::string::npos ? "" : pair.substr(eq + 1);
        if (kTextKeys.count(key)) continue;
        for (std::string number : SplitFields(value, ';')) {
            // Numbers in exponent form travel with their "+" encoded.
            for (auto plus = number.find("%2B"); plus != std::string::npos; plus = number.find("%2B"))
                number.replace(plus, 3, "+");
            const auto parsed = ParseNumber(number, Locale::EnUs());
            if (!parsed || !std::isfinite(*parsed)) return key + "=" + value;
        }
    }
    return "";
}

// The requests from the first one to `page` on: showing the first security
// at start-up asks for its capital before the impact run starts.
template <class Requests>
std::vector<std::string> FromFirst(const Requests& requests, const std::string& page) {
    for (std::size_t i = 0; i < requests.size(); ++i)
        if (requests[i].rfind(page, 0) == 0) return {requests.begin() + static_cast<long>(i), requests.end()};
    return {};
}

// A control on a headless host with a fixed today (2026-12-06), canned
// replies and scripted answers, driven through the same entry points that
// hosts use.
struct Harness {
    headless::HeadlessHost host{Date{2026, 12, 6}};
    MainCtl ctl{host};

    Harness() = default;
    explicit Harness(const Locale& locale) : host{Date{2026, 12, 6}, locale} {}

    // The properties with the addresses of the three pages of the canned
    // replies added.
    static std::map<std::string, std::string> WithPages(std::map<std::string, std::string> properties) {
        properties.emplace("ScenarioDetailPath", kDetail);
        properties.emplace("CarryCalcPath", kCarry);
        properties.emplace("CapitalCalcPath", kCapital);
        return properties;
    }

    // Loads the properties and runs ProcessInitData.
    void Start(const std::map<std::string, std::string>& properties) {
        PropertyBag bag;
        for (const auto& [k, v] : properties) bag.Write(k, v);
        ctl.ReadProperties(bag);
        ctl.ProcessInitData();
    }
    void Replies(std::vector<headless::CannedReply> replies) { host.SetCannedReplies(std::move(replies)); }
    // Starts with two tuners, the given securities and scenarios, and pages
    // that answer every request with zeros; the start-up's messages are
    // cleared.
    void StartWithZeros(const std::string& records, const std::string& scenarios) {
        Replies({{kDetail, "0|0|0|0|0|0|0|0"}, {kCarry, "0|0|0|0|0|0|0|0"}, {kPages, "0"}});
        // clang-format off
        Start({{"TunerString", "1;Standard|2;Aggressive"}, {"RecordString", records}, {"ScenarioString", scenarios},
            {"ScenarioDetailPath", kDetail}, {"CarryCalcPath", kCarry}, {"CapitalCalcPath", kCapital}});
        // clang-format on
        host.messages.clear();
    }
    // ---- What the tests reach of the control: its model, its forms, and
    // its elements by name (a dialog's as "Dialog.Element"), of the kind
    // asked for; a missing one, or one of another kind, fails the test.
    const Portfolio& Model() const { return ctl.Model(); }
    const ControlProperties& Properties() const { return ctl.Properties(); }
    CValuation& Val(int security, int scenario) { return ctl.Model().ValuationAt(security, scenario); }
    Form& panel() { return ctl.Panel(); }
    UiContext& Ui() { return ctl.Ui(); }
    template <class W>
    W& Get(const std::string& name, int index = -1) {
        if (index >= 0) return Get<W>(name + "(" + std::to_string(index) + ")");
        const auto dot = name.find('.');
        Form* form = dot == std::string::npos ? &panel() : Ui().FindOpenForm(name.substr(0, dot));
        Widget* w = form ? form->Find(dot == std::string::npos ? name : name.substr(dot + 1)) : nullptr;
        if (auto* typed = dynamic_cast<W*>(w)) return *typed;
        throw std::runtime_error("no element " + name + " of the kind asked for");
    }
    ListBox& List(const std::string& name, int index = -1) { return Get<ListBox>(name, index); }
    ComboBox& Combo(const std::string& name, int index = -1) { return Get<ComboBox>(name, index); }
    TextBox& Text(const std::string& name, int index = -1) { return Get<TextBox>(name, index); }
    zemra::Label& Label(const std::string& name, int index = -1) { return Get<zemra::Label>(name, index); }
    zemra::Button& Button(const std::string& name, int index = -1) { return Get<zemra::Button>(name, index); }
    zemra::Frame& Frame(const std::string& name, int index = -1) { return Get<zemra::Frame>(name, index); }
    // The records the open Add Security dialog offers, parallel to its list.
    const Collection<CSecurity>& SearchResults() const { return ctl.SearchResults(); }
    // The control's dialogs while they are open (nullptr otherwise).
    DlgCarry* CarryDialog() { return ctl.frmCarry.get(); }
    DlgCapital* CapitalDialog() { return ctl.frmCapital.get(); }
    DlgAddSec* AddSecDialog() { return ctl.AddSecDialog(); }
    DlgScenMatrix* ScenMatrixDialog() { return ctl.ScenMatrixDialog(); }
    const std::string& Caption(const std::string& name) { return Label(name).caption; }
    // One user action in the script language of the headless host
    // ("click UpdateBtn", "type TxtScenario(0) 10", "select ScenarioLst 2");
    // whether it reached its element.
    bool Do(const std::string& line) { return ApplyUserAction(Ui(), ParseUserAction(line)); }
    // The focused element's name on the panel ("" for none).
    std::string Focus() {
        const Widget* w = panel().Focused();
        return w ? w->Name() : "";
    }
    bool SelectRow(ListBox& list, int row, bool ctrl = false, bool shift = false) {
        return panel().UserSelectRow(list, row, ctrl, shift);
    }

    std::vector<std::string> Rows(const std::string& name) {
        Widget* w = &Get<Widget>(name);
        if (auto* list = dynamic_cast<ListBox*>(w)) return Rows(*list);
        return Rows(Get<ComboBox>(name));
    }
    std::vector<std::string> Rows(const ListBox& list) const {
        std::vector<std::string> rows;
        for (const auto& r : list.Rows()) rows.push_back(r.text);
        return rows;
    }
    std::vector<std::string> Rows(const ComboBox& combo) const {
        std::vector<std::string> rows;
        for (const auto& e : combo.Entries()) rows.push_back(e.text);
        return rows;
    }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& m : host.messages) texts.push_back(m.text);
        return texts;
    }
};

}  // namespace zemra::testing
