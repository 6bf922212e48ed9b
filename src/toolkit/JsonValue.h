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
    JsonValue(bool b) : type_(Type::Bool), bool_(b) {}
    JsonValue(int n) : JsonValue(static_cast<long long>(n)) {}
    JsonValue(long n) : JsonValue(static_cast<long long>(n)) {}
    JsonValue(long long n) : type_(Type::Number), number_(n) {}
    JsonValue(const char* s) : type_(Type::Text), text_(s) {}
    JsonValue(std::string s) : type_(Type::Text), text_(std::move(s)) {}
    static JsonValue Array() { return JsonValue(Type::Array); }
    static JsonValue Object() { return JsonValue(Type::Object); }

    Type GetType() const { return type_; }
    // An object's member, added (as null) when it is missing.
    JsonValue& operator[](const std::string& key);
    // An object's member, or nullptr.
    const JsonValue* Find(const std::string& key) const;
    // Appends to an array.
    void Push(JsonValue item) { items_.push_back(std::move(item)); }
    // Members of an object or items of an array.
    size_t Size() const { return items_.size(); }
    const std::vector<std::string>& Keys() const { return keys_; }
    const std::vector<JsonValue>& Items() const { return items_; }

    // On one line, without blanks.
    std::string Write() const;
    // Two blanks of indent a level, one member or item a line; an array of
    // plain values that fits stays on one line, and so does an object of
    // plain values and such arrays.
    std::string WritePretty() const;

private:
    explicit JsonValue(Type t) : type_(t) {}
    void WriteTo(std::string& out, int indent) const;  // indent < 0: compact
    // Writes the value on one line with blanks after separators, when it
    // holds nothing deeper than a list of plain values; false otherwise.
    bool WriteInline(std::string& out) const;
    bool IsPlain() const { return type_ != Type::Array && type_ != Type::Object; }

    Type type_ = Type::Null;
    bool bool_ = false;
    long long number_ = 0;
    std::string text_;
    std::vector<std::string> keys_;  // object members' names, parallel to items_
    std::vector<JsonValue> items_;
};

}  // namespace zemra
