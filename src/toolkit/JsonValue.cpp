#include "toolkit/JsonValue.h"

#include <cstdio>

namespace zemra {

namespace {

// An array of plain values this long or shorter stays on one line.
constexpr size_t kInlineArrayWidth = 100;

void WriteText(std::string& out, const std::string& s) {
    out += '"';
    for (unsigned char c : s) {
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\n': out += "\\n"; break;
            case '\r': out += "\\r"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20) {
                    char buf[8];
                    std::snprintf(buf, sizeof buf, "\\u%04x", c);
                    out += buf;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
}

}  // namespace

JsonValue& JsonValue::operator[](const std::string& key) {
    if (type_ == Type::Null) type_ = Type::Object;
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) return items_[i];
    keys_.push_back(key);
    items_.emplace_back();
    return items_.back();
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (size_t i = 0; i < keys_.size(); ++i)
        if (keys_[i] == key) return &items_[i];
    return nullptr;
}

std::string JsonValue::Write() const {
    std::string out;
    WriteTo(out, -1);
    return out;
}

std::string JsonValue::WritePretty() const {
    std::string out;
    WriteTo(out, 0);
    return out;
}

void JsonValue::WriteTo(std::string& out, int indent) const {
    switch (type_) {
        case Type::Null: out += "null"; return;
        case Type::Bool: out += bool_ ? "true" : "false"; return;
        case Type::Number: out += std::to_string(number_); return;
        case Type::Text: WriteText(out, text_); return;
        case Type::Array:
        case Type::Object: break;
    }
    const bool object = type_ == Type::Object;
    const char open = object ? '{' : '[', close = object ? '}' : ']';
    if (items_.empty()) {
        out += open;
        out += close;
        return;
    }
    if (indent >= 0 && !object) {
        // Plain values that fit stay on one line.
        bool plain = true;
        for (const auto& item : items_) plain = plain && item.IsPlain();
        if (plain) {
            std::string line;
            for (size_t i = 0; i < items_.size(); ++i) {
                if (i) line += ", ";
                items_[i].WriteTo(line, -1);
            }
            if (line.size() <= kInlineArrayWidth) {
                out += '[' + line + ']';
                return;
            }
        }
    }
    out += open;
    const std::string inner = indent >= 0 ? "\n" + std::string(static_cast<size_t>(indent) + 2, ' ') : "";
    for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ',';
        out += inner;
        if (object) {
            WriteText(out, keys_[i]);
            out += indent >= 0 ? ": " : ":";
        }
        items_[i].WriteTo(out, indent >= 0 ? indent + 2 : -1);
    }
    if (indent >= 0) out += "\n" + std::string(static_cast<size_t>(indent), ' ');
    out += close;
}

}  // namespace zemra
