#include "gateway_test.h"

namespace e2e {
namespace {

using Upload = GatewayTest;
using LoginRejected = GatewayTest;

std::vector<std::string> Names(const std::vector<FormField>& fields) {
    std::vector<std::string> names;
    for (const auto& f : fields) names.push_back(f.name);
    return names;
}

TEST_F(Upload, Status200ShowsRecordAndReplyWithoutMessage) {
    service_.Enqueue(ScriptedReply::Status(200, "Result: 1 out of 1 records added", "text/plain"));
    StartGatewayWithPort(42011);
    ASSERT_FALSE(HasFatalFailure());
    const std::string record = Contact("SP9XYZ");
    Send(record);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing posted";
    ExpectPanes(FromAnsi(record) + L"\r\n", L"[200] Result: 1 out of 1 records added\r\n");
    EXPECT_TRUE(NoBoxAppears());

    const RecordedRequest req = service_.Requests()[0];
    EXPECT_EQ(req.method, "POST");
    EXPECT_EQ(req.path, "/realtime.php");
    EXPECT_EQ(req.Header("Content-Type"), "application/x-www-form-urlencoded");
    EXPECT_EQ(req.body.find('\r'), std::string::npos) << "line end in the body";
}

TEST_F(Upload, FormHasFiveFieldsInOrderWithStrictEscapes) {
    StartGatewayWithPort(42012, "op.name_1@example-mail.org", "a b&c=d%*+", "DL1ABC/P");
    ASSERT_FALSE(HasFatalFailure());
    Send("<eor> A1");
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs)) << "nothing posted";
    const std::string body = service_.Requests()[0].body;
    const auto fields = DecodeForm(body);
    EXPECT_EQ(Names(fields), (std::vector<std::string>{"email", "password", "callsign", "adif", "api"})) << body;
    EXPECT_EQ(body.rfind("email=", 0), 0u) << "no leading field or separator allowed: " << body;

    auto field = [&](const char* name) { return FindField(fields, name).value_or(FormField{}); };
    EXPECT_EQ(field("email").raw, "op%2Ename%5F1%40example%2Dmail%2Eorg");
    EXPECT_EQ(field("password").raw, "a%20b%26c%3Dd%25%2A%2B");
    EXPECT_EQ(field("callsign").raw, "DL1ABC%2FP");
    EXPECT_EQ(field("adif").raw, "%3Ceor%3E%20A1");
    const std::string api = field("api").raw;
    EXPECT_EQ(api.size(), 40u) << api;
    EXPECT_EQ(api.find_first_not_of("0123456789abcdef"), std::string::npos) << "api not lowercase hex: " << api;
    for (const auto& f : fields) EXPECT_TRUE(IsStrictlyEscaped(f.raw)) << f.name << "=" << f.raw;
}

TEST_F(Upload, ApiKeyIsTheSameConstantEveryTime) {
    StartGatewayWithPort(42013);
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("OK1AA", 1));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    Send(Contact("OK1AA", 2));
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    const auto requests = service_.Requests();
    const auto a = FindField(DecodeForm(requests[0].body), "api");
    const auto b = FindField(DecodeForm(requests[1].body), "api");
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->raw, b->raw);
}

TEST_F(Upload, Status400And404ShownWithoutMessage) {
    service_.Enqueue(ScriptedReply::Status(400, "Missing field"));
    service_.Enqueue(ScriptedReply::Status(404, "No such page"));
    service_.Enqueue(ScriptedReply::Status(200, "fine"));
    StartGatewayWithPort(42014);
    ASSERT_FALSE(HasFatalFailure());
    const std::string r1 = Contact("G4AAA", 1), r2 = Contact("G4AAA", 2), r3 = Contact("G4AAA", 3);
    Send(r1);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(r1) + L"\r\n", L"[400] Missing field\r\n");
    EXPECT_FALSE(gateway_.HasBox());
    Send(r2);
    ASSERT_TRUE(service_.WaitForRequests(2, kReplyTimeoutMs));
    ExpectPanes(FromAnsi(r1 + "\r\n" + r2) + L"\r\n", L"[400] Missing field\r\n[404] No such page\r\n");
    EXPECT_TRUE(NoBoxAppears());
    // Not blocked: the next record is posted too.
    Send(r3);
    ASSERT_TRUE(service_.WaitForRequests(3, kReplyTimeoutMs)) << "a 4xx other than 403 blocked the uploads";
}

TEST_F(Upload, EmptyCredentialsAreSentAsEmptyFields) {
    StartGatewayWithPort(42015, "", "", "");
    ASSERT_FALSE(HasFatalFailure());
    Send("<call:4>K1AB <eor>");
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const std::string body = service_.Requests()[0].body;
    EXPECT_EQ(body.rfind("email=&password=&callsign=&adif=%3Ccall%3A4%3EK1AB%20%3Ceor%3E&api=", 0), 0u) << body;
}

TEST_F(Upload, CredentialsFromFileAreSentAsStored) {
    StartGatewayWithPort(42016, "Op@Example.org", "Pass Word", "dl1abc");
    ASSERT_FALSE(HasFatalFailure());
    Send(Contact("EA1ZZ"));
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    const auto fields = DecodeForm(service_.Requests()[0].body);
    EXPECT_EQ(FindField(fields, "email").value_or(FormField{}).decoded, "Op@Example.org");
    EXPECT_EQ(FindField(fields, "password").value_or(FormField{}).decoded, "Pass Word");
    EXPECT_EQ(FindField(fields, "callsign").value_or(FormField{}).decoded, "dl1abc");
}

TEST_F(LoginRejected, Status403UpdatesPanesThenBlocksNextDatagram) {
    service_.Enqueue(ScriptedReply::Status(403, "Login failed"));
    StartGatewayWithPort(42021);
    ASSERT_FALSE(HasFatalFailure());
    const std::string r1 = Contact("JA1AAA", 1);
    Send(r1);
    ASSERT_TRUE(service_.WaitForRequests(1, kReplyTimeoutMs));
    // Both panes are filled before the message shows.
    auto box = gateway_.WaitForBox();
    ASSERT_TRUE(box) << "no message after 403";
    EXPECT_EQ(Narrow(gateway_.Pane1()), Narrow(FromAnsi(r1) + L"\r\n"));
    EXPECT_EQ(Narrow(gateway_.Pane2()), "[403] Login failed\r\n");
    MessageBoxView forbidden = ExpectBox(kMsgForbidden, BoxIcon::Critical, false);
    AnswerAndWait(forbidden, IDOK);

    // Whether the settings window opened is the settings window's own test.
    if (HWND settings = WaitForProcessWindow(gateway_.pid(), VANTARY_SETTINGS_CLASS, nullptr, 3000))
        PostMessageW(settings, WM_CLOSE, 0, 0);

    Send(Contact("JA1AAA", 2));
    MessageBoxView blocked = ExpectBox(kMsgBlocked, BoxIcon::Critical, false);
    EXPECT_EQ(service_.RequestCount(), 1u) << "a blocked record was posted";
    AnswerAndWait(blocked, IDOK);
    EXPECT_TRUE(NoMoreRequests(1));
    EXPECT_EQ(Narrow(gateway_.Pane1()), Narrow(FromAnsi(r1) + L"\r\n")) << "the blocked record reached a pane";
    EXPECT_EQ(Narrow(gateway_.Pane2()), "[403] Login failed\r\n");
}

}  // namespace
}  // namespace e2e
