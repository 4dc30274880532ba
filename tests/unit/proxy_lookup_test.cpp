// The proxy look-ups the program runs itself: no logon sent to a host that
// merely answered auto-detection, and a found proxy kept while it works.
#include <gtest/gtest.h>

#include "gateway/proxy_lookup.h"

namespace {
using Source = ProxyLookup::Source;
constexpr std::uint32_t kNotFound = 12180;  // auto-detection found no script

// The look-ups run when every one fails with `error`.
std::vector<std::pair<Source, bool>> RunAll(bool autoDetect, bool script, std::uint32_t error) {
    ProxyLookups lookups(autoDetect, script);
    std::vector<std::pair<Source, bool>> ran;
    std::uint32_t last = 0;
    while (const auto lookup = lookups.Next(last)) {
        ran.emplace_back(lookup->source, lookup->autoLogon);
        last = error;
        if (ran.size() > 10) break;
    }
    return ran;
}

TEST(ProxyLookup, OnlyTheConfiguredScriptGetsTheLogonAndOnlyAfterItAskedForALogin) {
    using Ran = std::vector<std::pair<Source, bool>>;
    EXPECT_EQ(RunAll(true, false, kProxyScriptLoginFailure), (Ran{{Source::AutoDetect, false}}))
        << "a host answering auto-detection got the logon";
    EXPECT_EQ(RunAll(false, true, kNotFound), (Ran{{Source::ConfiguredScript, false}}));
    EXPECT_EQ(RunAll(false, true, kProxyScriptLoginFailure),
              (Ran{{Source::ConfiguredScript, false}, {Source::ConfiguredScript, true}}));
    EXPECT_EQ(RunAll(true, true, kProxyScriptLoginFailure),
              (Ran{{Source::AutoDetect, false}, {Source::ConfiguredScript, false}, {Source::ConfiguredScript, true}}));
    EXPECT_EQ(RunAll(true, true, kNotFound), (Ran{{Source::AutoDetect, false}, {Source::ConfiguredScript, false}}));
    EXPECT_TRUE(RunAll(false, false, 0).empty());
}

TEST(ProxyLookup, AFoundProxyIsKeptForItsSettingsUntilAnExchangeFails) {
    FoundProxyMemory memory;
    memory.After(L"script", FoundProxy{3, L"proxy.lan:8080", L""}, false);
    EXPECT_FALSE(memory.For(L"script")) << "kept though the exchange through it failed";
    memory.After(L"script", FoundProxy{3, L"proxy.lan:8080", L""}, true);
    memory.After(L"script", std::nullopt, true);
    EXPECT_EQ(memory.For(L"script").value_or(FoundProxy{}).proxy, L"proxy.lan:8080");
    EXPECT_FALSE(memory.For(L"other script")) << "kept across a change of settings";
    memory.After(L"script", std::nullopt, false);
    EXPECT_FALSE(memory.For(L"script")) << "kept after an exchange through it failed";
}
}  // namespace
