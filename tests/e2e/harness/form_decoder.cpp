#include "form_decoder.h"

namespace e2e {
namespace {

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string Unescape(const std::string& raw) {
    std::string out;
    out.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == '%' && i + 2 < raw.size()) {
            int hi = HexValue(raw[i + 1]);
            int lo = HexValue(raw[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out.push_back(static_cast<char>(hi * 16 + lo));
                i += 2;
                continue;
            }
        }
        out.push_back(raw[i]);
    }
    return out;
}

}  // namespace

std::vector<FormField> DecodeForm(const std::string& body) {
    std::vector<FormField> fields;
    size_t start = 0;
    for (;;) {
        size_t amp = body.find('&', start);
        std::string part = body.substr(start, amp == std::string::npos ? std::string::npos : amp - start);
        size_t eq = part.find('=');
        FormField f;
        f.name = part.substr(0, eq);
        f.raw = eq == std::string::npos ? std::string() : part.substr(eq + 1);
        f.decoded = Unescape(f.raw);
        fields.push_back(std::move(f));
        if (amp == std::string::npos) break;
        start = amp + 1;
    }
    return fields;
}

std::optional<FormField> FindField(const std::vector<FormField>& fields, const std::string& name) {
    for (const auto& f : fields)
        if (f.name == name) return f;
    return std::nullopt;
}

bool IsStrictlyEscaped(const std::string& raw) {
    auto isUpperHex = [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); };
    for (size_t i = 0; i < raw.size(); ++i) {
        char c = raw[i];
        if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) continue;
        if (c == '%' && i + 2 < raw.size() && isUpperHex(raw[i + 1]) && isUpperHex(raw[i + 2])) {
            i += 2;
            continue;
        }
        return false;
    }
    return true;
}

}  // namespace e2e
