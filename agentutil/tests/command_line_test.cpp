#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "agentutil/command_line.h"
#include "agentutil/poll_result_text.h"

namespace {

class CollectingSink : public agentutil::TextSink {
 public:
  void Write(const char* text) override { text_ += text; }
  std::string text_;
};

class RecordingOperations : public agentutil::UtilityOperations {
 public:
  agentutil::ResultCode Poll() override {
    calls += "POLL;";
    return result;
  }
  agentutil::ResultCode ShowUid() override {
    calls += "SHOWUID;";
    return result;
  }
  agentutil::ResultCode ResetUid(int argc, const char* const* argv) override {
    calls += "RESETUID";
    for (int i = 0; i < argc; ++i) calls += std::string(" ") + argv[i];
    calls += ";";
    return result;
  }
  agentutil::ResultCode result = 0x04000000u;
  std::string calls;
};

const char kUsage[] =
    "\n"
    "TVMAUTIL - Tarnvale Management Agent Utility\n"
    "\n"
    "Operations:\n"
    " TVMAUTIL POLL - Poll the Tarnvale Management Server immediately.\n"
    "\n"
    " TVMAUTIL SHOWUID - Show the host Unique Identity.\n"
    "\n"
    " TVMAUTIL RESETUID {SMBIOSGUID | RANDOMGUID | WINS | MAC} [APPLYNOW] - Regenerate the host "
    "Unique Identity.\n"
    "\n"
    " Where:\n"
    "   SMBIOSGUID - use SMBIOS GUID as host Unique Identity\n"
    "   RANDOMGUID - use randomly generated GUID as host Unique Identity\n"
    "   WINS       - use WINS (NetBIOS) name  as host Unique Identity\n"
    "   MAC        - use MAC (ethernet card) address as host Unique Identity\n"
    "   APPLYNOW   - restart Tarnvale Management Agent to regenerate the host Unique Identity and "
    "take it into use immediately\n"
    "\n";

struct DispatchCase {
  std::vector<const char*> args;  // after the program name
  agentutil::ResultCode result;
  std::string expected_calls;
  std::string expected_output;
  int expected_exit;
};

class DispatchTest : public ::testing::TestWithParam<DispatchCase> {};

TEST_P(DispatchTest, RunsTheNamedOperation) {
  const DispatchCase& c = GetParam();
  std::vector<const char*> argv;
  argv.push_back("TVMAUTIL.exe");
  argv.insert(argv.end(), c.args.begin(), c.args.end());
  RecordingOperations ops;
  ops.result = c.result;
  CollectingSink out;
  EXPECT_EQ(c.expected_exit,
            agentutil::RunCommandLine(static_cast<int>(argv.size()), argv.data(), ops, out));
  EXPECT_EQ(c.expected_calls, ops.calls);
  EXPECT_EQ(c.expected_output, out.text_);
}

INSTANTIATE_TEST_SUITE_P(
    Words, DispatchTest,
    ::testing::Values(
        DispatchCase{{}, 0x84000001u, "", kUsage, 0},
        DispatchCase{{"HELP"}, 0x84000001u, "", kUsage, 0},
        DispatchCase{{"POLLX"}, 0x84000001u, "", kUsage, 0},
        DispatchCase{{"POLL"}, 0x04000000u, "POLL;", "ok\n", 0},
        DispatchCase{{"poll", "extra"}, 0x04000000u, "POLL;", "ok\n", 0},
        DispatchCase{{"PoLl"}, 0x8400000Cu, "POLL;",
                     "Execution error - TVMA API returns: TIMEOUT\n", 1},
        // Only POLL prints its result; the others print their own messages.
        DispatchCase{{"showuid", "more"}, 0x84000003u, "SHOWUID;", "", 1},
        DispatchCase{{"SHOWUID"}, 0, "SHOWUID;", "", 0},
        DispatchCase{{"ResetUid"}, 0x84000003u, "RESETUID;", "", 1},
        DispatchCase{{"RESETUID", "wins", "applynow", "x"}, 0x04000000u,
                     "RESETUID wins applynow x;", "", 0}));

struct TextCase {
  agentutil::ResultCode code;
  const char* text;
};

class PollTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(PollTextTest, PrintsTheLine) {
  char line[128];
  EXPECT_STREQ(GetParam().text, agentutil::PollResultText(GetParam().code, line, sizeof(line)));
  EXPECT_EQ(agentutil::IsError(GetParam().code) ? 1 : 0, agentutil::ExitCodeFor(GetParam().code));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, PollTextTest,
    ::testing::Values(
        TextCase{0x04000000u, "ok\n"},
        TextCase{0x04000123u, "ok\n"},
        TextCase{0x00000000u, "ok\n"},
        TextCase{0x84000001u, "Execution error - TVMA API returns: UNKNOWN_ERROR\n"},
        TextCase{0x84000002u, "Execution error - TVMA API returns: ACCESS_DENIED\n"},
        TextCase{0x84000003u, "Execution error - TVMA API returns: INVALID_PARAMETER\n"},
        TextCase{0x84000004u, "Execution error - TVMA API returns: OUT_OF_MEMORY\n"},
        TextCase{0x84000005u, "Execution error - TVMA API returns: INCOMPATIBLE_API_VERSION\n"},
        TextCase{0x84000006u, "Execution error - TVMA API returns: SERVER_NOT_RESPONDING\n"},
        TextCase{0x84000007u, "Execution error - TVMA API returns: TRANSPORT_ERROR\n"},
        TextCase{0x84000008u, "Execution error - TVMA API returns: CONNECTION_NOT_ESTABLISHED\n"},
        TextCase{0x84000009u, "Execution error - TVMA API returns: ALREADY_REGISTERED\n"},
        TextCase{0x8400000Au, "Execution error - TVMA API returns: SENDER_NOT_REGISTRED\n"},
        TextCase{0x8400000Bu, "Execution error - TVMA API returns: RECIPIENT_NOT_REGISTRED\n"},
        TextCase{0x8400000Cu, "Execution error - TVMA API returns: TIMEOUT\n"},
        TextCase{0x8400000Du, "Execution error - TVMA API returns: REPLY_ON_POSTED_MESSAGE\n"},
        TextCase{0x8400000Eu, "Execution error - TVMA API returns: BUFFER_TOO_SMALL\n"},
        TextCase{0x8400000Fu, "Execution error - TVMA API returns: UNHANDLED_MESSAGE\n"},
        TextCase{0x84000010u, "Execution error - TVMA API returns: MESSAGE_QUEUE_FULL\n"},
        TextCase{0x84040001u, "Execution error - KTL API returns: INCORRECT_VERSION\n"},
        TextCase{0x84040002u, "Execution error - KTL API returns: INVALID_PARAMETER\n"},
        TextCase{0x84040003u, "Execution error - KTL API returns: ALREADY_STOPPED\n"},
        TextCase{0x84040004u, "Execution error - KTL API returns: UNKNOWN\n"},
        TextCase{0x84040005u, "Execution error - KTL API returns: BUSY\n"},
        TextCase{0x84040006u, "Execution error - KTL API returns: OUT_OF_MEMORY\n"},
        TextCase{0x84010001u, "Execution error - unknown error code: -2080309247(84010001)\n"},
        TextCase{0x84000011u, "Execution error - unknown error code: -2080374767(84000011)\n"},
        // Bit 30 alone is an error too.
        TextCase{0x40000000u, "Execution error - unknown error code: 1073741824(40000000)\n"}));

TEST(PollTextTest, ShortBufferIsCutNotOverrun) {
  char line[8];
  line[7] = 'Z';
  agentutil::PollResultText(0x84000001u, line, 7);
  EXPECT_STREQ("Execut", line);  // size - 1 characters and the NUL
  EXPECT_EQ('Z', line[7]);
}

}  // namespace
