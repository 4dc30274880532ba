#pragma once
// Scripted fakes of the platform ports. Each records what it was asked, in
// one shared log, so tests can assert the order of a sequence.
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "gateway/main_form.h"

struct CallLog {
    std::vector<std::string> calls;
    void Add(const std::string& call) { calls.push_back(call); }
};

inline std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) out.push_back(c < 128 ? static_cast<char>(c) : '?');
    return out;
}

// Code page 1252 stands in as Latin-1: each byte is one character.
class Latin1Codec : public AnsiCodec {
public:
    std::string ToAnsi(std::wstring_view text) const override {
        std::string out;
        for (wchar_t c : text) out.push_back(static_cast<unsigned>(c) < 256 ? static_cast<char>(c) : '?');
        return out;
    }
    std::wstring FromAnsi(std::string_view bytes) const override {
        std::wstring out;
        for (char c : bytes) out.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
        return out;
    }
    bool FromCodePage(unsigned codePage, std::string_view bytes, std::wstring& text) const override {
        if (codePage != 28591 && codePage != 1252) return false;
        text = FromAnsi(bytes);
        return true;
    }
    wchar_t DecimalSeparator() const override { return separator; }
    wchar_t separator = L'.';
};

// A double-byte code page: a lead byte 0x81..0xFE and the next byte make one
// character (0x10000 + the pair); text round trips lose invalid pairs.
class FakeDbcsCodec : public Latin1Codec {
public:
    std::string ToAnsi(std::wstring_view text) const override {
        std::string out;
        for (wchar_t c : text) {
            const auto v = static_cast<unsigned>(c);
            if (v >= 0x10000) {
                out.push_back(static_cast<char>((v >> 8) & 0xFF));
                out.push_back(static_cast<char>(v & 0xFF));
            } else {
                out.push_back(v < 0x80 ? static_cast<char>(v) : '?');
            }
        }
        return out;
    }
    std::wstring FromAnsi(std::string_view bytes) const override {
        std::wstring out;
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            const auto b = static_cast<unsigned char>(bytes[i]);
            if (b >= 0x81 && b <= 0xFE && i + 1 < bytes.size()) {
                out.push_back(static_cast<wchar_t>(0x10000 + (b << 8) + static_cast<unsigned char>(bytes[++i])));
            } else {
                out.push_back(b < 0x80 ? static_cast<wchar_t>(b) : L'?');
            }
        }
        return out;
    }
};

class FakeApp : public Application {
public:
    explicit FakeApp(CallLog& log) : log_(log) {}
    std::wstring ExeFolder() const override { return folder; }
    std::wstring ExeTitle() const override { return L"vantary-gateway"; }
    std::wstring ShortPath(const std::wstring& path) const override {
        return path == folder ? shortFolder : std::wstring();
    }
    bool PreviousInstanceRunning() override { log_.Add("app.PrevInstance"); return previousInstance; }
    void EndNow() override { log_.Add("app.End"); }
    bool previousInstance = false;
    std::wstring folder = L"C:\\Radio";
    std::wstring shortFolder;

private:
    CallLog& log_;
};

class FakeView : public MonitorView {
public:
    explicit FakeView(CallLog& log) : log_(log) {}
    void SetVersionCaption(const std::wstring& text) override { log_.Add("view.Version " + Narrow(text)); }
    void AppendToPane(Pane pane, const std::wstring& text) override {
        (pane == Pane::Text1 ? text1 : text2) += text;
        log_.Add(pane == Pane::Text1 ? "view.Text1" : "view.Text2");
    }
    void MoveCaretToEnd(Pane pane) override { log_.Add(pane == Pane::Text1 ? "view.Caret1" : "view.Caret2"); }
    float Left() const override { return left; }
    float Top() const override { return top; }
    void SetLeft(float twips) override { left = twips; log_.Add("view.SetLeft"); }
    void SetTop(float twips) override { top = twips; log_.Add("view.SetTop"); }
    float OuterWidth() const override { return 4560; }
    float OuterHeight() const override { return 3000; }
    float ScreenWidth() const override { return 15360; }
    float ScreenHeight() const override { return 11520; }
    std::vector<ScreenRect> WorkAreas() const override { return workAreas; }
    bool IsVisible() const override { return visible; }
    void Show() override { visible = true; log_.Add("view.Show"); }
    void Hide() override { visible = false; log_.Add("view.Hide"); }
    void SetStateNormal() override { log_.Add("view.Normal"); }
    void Destroy() override { log_.Add("view.Destroy"); }

