#include <algorithm>
#include <map>

#include "gateway_test.h"
#include "harness/pixels.h"

namespace e2e {
namespace {

// A label's font as the window's layout gives it.
struct LabelFont {
    int id;
    const wchar_t* face;
    double points;
    bool bold;
};

const LabelFont kMonitorLabels[] = {
    {IDC_LABEL1, L"Arial", 8.25, true},   {IDC_LABEL2, L"Arial", 8.25, true},
    {IDC_LABEL4, L"Calibri", 8.25, false}, {IDC_LABEL6, L"Calibri", 8.25, false},
    {IDC_VERSIONLABEL, L"Calibri", 8.25, false},
};

const LabelFont kSettingsLabels[] = {
    {IDC_S_LABEL1, L"MS Sans Serif", 8.25, false},  {IDC_S_LABEL3, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL2, L"MS Sans Serif", 8.25, false},  {IDC_S_LABEL7, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL5, L"MS Sans Serif", 8.25, false},  {IDC_S_LABEL13, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL11, L"MS Sans Serif", 8.25, false}, {IDC_S_LABEL9, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL10, L"MS Sans Serif", 8.25, false}, {IDC_S_LABEL4, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL8, L"MS Sans Serif", 8.25, false},  {IDC_S_LABEL16, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL15, L"MS Sans Serif", 8.25, true},  {IDC_S_LABEL12, L"MS Sans Serif", 8.25, false},
    {IDC_S_LABEL6, L"Calibri", 8.25, false},        {IDC_S_LABEL14, L"Calibri", 8.25, false},
    {IDC_S_VERSIONLABEL, L"Calibri", 8.25, false},
};

const int kFrames[] = {IDC_S_FRAME1, IDC_S_FRAME2, IDC_S_FRAME3, IDC_S_FRAME4};

SIZE TextExtent(const std::wstring& text, const wchar_t* face, double points, bool bold) {
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(points * ScreenDpi() / 72.0 + 0.5);
    lf.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

// A child's rectangle in the picture's coordinates.
RECT InPicture(HWND child, const Picture& picture) {
    RECT r{};
    GetWindowRect(child, &r);
    OffsetRect(&r, -picture.where.left, -picture.where.top);
    return r;
}

bool Inside(const RECT& r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

std::string Hex(DWORD colour) {
    char text[16];
    wsprintfA(text, "%06lX", colour);
    return text;
}

class Look : public GatewayTest {
protected:
    std::string Name(const char* window) const { return std::string(window) + "-" + std::to_string(ScreenDpi()) + "dpi"; }

    // Every label is at least as large as its text in its own font, and its
    // background is the colour it should stand on.
    void ExpectLabelsFit(HWND window, const Picture& picture, const LabelFont* labels, size_t count,
                         const std::map<int, DWORD>& background) {
        for (size_t i = 0; i < count; ++i) {
            const LabelFont& label = labels[i];
            HWND control = GetDlgItem(window, label.id);
            ASSERT_NE(control, nullptr) << label.id;
            const std::wstring text = WindowText(control);
            const SIZE needed = TextExtent(text, label.face, label.points, label.bold);
            RECT client{};
            GetClientRect(control, &client);
            EXPECT_GE(client.right, needed.cx) << "\"" << Narrow(text) << "\" is cut on the right";
            EXPECT_GE(client.bottom, needed.cy) << "\"" << Narrow(text) << "\" is cut at the bottom";
            // The colour most of the label shows is its background.
            std::map<DWORD, int> seen;
            const RECT r = InPicture(control, picture);
            for (int y = std::max(0L, r.top); y < std::min<LONG>(picture.height, r.bottom); ++y)
                for (int x = std::max(0L, r.left); x < std::min<LONG>(picture.width, r.right); ++x) ++seen[picture.At(x, y)];
            const auto most = std::max_element(seen.begin(), seen.end(),
                                               [](const auto& a, const auto& b) { return a.second < b.second; });
            ASSERT_NE(most, seen.end()) << "\"" << Narrow(text) << "\" is outside the window";
            const DWORD want = background.count(label.id) ? background.at(label.id) : PictureColour(COLOR_BTNFACE);
            EXPECT_EQ(Hex(most->first), Hex(want)) << "the background of \"" << Narrow(text) << "\"";
            // The text, drawn from the label's left, stays clear of its right
            // edge: a glyph drawn up to that edge has been cut there.
            int inkAtEdge = 0;
            for (int y = std::max(0L, r.top); y < std::min<LONG>(picture.height, r.bottom); ++y)
                if (r.right - 1 >= 0 && r.right - 1 < picture.width)
                    inkAtEdge += picture.At(static_cast<int>(r.right - 1), y) != most->first;
            EXPECT_EQ(inkAtEdge, 0) << "\"" << Narrow(text) << "\" is drawn up to its label's right edge";
        }
    }

    // Outside the controls (and inside the frames) the window shows its face.
    void ExpectFaceAroundControls(HWND window, const Picture& picture, const int* frames, size_t frameCount) {
        const DWORD face = PictureColour(COLOR_BTNFACE);
        std::vector<RECT> controls;
        std::vector<RECT> frameBorders;  // the frame's whole rectangle, and its inside
        for (HWND child : Children(window)) {
            if (!IsWindowVisible(child)) continue;
            const int id = GetDlgCtrlID(child);
            if (std::find(frames, frames + frameCount, id) == frames + frameCount) {
                controls.push_back(InPicture(child, picture));
                continue;
            }
            const RECT outer = InPicture(child, picture);
            const SIZE caption = TextExtent(WindowText(child), L"MS Sans Serif", 8.25, true);
            RECT inner{outer.left + 3, outer.top + caption.cy + 2, outer.right - 3, outer.bottom - 3};
            frameBorders.push_back(outer);
            frameBorders.push_back(inner);
        }
        int wrong = 0;
        std::string firstWrong;
        for (int y = 0; y < picture.height; ++y) {
            for (int x = 0; x < picture.width; ++x) {
                if (std::any_of(controls.begin(), controls.end(), [&](const RECT& r) { return Inside(r, x, y); }))
                    continue;
                bool onBorder = false;
                for (size_t f = 0; f < frameBorders.size(); f += 2)
                    onBorder |= Inside(frameBorders[f], x, y) && !Inside(frameBorders[f + 1], x, y);
                if (onBorder || picture.At(x, y) == face) continue;
                if (wrong++ == 0) firstWrong = "(" + std::to_string(x) + ", " + std::to_string(y) + ") is " + Hex(picture.At(x, y));
            }
        }
        EXPECT_EQ(wrong, 0) << "pixels outside the controls that are not the face colour " << Hex(face)
                            << "; the first: " << firstWrong;
    }
};

TEST_F(Look, MonitorWindowPaintsItsFaceAndFitsItsLabels) {
    StartGatewayWithPort(42301);
    ASSERT_FALSE(HasFatalFailure());
    HWND monitor = gateway_.monitor();
    const Picture picture = CaptureClientSettled(monitor);
    SavePicture(picture, Name("monitor"));
    const DWORD window = PictureColour(COLOR_WINDOW);
    ExpectLabelsFit(monitor, picture, kMonitorLabels, std::size(kMonitorLabels),
                    {{IDC_LABEL4, window}, {IDC_LABEL6, window}, {IDC_VERSIONLABEL, window}});
    ExpectFaceAroundControls(monitor, picture, nullptr, 0);
}

TEST_F(Look, SettingsWindowPaintsItsFramesAndFitsItsLabels) {
    StartGatewayWithPort(42302);
    ASSERT_FALSE(HasFatalFailure());
    PostMessageW(GetDlgItem(gateway_.monitor(), IDC_SETTINGSCOMMAND), BM_CLICK, 0, 0);
    HWND settings = WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, kSettingsCaption, kReplyTimeoutMs);
    ASSERT_NE(settings, nullptr);
    const Picture picture = CaptureClientSettled(settings);
    SavePicture(picture, Name("settings"));
    ExpectLabelsFit(settings, picture, kSettingsLabels, std::size(kSettingsLabels), {});
    ExpectFaceAroundControls(settings, picture, kFrames, std::size(kFrames));
}

TEST_F(Look, APaneShowsItsSelectionAndItsMenuGreysCopyWithoutOne) {
    service_.Enqueue(ScriptedReply::Status(200, "Result: 1 out of 1 records added", "text/plain"));
    StartGatewayWithPort(42303);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("SP9XYZ"));
    ASSERT_TRUE(WaitUntil([&] { return !gateway_.Pane2().empty(); }, kReplyTimeoutMs)) << "no reply shown";
    HWND monitor = gateway_.monitor();
    HWND records = GetDlgItem(monitor, IDC_TEXT1);
    ClickAt(records, POINT{30, 12}, false);
    ASSERT_TRUE(WaitUntil([&] { return FocusedControl(monitor) == records; }, kReplyTimeoutMs))
        << "a click into the pane gave it no focus";
    SetCursorPos(0, GetSystemMetrics(SM_CYSCREEN) - 1);  // off the menu: no item lit under the pointer

    // The window with its menu, opened by the Menu key; the darkest ink (R+G+B)
    // of Copy above the separator and of Select All below it, inside the frame.
    const auto inkWithMenu = [&](const char* name) {
        PressChord(monitor, {VK_APPS});
        HWND menu = nullptr;
        EXPECT_TRUE(WaitUntil([&] { return (menu = ContextMenuOf(gateway_.pid())) != nullptr; }, kReplyTimeoutMs))
            << "the Menu key opened no menu";
        RECT shown{}, around{};
        const auto darkest = [&](const Picture& picture, LONG top, LONG bottom) {
            int least = 3 * 255;
            for (LONG y = top; y < bottom; ++y)
                for (LONG x = shown.left + 3; x < shown.right - 3; ++x) {
                    const DWORD c = picture.At(x - around.left, y - around.top);
                    least = std::min<int>(least, ((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF));
                }
            return least;
        };
        Picture picture;
        std::pair<int, int> ink;
        // Taken again, the menu's place read again, until the menu has drawn
        // itself where it stands, its face over most of its place (the pane's
        // text below it would pass for its items), and its items: Select All
        // has ink.
        const auto menuFace = [&](const Picture& p) {
            long face = 0;
            for (LONG y = shown.top; y < shown.bottom; ++y)
                for (LONG x = shown.left; x < shown.right; ++x)
                    face += p.At(x - around.left, y - around.top) == PictureColour(COLOR_MENU);
            return 2 * face > (shown.right - shown.left) * (shown.bottom - shown.top);
        };
        EXPECT_TRUE(WaitUntil([&] {
            GetWindowRect(menu, &shown);
            GetWindowRect(monitor, &around);
            UnionRect(&around, &around, &shown);
            const LONG middle = (shown.top + shown.bottom) / 2;
            picture = CaptureScreen(around);
            ink = {darkest(picture, shown.top + 3, middle - 2), darkest(picture, middle + 2, shown.bottom - 3)};
            return menuFace(picture) && ink.second < 3 * 64;
        }, 5000, 100)) << "the menu did not draw itself";
        SavePicture(picture, Name(name));
        PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 1);
        EXPECT_TRUE(WaitForWindowGone(menu, kReplyTimeoutMs));
        return ink;
    };
    const auto [greyed, selectAll] = inkWithMenu("pane-menu");
    EXPECT_GT(greyed, 3 * 96) << "Copy is not greyed without a selection";
    EXPECT_LT(selectAll, 3 * 64) << "Select All is greyed";
    PressChord(monitor, {VK_CONTROL, 'A'});
    ASSERT_TRUE(WaitUntil([&] { return HIWORD(SendRemote(records, EM_GETSEL, 0, 0)) > 0; }, kReplyTimeoutMs))
        << "Ctrl+A selected nothing";
    EXPECT_LT(inkWithMenu("pane-menu-selected").first, 3 * 64) << "Copy is greyed with a selection";
    const Picture pane = CaptureClientSettled(records);
    EXPECT_GT(std::count(pane.pixels.begin(), pane.pixels.end(), PictureColour(COLOR_HIGHLIGHT)), 0)
        << "the selection is not drawn";
}

}  // namespace
}  // namespace e2e
