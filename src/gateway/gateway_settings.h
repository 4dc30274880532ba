#pragma once
#include "gateway/gateway_state.h"
#include "gateway/lifecycle.h"
#include "gateway/listener.h"
#include "platform/ansi_codec.h"
#include "platform/monitor_view.h"
#include "settings/settings_owner.h"
#include "settings/settings_store.h"

// The settings the gateway runs with: where they come from at start-up (the
// file, or the first-run values), where the monitor window stands, the
// settings window's Save, and what the file is given to keep.
class GatewaySettings {
public:
    GatewaySettings(GatewayState& state, MonitorView& view, SettingsStore& store, Listener& listener,
                    Lifecycle& life, const AnsiCodec& codec)
        : state_(state), view_(view), store_(store), listener_(listener), life_(life), codec_(codec) {}
    GatewaySettings(const GatewaySettings&) = delete;
    GatewaySettings& operator=(const GatewaySettings&) = delete;

    // The file's values, or the first-run ones when there is none or it
    // cannot be read; the monitor window on a screen either way.
    void LoadAtStartUp();
    SettingsValues Current() const;
    // What the file keeps: the values and where the monitor window is now.
    StoredSettings ValuesToStore() const;
    // Unblock rule, copy, re-bind, file. A value the next start would read
    // back otherwise stops it before anything is applied; a port that cannot
    // be bound keeps the previous one.
    SaveOutcome SaveFromSettingsWindow(const SettingsBoxes& boxes);

private:
    void LoadSettingsFromINI();
    void SetDefaultSettings();
    void KeepMonitorOnScreen();

    GatewayState& state_;
    MonitorView& view_;
    SettingsStore& store_;
    Listener& listener_;
    Lifecycle& life_;
    const AnsiCodec& codec_;
};