    std::wstring text1, text2;
    float left = 0, top = 0;
    bool visible = true;
    std::vector<ScreenRect> workAreas{{0, 0, 15360, 11520}};

private:
    CallLog& log_;
};

inline SenderAddress Ipv4Sender(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
    SenderAddress s;
    s.bytes = {a, b, c, d};
    s.text = std::to_wstring(a) + L"." + std::to_wstring(b) + L"." + std::to_wstring(c) + L"." + std::to_wstring(d);
    return s;
}

// The networks this computer is on, as the test sets them; counts the look-ups.
class FakeNetworks : public LocalNetworks {
public:
    std::vector<Ipv6Prefix> OnLinkPrefixes() override {
        ++lookUps;
        return prefixes;
    }
    std::vector<Ipv6Prefix> prefixes;
    int lookUps = 0;
};

class FakeSocket : public UdpSocket {
public:
    explicit FakeSocket(CallLog& log) : log_(log) {}
    void Close() override {
        if (bound) ++handle;  // the next socket is another one
        bound.reset();
        log_.Add("sock.Close");
    }
    void SetProtocolUdp() override { log_.Add("sock.Udp"); }
    BindResult Bind(std::uint16_t port) override {
        log_.Add("sock.Bind " + std::to_string(port));
        BindResult result;
        if (busyPorts.count(port)) {
            result.ok = false;
            result.description = L"Address already in use.";
        } else {
            bound = port;
        }
        return result;
    }
    std::optional<Datagram> ReadPending() override {
        if (failRead) throw std::runtime_error("read failed");
        if (!bound || waiting.empty()) return std::nullopt;
        Datagram d{waiting.front(), from};
        waiting.pop_front();
        log_.Add("sock.Read");
        return d;
    }
    void RequestReadCheck() override {
        ++readChecks;
        if (bound) posted.push_back(handle);
    }
    bool IsCurrent(std::uintptr_t socket) const override { return bound && socket == handle; }
    std::wstring ErrorText(int error) const override { return L"socket error " + std::to_wstring(error); }

    std::optional<std::uint16_t> bound;
    std::uintptr_t handle = 100;
    std::map<std::uint16_t, bool> busyPorts;
    std::deque<std::string> waiting;
    SenderAddress from = Ipv4Sender(127, 0, 0, 1);  // of every datagram read
    int readChecks = 0;
    std::deque<std::uintptr_t> posted;  // checks asked for, not yet dispatched
    bool failRead = false;

private:
    CallLog& log_;
};

class FakeHttp : public HttpPoster {
public:
    explicit FakeHttp(CallLog& log) : log_(log) {}
    HttpReply PostForm(const std::string& body) override {
        bodies.push_back(body);
        log_.Add("http.Post");
        // What happens while the exchange waits: events the wait dispatches.
        if (whileWaiting) {
            auto run = whileWaiting;
            run();
        }
        if (replies.empty()) return Reply(200, "OK");
        HttpReply r = replies.front();
        replies.pop_front();
        return r;
    }
    static HttpReply Reply(long status, const std::string& body, const std::wstring& contentType = L"") {
        HttpReply r;
        r.completed = true;
        r.status = status;
        r.body = body;
        r.contentType = contentType;
        return r;
    }
    static HttpReply Failure(std::int32_t number) {
        HttpReply r;
        r.errorNumber = number;
        return r;
    }
    std::deque<HttpReply> replies;
    std::vector<std::string> bodies;
    std::function<void()> whileWaiting;

private:
    CallLog& log_;
};

