// The operator's guide against the program's own texts: every box the guide
// shows is one the program shows, every box the program shows is in the
// guide, and every text in double quotes is one of the program's.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "fakes.h"
#include "gateway/guarded_call.h"
#include "gateway/messages.h"
#include "tray/tray_logic.h"

namespace {
namespace fs = std::filesystem;

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

bool IsUnderline(const std::string& line) {
    return !line.empty() && (line.find_first_not_of('-') == std::string::npos ||
                             line.find_first_not_of('=') == std::string::npos);
}

bool Indented(const std::string& line) { return line.rfind("    ", 0) == 0; }

// The indented blocks of the messages section, each as a box would hold it.
std::vector<std::string> GuideBoxes(const std::vector<std::string>& lines) {
    std::vector<std::string> boxes;
    bool inSection = false;
    std::vector<std::string> block;
    auto flush = [&] {
        while (!block.empty() && block.back().empty()) block.pop_back();
        if (block.empty()) return;
        std::string box = block.front();
        for (std::size_t i = 1; i < block.size(); ++i) box += "\r\n" + block[i];
        boxes.push_back(box);
        block.clear();
    };
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const bool heading = i + 1 < lines.size() && IsUnderline(lines[i + 1]) && !lines[i].empty();
        if (heading) inSection = lines[i] == "Messages and what to do";
        if (!inSection) continue;
        if (Indented(lines[i]))
            block.push_back(lines[i].substr(4));
        else if (lines[i].empty() && !block.empty())
            block.push_back("");
        else
            flush();
    }
    flush();
    return boxes;
}

// A placeholder such as <the reason> stands for any one line.
bool Shows(const std::string& guideBox, const std::string& programText) {
    const std::string escaped = std::regex_replace(guideBox, std::regex(R"([.^$|()\[\]{}*+?\\])"), R"(\$&)");
    return std::regex_match(programText, std::regex(std::regex_replace(escaped, std::regex("<[^>\r\n]+>"), "[^\r\n]+")));
}

// Every box the program can show, with sample values where it fills some in.
std::vector<std::string> ProgramBoxes() {
    std::vector<std::wstring> texts = {
        messages::kAlreadyRunning, messages::kReallyStop,  messages::kUploadBlocked,
        messages::kForbidden,      messages::kServerError, messages::kMaxTrials,
        messages::kUploadManually, messages::NoConnection(-2147012867),
        messages::SocketError(L"The network is down."),
        messages::PortKept(L"70000", L"The port must be a whole number from 1 to 65535.", L"2333"),
        messages::SettingsNotSaved(L"C:\\G\\vantary-gateway.ini", L"Access is denied.", true),
        messages::SettingsNotSaved(L"C:\\G\\vantary-gateway.ini", L"Access is denied.", false),
        messages::SettingsNotRead(L"C:\\G\\vantary-gateway.ini", L"The file is in use."),
        messages::WindowNotMade(L"Settings", L"Not enough memory resources are available."),
        messages::SettingsWindowNotMade(L"Not enough memory resources are available."),
    };
    for (const wchar_t* why : {messages::kTooLong, messages::kNotInCodePage, messages::kBlankAtEnd,
                               messages::kQuotesAtEnds, messages::kLineBreak})
        texts.push_back(messages::ValueNotKept(L"Application password", why));
    // These two are made where they are shown.
    Rig rig;
    rig.profile.exists = true;
    rig.profile.values["GatewayUDPsettings/HostPortNumber"] = "abc";
    rig.Make().Form_Load();
    ReportUnexpectedFailure(rig.boxes, "bad_alloc");
    EXPECT_EQ(rig.boxes.shown.size(), 2u);
    for (const auto& box : rig.boxes.shown) texts.push_back(box.text);
    std::vector<std::string> narrow;
    for (const auto& t : texts) narrow.push_back(Narrow(t));
    return narrow;
}

// The wide string literals of the sources: captions, menu items, labels.
std::string SourceLiterals() {
    std::string all;
    const std::regex literal(R"re(L"((?:[^"\\]|\\.)*)")re");
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(VANTARY_SOURCE_DIR) / "src")) {
        const std::string text = ReadFile(entry.path());
        for (std::sregex_iterator m(text.begin(), text.end(), literal), end; m != end; ++m) all += (*m)[1].str() + "\n";
    }
    // A menu item reads without the & that marks its access key.
    return std::regex_replace(all, std::regex("&([A-Za-z])"), "$1");
}

class Guide : public ::testing::Test {
protected:
    const std::string text = ReadFile(fs::path(VANTARY_SOURCE_DIR) / "docs" / "operator-guide.md");
    const std::vector<std::string> lines = Lines(text);
};

TEST_F(Guide, ShowsEveryBoxOfTheProgramAndNoOther) {
    ASSERT_GT(lines.size(), 100u) << "the guide was not found under " << VANTARY_SOURCE_DIR;
    const std::vector<std::string> guide = GuideBoxes(lines);
    const std::vector<std::string> program = ProgramBoxes();
    for (const auto& box : guide) {
        bool found = false;
        for (const auto& t : program) found = found || Shows(box, t);
        EXPECT_TRUE(found) << "the guide shows a box the program does not:\n" << box;
    }
    for (const auto& t : program) {
        bool found = false;
        for (const auto& box : guide) found = found || Shows(box, t);
        EXPECT_TRUE(found) << "the guide does not show this box:\n" << t;
    }
}

// Double quotes hold the program's own words; other programs' are in single quotes.
TEST_F(Guide, QuotesOnlyTheProgramsTexts) {
    std::string prose;
    for (const auto& line : lines)
        if (!Indented(line)) prose += line + " ";
    prose = std::regex_replace(prose, std::regex(" +"), " ");
    std::string program = SourceLiterals();
    for (const auto& t : ProgramBoxes()) program += t + "\n";
    program += Narrow(tray::TipField(tray::kCredit));
    program = std::regex_replace(program, std::regex(R"(\\r\\n|\r\n)"), " ");
    const std::regex quoted("\"([^\"]+)\"");
    int count = 0;
    for (std::sregex_iterator m(prose.begin(), prose.end(), quoted), end; m != end; ++m, ++count)
        EXPECT_NE(program.find((*m)[1].str()), std::string::npos) << "not a text of the program: " << (*m)[0];
    EXPECT_GT(count, 30);
}

// It is the release's README.txt: Notepad shows every character as it is,
// and does not wrap. Only a box's own line, quoted exactly, may be longer.
TEST_F(Guide, ReadsAsPlainText) {
    std::string boxLines;
    for (const auto& box : GuideBoxes(lines)) boxLines += "\r\n" + box + "\r\n";
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.size() > 78) {
            EXPECT_TRUE(Indented(line) && boxLines.find("\r\n" + line.substr(4) + "\r\n") != std::string::npos)
                << "line " << i + 1 << " is wider than 78 columns: " << line;
        }
        EXPECT_EQ(line.find_first_of("`\t\r"), std::string::npos) << "line " << i + 1 << ": " << line;
        EXPECT_NE(line.rfind("#", 0), 0u) << "line " << i + 1 << ": " << line;
        EXPECT_EQ(line.find("**"), std::string::npos) << "line " << i + 1 << ": " << line;
        for (unsigned char c : line) EXPECT_LT(c, 0x80) << "line " << i + 1 << ": " << line;
    }
}

}  // namespace
