// The update check against a real HTTP server on the loopback address: every answer the server
// can give, every message, caption, button set, icon and result, the time-out of a server that
// never answers, and the options menu's command reaching the server named in the environment.
#include <stdlib.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "instrument/ProgramCommands.h"
#include "instrument/UpdateCheck.h"
#include "tests/config_test_support.h"
#include "tests/scripted_dialogs.h"
#include "tests/tiny_http_server.h"

using namespace sorvel;
using testdialogs::DialogCall;
using testdialogs::DialogScript;
using testdialogs::ScriptedDialogs;
using tinyhttp::TinyHttpServer;

namespace {

constexpr char kNoAnswer[] = "An error occurred while contacting 127.0.0.1.";
constexpr char kUpToDate[] = "Your version is up to date.";
constexpr char kNewVersionCaption[] = "New Version of Sorvel Detected";

std::string newVersionMessage(const std::string& version) {
  return "A new version of Sorvel is available.\n\n\tYour version: \t" + std::string(kVersionText) +
         "\n\tNew version: \t" + version +
         "\n\nDo you want to go to www.tarnwick-music.example to get the new version?";
}

UpdateServer loopback(int port) {
  UpdateServer server;
  server.host = "127.0.0.1";
  server.port = port;
  server.connectTimeoutMs = 1000;
  server.totalTimeoutMs = 1000;
  return server;
}

class UpdateCheckTest : public ::testing::Test {
 protected:
  int check(const UpdateServer& server) { return checkForUpdate(dialogs, server); }
  int checkAnswer(const std::string& body, const std::string& status = "200 OK") {
    TinyHttpServer http(TinyHttpServer::Mode::Answer, body, status);
    EXPECT_NE(http.port(), 0);
    const int result = check(loopback(http.port()));
    requests = http.requests();
    return result;
  }

  void expectOnlyMessage(const std::string& text, const std::string& caption, MessageButtons buttons,
                         MessageIcon icon) {
    ASSERT_EQ(script->calls.size(), 1u);
    const DialogCall& call = script->calls.front();
    EXPECT_EQ(call.kind, DialogCall::Message);
    EXPECT_EQ(call.text, text);
    EXPECT_EQ(call.caption, caption);
    EXPECT_EQ(call.buttons, buttons);
    EXPECT_EQ(call.icon, icon);
  }

  std::shared_ptr<DialogScript> script = std::make_shared<DialogScript>();
  ScriptedDialogs dialogs{script};
  std::vector<std::string> requests;
};

// Dialogs whose first message fails, as a dialog that cannot be shown might.
class FailingOnceDialogs : public ScriptedDialogs {
 public:
  using ScriptedDialogs::ScriptedDialogs;
  MessageAnswer showMessageWithIcon(const std::string& text, const std::string& caption, MessageButtons buttons,
                                    MessageIcon icon) override {
    if (!failed_) {
      failed_ = true;
      throw std::runtime_error("no dialog");
    }
    return ScriptedDialogs::showMessageWithIcon(text, caption, buttons, icon);
  }

 private:
  bool failed_ = false;
};

}  // namespace

TEST_F(UpdateCheckTest, AsksForTheVersionDocumentAsSorvelAcceptingAnything) {
  EXPECT_EQ(checkAnswer(std::to_string(kVersionNumber)), kUpdateResultTold);
  ASSERT_EQ(requests.size(), 1u);
  const std::string& request = requests.front();
  EXPECT_EQ(request.rfind("GET /music/version/?file=sorvel HTTP/1.1\r\n", 0), 0u) << request;
  EXPECT_NE(request.find("\r\nUser-Agent: Sorvel\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nAccept: */*\r\n"), std::string::npos) << request;
  EXPECT_NE(request.find("\r\nHost: 127.0.0.1:" ), std::string::npos) << request;
}

TEST_F(UpdateCheckTest, OurOwnVersionAndOlderOnesAreUpToDate) {
  const std::string own = std::to_string(kVersionNumber), older = std::to_string(kVersionNumber - 1);
  for (const std::string& body : {own, older, std::string("1000"), std::string("0"), std::string("-1400"),
                                  std::string("abc"), std::string("version 1400")}) {
    SCOPED_TRACE(body);
    script->calls.clear();
    EXPECT_EQ(checkAnswer(body), kUpdateResultTold);
    expectOnlyMessage(kUpToDate, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Information);
  }
}