struct ShownBox {
    std::wstring text;
    unsigned style;
};

class FakeBoxes : public MessageBoxes {
public:
    explicit FakeBoxes(CallLog& log) : log_(log) {}
    int Show(const std::wstring& text, unsigned style) override {
        shown.push_back({text, style});
        log_.Add("box " + Narrow(text.substr(0, text.find(L'\r'))));
        // What happens while the box waits: events it would dispatch.
        if (whileWaiting) {
            auto run = whileWaiting;
            run();
        }
        if (answers.empty()) return (style & mb::kYesNo) ? mb::kAnswerNo : mb::kAnswerOk;
        int a = answers.front();
        answers.pop_front();
        return a;
    }
    std::vector<ShownBox> shown;
    std::deque<int> answers;
    std::function<void()> whileWaiting;

private:
    CallLog& log_;
};

// The profile functions' behaviour on one in-memory file.
class FakeProfile : public ProfileStore {
public:
    explicit FakeProfile(CallLog& log) : log_(log) {}
    void GetString(const std::string& section, const std::string& key, char* buffer, unsigned size,
                   const ProfilePath& path) override {
        lastPath = path.ansi;
        lastWidePath = path.wide;
        std::string value;
        auto it = values.find(section + "/" + key);
        if (exists && it != values.end()) value = it->second;
        if (value.size() > size - 1) value.resize(size - 1);
        std::copy(value.begin(), value.end(), buffer);
        buffer[value.size()] = '\0';
    }
    unsigned long WriteString(const std::string& section, const std::string& key, const std::string& value,
                              const ProfilePath& path) override {
        lastPath = path.ansi;
        lastWidePath = path.wide;
        log_.Add("ini " + section + "/" + key + "=" + value);
        if (writeError) return writeError;
        values[section + "/" + key] = value;
        writes.push_back(section + "/" + key + "=" + value);
        exists = true;
        return 0;
    }
    PathKind Find(const std::wstring& path) override {
        log_.Add("ini.Exists");
        existsPath = path;
        if (!exists) return PathKind::Nothing;
        return folder ? PathKind::Folder : PathKind::File;
    }
    unsigned long ReadError(const std::wstring&) override { return readError; }
    std::wstring ErrorText(unsigned long error) const override { return L"system error " + std::to_wstring(error); }
    std::map<std::string, std::string> values;
    std::vector<std::string> writes;
    bool exists = false;
    bool folder = false;  // a folder has the file's name
    std::string lastPath;
    std::wstring lastWidePath;
    std::wstring existsPath;
    unsigned long writeError = 0;  // every write fails with it
    unsigned long readError = 0;   // the file cannot be opened for reading

private:
    CallLog& log_;
};

// The settings window: its boxes as the operator left them.
class FakeSettingsView : public SettingsView {
public:
    explicit FakeSettingsView(CallLog& log) : log_(log) {}
    bool Load() override {
        if (refuseLoad) return false;
        loaded = true; unlimited = false; boxes = {}; ticked = false; masked = true;
        return true;
    }
    std::wstring LoadFailure() const override { return L"Not enough memory resources are available."; }
    bool Loaded() const override { return loaded; }
    void Unload() override { loaded = false; log_.Add("settings.Unload"); }
    void SetVersionCaption(const std::wstring& text) override { version = text; }
    void MoveTo(float left, float top) override { at = {left, top}; }
    float OuterWidth() const override { return 6000; }
    float OuterHeight() const override { return 6900; }
    void SetBoxes(const SettingsBoxes& b) override { boxes = b; }
    void UnlimitBoxes() override { unlimited = true; }
    SettingsBoxes Boxes() const override { return boxes; }
    bool ShowPasswordTicked() const override { return ticked; }
    void SetPasswordMasked(bool m) override { masked = m; }
    void ShowLoaded() override { enabledWhenShown = inputEnabled; log_.Add("settings.Show"); }
    bool IsMinimised() const override { return minimised; }
    void BringToFront() override { log_.Add("settings.Front"); }
    void SetStateNormal() override { minimised = false; log_.Add("settings.Normal"); }
    void EnableInput(bool enabled) override { inputEnabled = enabled; }
    void SelectPortBox() override { log_.Add("settings.SelectPort"); }

