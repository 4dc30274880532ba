// An encoded value holds only letters, digits and %XX escapes, and its
// escapes give back the code-page bytes exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../unit/fakes.h"
#include "gateway/form_encoding.h"

namespace {
int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    std::abort();  // lower-case or other digits are a fault
}

void CheckDecodesTo(const std::string& encoded, const std::string& bytes) {
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
        const char c = encoded[i];
        const bool alnum = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        if (alnum) {
            decoded.push_back(c);
            continue;
        }
        if (c != '%' || i + 2 >= encoded.size()) std::abort();
        decoded.push_back(static_cast<char>(HexValue(encoded[i + 1]) * 16 + HexValue(encoded[i + 2])));
        i += 2;
    }
    if (decoded != bytes) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    CheckDecodesTo(EncodeFormBytes(bytes), bytes);

    static const Latin1Codec latin1;
    static const FakeDbcsCodec dbcs;
    for (const AnsiCodec* codec : {static_cast<const AnsiCodec*>(&latin1), static_cast<const AnsiCodec*>(&dbcs)}) {
        const std::wstring text = codec->FromAnsi(bytes);
        CheckDecodesTo(EncodeFormValue(text, *codec), codec->ToAnsi(text));
    }
    return 0;
}