TEST_F(UpdateCheckTest, ANewerVersionIsOfferedWithItsVersionText) {
  const std::pair<const char*, const char*> offers[] = {
      {"1303", "1.3.3"}, {"1304", "1.3.4"}, {"1310", "1.3.10"}, {"1400", "1.4.0"}, {" 1304", " .1.304"}};
  for (const auto& [body, version] : offers) {
    SCOPED_TRACE(body);
    script->calls.clear();
    script->answers.push_back(MessageAnswer::No);
    EXPECT_EQ(checkAnswer(body), kUpdateResultTold);
    expectOnlyMessage(newVersionMessage(version), kNewVersionCaption, MessageButtons::YesNo, MessageIcon::None);
  }
}

TEST_F(UpdateCheckTest, YesOpensTheProductPageAndNoDoesNot) {
  script->answers.push_back(MessageAnswer::Yes);
  EXPECT_EQ(checkAnswer("1400"), kUpdateResultTold);
  ASSERT_EQ(script->calls.size(), 2u);
  EXPECT_EQ(script->calls[0].text, newVersionMessage("1.4.0"));
  EXPECT_EQ(script->calls[1].kind, DialogCall::WebPage);
  EXPECT_EQ(script->calls[1].text, kProductWebPage);

  script->calls.clear();
  script->answers.push_back(MessageAnswer::No);
  EXPECT_EQ(checkAnswer("1310"), kUpdateResultTold);
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(script->calls[0].kind, DialogCall::Message);
}

TEST_F(UpdateCheckTest, AnHtmlPageIsAnInvalidCallAndNeverOffersAnUpdate) {
  EXPECT_EQ(checkAnswer("<html><body>1400 Not Found</body></html>", "404 Not Found"), kUpdateNotAVersionDocument);
  expectOnlyMessage("Invalid call to 127.0.0.1.", kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);

  script->calls.clear();
  EXPECT_EQ(checkAnswer("1400 <"), kUpdateNotAVersionDocument);
  expectOnlyMessage("Invalid call to 127.0.0.1.", kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);
}

TEST_F(UpdateCheckTest, AnEmptyAnswerIsNoAnswer) {
  EXPECT_EQ(checkAnswer(""), kUpdateNoAnswer);
  expectOnlyMessage(kNoAnswer, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);
}

TEST_F(UpdateCheckTest, AClosedPortIsNoAnswer) {
  EXPECT_EQ(check(loopback(TinyHttpServer::closedPort())), kUpdateNoAnswer);
  expectOnlyMessage(kNoAnswer, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);
}

TEST_F(UpdateCheckTest, AServerThatNeverAnswersIsNoAnswerOnceTheTimeOutRunsOut) {
  TinyHttpServer http(TinyHttpServer::Mode::NeverAnswer, "");
  ASSERT_NE(http.port(), 0);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(check(loopback(http.port())), kUpdateNoAnswer);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  expectOnlyMessage(kNoAnswer, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);
  EXPECT_EQ(http.requests().size(), 1u);  // the request was sent and left unanswered
  // Ended by the one-second time-out: not before it, and long before the default 15 s.
  EXPECT_GE(seconds, 0.9);
  EXPECT_LT(seconds, 10.0);
}

TEST_F(UpdateCheckTest, ALongAnswerIsReadOnlyAsFarAsItsLimit) {
  EXPECT_EQ(checkAnswer("1302" + std::string(1 << 20, ' ')), kUpdateResultTold);
  expectOnlyMessage(kUpToDate, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Information);
}

TEST_F(UpdateCheckTest, AnErrorDuringTheCheckIsReportedAsNoAnswer) {
  FailingOnceDialogs failing(script);
  TinyHttpServer http(TinyHttpServer::Mode::Answer, "1302");
  EXPECT_EQ(checkForUpdate(failing, loopback(http.port())), kUpdateErrorRaised);
  expectOnlyMessage(kNoAnswer, kUpdateCheckCaption, MessageButtons::Ok, MessageIcon::Error);
}

