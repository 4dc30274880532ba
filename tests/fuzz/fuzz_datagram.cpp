// Whatever bytes a datagram carries reach the form unchanged, the pane shows
// the record's text, and a reply of any bytes decodes without fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "../unit/fakes.h"
#include "gateway/reply_text.h"

namespace {
std::string Unescape(const std::string& field) {
    std::string out;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '%') {
            out.push_back(static_cast<char>(std::stoi(field.substr(i + 1, 2), nullptr, 16)));
            i += 2;
        } else {
            out.push_back(field[i]);
        }
    }
    return out;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string datagram(reinterpret_cast<const char*>(data), size);
    for (int dbcs = 0; dbcs < 2; ++dbcs) {
        Rig rig;
        FakeDbcsCodec doubleByte;
        if (dbcs) rig.codec = &doubleByte;
        rig.http.replies = {FakeHttp::Reply(200, datagram, L"text/plain")};
        rig.Loaded();
        rig.Arrive(datagram);
        if (rig.http.bodies.size() != 1) std::abort();
        const std::string& body = rig.http.bodies[0];
        const auto from = body.find("&adif=") + 6;
        const auto to = body.find("&api=");
        if (Unescape(body.substr(from, to - from)) != datagram) std::abort();
        if (rig.view.text1 != ShowableInPane(rig.codec->FromAnsi(datagram)) + L"\r\n") std::abort();
        if (rig.view.text2.rfind(L"[200] ", 0) != 0) std::abort();
    }
    // UTF-8 where the bytes are valid UTF-8, else the code page: never a
    // character that is none.
    Latin1Codec latin1;
    for (wchar_t c : DecodeReplyText(datagram, L"", latin1)) {
        const auto v = static_cast<std::uint32_t>(c);
        if (sizeof(wchar_t) == 4 && (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))) std::abort();
    }
    return 0;
}
