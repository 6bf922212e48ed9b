#include "toolkit/JsonValue.h"

#include <cstdio>

#include "toolkit/Utf8.h"

namespace zemra {

namespace {

// An array of plain values this long or shorter stays on one line.
constexpr size_t kInlineArrayWidth = 100;

constexpr const char* kReplacementCharacter = "\xEF\xBF\xBD";  // U+FFFD in UTF-8

// A JSON string. Bytes that are not well-formed UTF-8 are written as U+FFFD,
// one for each, so that what is written is always valid JSON text.
void WriteText(std::string& out, const std::string& s) {
    out += '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            const std::size_t length = Utf8SequenceAt(s, i);
            if (length == 0) {
                out += kReplacementCharacter;
            } else {
                out.append(s, i, length);
                i += length - 1;
            }
            continue;
        }
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
    if (m_type == Type::Null) m_type = Type::Object;
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i] == key) return m_items[i];
    m_keys.push_back(key);
    m_items.emplace_back();
    return m_items.back();
}

const JsonValue* JsonValue::Find(const std::string& key) const {
    for (size_t i = 0; i < m_keys.size(); ++i)
        if (m_keys[i] == key) return &m_items[i];
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
    switch (m_type) {
        case Type::Null: out += "null"; return;
        case Type::Bool: out += m_bool ? "true" : "false"; return;
        case Type::Number: out += std::to_string(m_number); return;
        case Type::Text: WriteText(out, m_text); return;
        case Type::Array:
        case Type::Object: break;
    }
    const bool object = m_type == Type::Object;
    const char open = object ? '{' : '[', close = object ? '}' : ']';
    if (m_items.empty()) {
        out += open;
        out += close;
        return;
    }
    if (indent >= 0 && !object) {
        // Plain values that fit stay on one line.
        std::string line;
        if (WriteInline(line) && line.size() <= kInlineArrayWidth + 2) {
            out += line;
            return;
        }
    }
    if (indent >= 0 && object) {
        // An object of plain values and short plain lists (one widget, say)
        // is one line, so that a change to one element is one line of a diff.
        std::string line;
        if (WriteInline(line)) {
            out += line;
            return;
        }
    }
    out += open;
    const std::string inner = indent >= 0 ? "\n" + std::string(static_cast<size_t>(indent) + 2, ' ') : "";
    for (size_t i = 0; i < m_items.size(); ++i) {
        if (i) out += ',';
        out += inner;
        if (object) {
            WriteText(out, m_keys[i]);
            out += indent >= 0 ? ": " : ":";
        }
        m_items[i].WriteTo(out, indent >= 0 ? indent + 2 : -1);
    }
    if (indent >= 0) out += "\n" + std::string(static_cast<size_t>(indent), ' ');
    out += close;
}

bool JsonValue::WriteInline(std::string& out) const {
    const bool object = m_type == Type::Object;
    std::string line(1, object ? '{' : '[');
    for (size_t i = 0; i < m_items.size(); ++i) {
        const JsonValue& item = m_items[i];
        if (!item.IsPlain()) {
            // Inside an object, a list of plain values that fits may stay.
            if (!object || item.m_type != Type::Array) return false;
            std::string list;
            if (!item.WriteInline(list) || list.size() > kInlineArrayWidth + 2) return false;
        }
        if (i) line += ", ";
        if (object) {
            WriteText(line, m_keys[i]);
            line += ": ";
        }
        if (item.IsPlain()) {
            item.WriteTo(line, -1);
        } else {
            item.WriteInline(line);
        }
    }
    line += object ? '}' : ']';
    out += line;
    return true;
}

}  // namespace zemra