TEST(UpdateCheckTexts, VersionNumberIsTheLeadingDecimalInteger) {
  EXPECT_EQ(leadingVersionNumber("1304"), 1304);
  EXPECT_EQ(leadingVersionNumber("1304\n"), 1304);
  EXPECT_EQ(leadingVersionNumber("  +1310 beta"), 1310);
  EXPECT_EQ(leadingVersionNumber("-7"), -7);
  EXPECT_EQ(leadingVersionNumber("abc1400"), 0);
  EXPECT_EQ(leadingVersionNumber(""), 0);
  EXPECT_EQ(leadingVersionNumber("99999999999999999999"), 2147483647);
}

TEST(UpdateCheckServer, TheServerComesFromTheEnvironmentWhenSet) {
  unsetenv(kUpdateServerVariable);
  UpdateServer server = UpdateServer::fromEnvironment();
  EXPECT_EQ(server.host, "www.tarnwick-music.example");
  EXPECT_EQ(server.port, 80);
  EXPECT_EQ(server.connectTimeoutMs, 5000);
  EXPECT_EQ(server.totalTimeoutMs, 15000);

  setenv(kUpdateServerVariable, "updates.example:8080", 1);
  server = UpdateServer::fromEnvironment();
  EXPECT_EQ(server.host, "updates.example");
  EXPECT_EQ(server.port, 8080);
  setenv(kUpdateServerVariable, "[::1]:9000", 1);
  server = UpdateServer::fromEnvironment();
  EXPECT_EQ(server.host, "::1");
  EXPECT_EQ(server.port, 9000);
  setenv(kUpdateServerVariable, "localhost", 1);
  server = UpdateServer::fromEnvironment();
  EXPECT_EQ(server.host, "localhost");
  EXPECT_EQ(server.port, 80);
  unsetenv(kUpdateServerVariable);

  for (const char* bad : {":80", "host:", "host:0", "host:65536", "host:8o", "[::1", "[::1]80", "[]:80"}) {
    SCOPED_TRACE(bad);
    UpdateServer unchanged;
    EXPECT_FALSE(unchanged.parse(bad));
    EXPECT_EQ(unchanged.host, "www.tarnwick-music.example");
    EXPECT_EQ(unchanged.port, 80);
  }
}

TEST(UpdateCheckTexts, GoOnlineEntries) {
  EXPECT_STREQ(kCheckOnlineMenuText, "Check Online for Update");
  EXPECT_EQ(visitMakerMenuText(), "Visit www.tarnwick-music.example");
  auto script = std::make_shared<DialogScript>();
  ScriptedDialogs dialogs(script);
  EXPECT_TRUE(visitMakerWebSite(dialogs));
  ASSERT_EQ(script->calls.size(), 1u);
  EXPECT_EQ(script->calls[0].kind, DialogCall::WebPage);
  EXPECT_EQ(script->calls[0].text, "http://www.tarnwick-music.example/");
}

class UpdateCommandTest : public configtest::UserFoldersTest {};

TEST_F(UpdateCommandTest, TheOptionsMenuCommandAsksTheServerNamedInTheEnvironment) {
  TinyHttpServer http(TinyHttpServer::Mode::Answer, "1310");
  ASSERT_NE(http.port(), 0);
  setenv(kUpdateServerVariable, ("127.0.0.1:" + std::to_string(http.port())).c_str(), 1);
  auto plug = makeSorvel();
  script->calls.clear();
  script->answers.push_back(MessageAnswer::Yes);
  plug->runCommand(command::kCheckOnlineForUpdate);
  unsetenv(kUpdateServerVariable);
  EXPECT_EQ(http.requests().size(), 1u);
  ASSERT_EQ(script->calls.size(), 2u);
  EXPECT_EQ(script->calls[0].text, newVersionMessage("1.3.10"));
  EXPECT_EQ(script->calls[0].caption, kNewVersionCaption);
  EXPECT_EQ(script->calls[1].kind, DialogCall::WebPage);
}
