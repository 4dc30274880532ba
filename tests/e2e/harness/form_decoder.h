#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace e2e {

struct FormField {
    std::string name;
    std::string raw;      // as it stood in the body
    std::string decoded;  // %XX turned back into bytes
};

// Splits an application/x-www-form-urlencoded body at "&" and "=" and
// decodes %XX escapes to bytes. A "+" is kept as it is: the gateway must never
// send one, and a test should see it if it does.
std::vector<FormField> DecodeForm(const std::string& body);

// The field of that name, if the body has one.
std::optional<FormField> FindField(const std::vector<FormField>& fields, const std::string& name);

// True when every character is an ASCII letter, a digit or a "%" followed by
// two upper-case hexadecimal digits.
bool IsStrictlyEscaped(const std::string& raw);

}  // namespace e2e
