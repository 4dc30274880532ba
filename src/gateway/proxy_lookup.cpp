#include "gateway/proxy_lookup.h"

ProxyLookups::ProxyLookups(bool autoDetect, bool configuredScript) {
    // Taken from the back: auto-detection first, as Windows tries them.
    if (configuredScript) pending_.push_back({ProxyLookup::Source::ConfiguredScript, false});
    if (autoDetect) pending_.push_back({ProxyLookup::Source::AutoDetect, false});
}

std::optional<ProxyLookup> ProxyLookups::Next(std::uint32_t lastError) {
    if (last_ && last_->source == ProxyLookup::Source::ConfiguredScript && !last_->autoLogon &&
        lastError == kProxyScriptLoginFailure) {
        last_->autoLogon = true;
        return last_;
    }
    if (pending_.empty()) {
        last_.reset();
        return std::nullopt;
    }
    last_ = pending_.back();
    pending_.pop_back();
    return last_;
}

std::optional<FoundProxy> FoundProxyMemory::For(const std::wstring& settings) const {
    if (!kept_ || settings != settings_) return std::nullopt;
    return kept_;
}

void FoundProxyMemory::After(const std::wstring& settings, const std::optional<FoundProxy>& found, bool replied) {
    if (!replied) {
        kept_.reset();
        return;
    }
    if (!found) return;
    settings_ = settings;
    kept_ = found;
}
