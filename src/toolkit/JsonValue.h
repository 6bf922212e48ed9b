#pragma once
#include <string>
#include <vector>

namespace zemra {

// A JSON value built in code and written as text: what the control's state
// looks like to its hosts. Object members keep the order they were added in.
class JsonValue {
public:
    enum class Type { Null, Bool, Number, Text, Array, Object };

    JsonValue() = default;
    JsonValue(bool b) : m_type(Type::Bool), m_bool(b) {}
    JsonValue(int n) : JsonValue(static_cast<long long>(n)) {}
    JsonValue(long n) : JsonValue(static_cast<long long>(n)) {}
    JsonValue(long long n) : m_type(Type::Number), m_number(n) {}
    JsonValue(const char* s) : m_type(Type::Text), m_text(s) {}
    JsonValue(std::string s) : m_type(Type::Text), m_text(std::move(s)) {}
    static JsonValue Array() { return JsonValue(Type::Array); }
    static JsonValue Object() { return JsonValue(Type::Object); }

    Type GetType() const { return m_type; }
    // An object's member, added (as null) when it is missing.
    JsonValue& operator[](const std::string& key);
    // An object's member, or nullptr.
    const JsonValue* Find(const std::string& key) const;
    // Appends to an array.
    void Push(JsonValue item) { m_items.push_back(std::move(item)); }
    // Members of an object or items of an array.
    size_t Size() const { return m_items.size(); }
    const std::vector<std::string>& Keys() const { return m_keys; }
    const std::vector<JsonValue>& Items() const { return m_items; }

    // On one line, without blanks.
    std::string Write() const;
    // Two blanks of indent a level, one member or item a line; an array of
    // plain values that fits stays on one line, and so does an object of
    // plain values and such arrays.
    std::string WritePretty() const;

private:
    explicit JsonValue(Type t) : m_type(t) {}
    void WriteTo(std::string& out, int indent) const;  // indent < 0: compact
    // Writes the value on one line with blanks after separators, when it
    // holds nothing deeper than a list of plain values; false otherwise.
    bool WriteInline(std::string& out) const;
    bool IsPlain() const { return m_type != Type::Array && m_type != Type::Object; }

    Type m_type = Type::Null;
    bool m_bool = false;
    long long m_number = 0;
    std::string m_text;
    std::vector<std::string> m_keys;  // object members' names, parallel to m_items
    std::vector<JsonValue> m_items;
};

}  // namespace zemra