    bool loaded = false;
    bool refuseLoad = false;  // Windows makes no window
    bool unlimited = false;
    SettingsBoxes boxes;
    std::wstring version;
    std::pair<float, float> at{0, 0};
    bool ticked = false;
    bool masked = true;
    bool minimised = false;
    bool inputEnabled = true;
    bool enabledWhenShown = true;

private:
    CallLog& log_;
};

class FakeTray : public TrayIcon {
public:
    explicit FakeTray(CallLog& log) : log_(log) {}
    bool Add() override { log_.Add("tray.Add"); return Taken(); }
    bool AddAgain() override { log_.Add("tray.AddAgain"); return Taken(); }
    void Remove() override { log_.Add("tray.Remove"); }
    void ShowMenu() override { log_.Add("tray.Menu"); }
    void SetRetryTimer(bool on) override { retrying = on; }

    int refusals = 0;  // the next adds the shell refuses
    bool retrying = false;

private:
    bool Taken() {
        if (refusals == 0) return true;
        --refusals;
        return false;
    }
    CallLog& log_;
};

// A monitor window's logic wired to fakes.
struct Rig {
    CallLog log;
    FakeApp app{log};
    FakeView view{log};
    FakeSocket socket{log};
    FakeNetworks networks;
    FakeHttp http{log};
    FakeBoxes boxes{log};
    FakeProfile profile{log};
    Latin1Codec latin1;
    FakeSettingsView settings{log};
    FakeTray tray{log};
    const AnsiCodec* codec = &latin1;
    std::optional<Main_form> form;

    Main_form& Make() {
        form.emplace(MainFormPorts{app, view, socket, networks, http, boxes, profile, *codec, settings, tray});
        return *form;
    }
    Main_form& Loaded() {
        Make().Form_Load();
        log.calls.clear();
        return *form;
    }
    // Started from a settings file that holds these credentials and port 2333.
    Main_form& LoadedWith(const std::string& email, const std::string& password, const std::string& callsign) {
        profile.exists = true;
        profile.values["Credentials/email"] = email;
        profile.values["Credentials/password"] = password;
        profile.values["Credentials/callsign"] = callsign;
        profile.values["GatewayUDPsettings/HostPortNumber"] = "2333";
        return Loaded();
    }
    // The retry count as the operator meets it: a record that gets 500 each
    // time, answered Yes each time, is posted five times less the count.
    // Leaves the count at 0.
    int TrialsSoFar() {
        const std::size_t before = http.bodies.size();
        http.replies.assign(6, FakeHttp::Reply(500, "err"));
        boxes.answers.assign(6, mb::kAnswerYes);
        Arrive("probe");
        http.replies.clear();
        boxes.answers.clear();
        return 5 - static_cast<int>(http.bodies.size() - before);
    }
    // A datagram arrives and its readiness event is dispatched.
    void Arrive(const std::string& datagram) {
        socket.waiting.push_back(datagram);
        form->OnSocketNotification(socket.handle, kSocketReadable, 0);
    }
    // The message loop dispatches the read checks asked for, and those they ask for.
    void DispatchChecks() {
        while (!socket.posted.empty()) {
            const std::uintptr_t handle = socket.posted.front();
            socket.posted.pop_front();
            form->OnSocketNotification(handle, kSocketReadable, 0);
        }
    }
};
