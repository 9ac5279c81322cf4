// The server as a client meets it: each refusal, and each command's way to
// the control thread and back.
#include <sodium.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <vector>

#include "tests/server/raw_client.h"
#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

using Clock = std::chrono::steady_clock;

// A push stream on a raw socket, as the page opens it.
std::unique_ptr<RawClient> OpenStream(int port) {
  auto stream = std::make_unique<RawClient>(port);
  stream->Send("GET /api/events HTTP/1.1\r\n" + HostLine(port) + "\r\n");
  return stream;
}

class ServerTest : public ServerFixture {};

// A foreign Host name, a missing or wrong token, another origin, a body over
// the limit, malformed or out of range: refused with the reason, and nothing
// changes; the server's own names answer.
TEST_F(ServerTest, ARequestOutsideTheRulesIsRefusedAndChangesNothing) {
  Start();
  const nlohmann::json before = Snapshot()["slots"];
  const std::string port = std::to_string(server->Port()), slots = std::to_string(before.size());
  const auto slot = [](const std::string& name, const std::string& toTime) {
    return R"({"program":")" + name + R"(","fromTime":"","toTime":")" + toTime +
           R"(","fromTemp":"","toTemp":""})";
  };
  const std::string edit = slot("WEEKDAY", "09:15");
  const httplib::Headers token = Token(), none;
  const struct {
    const char* path;
    httplib::Headers headers;
    std::string body;  // empty: a GET
    int status;
    const char* says = "";
  } cases[] = {
      {"/api/snapshot", {{"Host", "attacker.example:" + port}}, "", 403},
      {"/", {{"Host", "127.0.0.1:1"}}, "", 403},
      {"/api/snapshot", {{"Sec-Fetch-Site", "cross-site"}}, "", 403},
      {"/api/slots/modify", none, edit, 403},
      {"/api/slots/modify", {{"X-Kelvora-Token", "0123"}}, edit, 403},
      {"/api/commands/quit", none, "{}", 403},
      {"/api/commands/save-stats",
       {{"X-Kelvora-Token", token.begin()->second}, {"Origin", "http://a.example"}},
       "{}",
       403},
      {"/api/slots/delete", token, R"({"slots":[],"x":")" + std::string(64 * 1024, 'x') + "\"}", 413},
      {"/api/slots/modify", token, "{\"program\":", 400, "not valid JSON"},
      {"/api/slots/modify", token, "[1,2]", 400, "JSON object"},
      {"/api/slots/modify", token, R"({"program":"WEEKDAY","fromTime":"","toTime":"07:00","fromTemp":""})",
       400, "toTemp"},
      {"/api/slots/modify", token, slot("WEEKDAY", "007:00"), 400, "at most 5"},
      {"/api/slots/modify", token, slot("NOSUCH", ""), 400, "not a program"},
      {"/api/slots/delete", token, R"({"slots":[0]})", 400, "from 1 to"},
      {"/api/slots/delete", token, R"({"slots":["1"]})", 400, "from 1 to"},
      {"/api/slots/delete", token, "{\"slots\":[" + slots + "]}", 400, "slots 1 to"},
      {"/api/boxes/1", token, R"({"button":7})", 400, "button"},
      {"/api/boxes/x1", token, R"({"button":"OK"})", 400, "number"},
      // A name of any length reaches the program, which says what it takes.
      {"/api/slots/modify", token, slot(std::string(120, 'W'), ""), 200,
       "NAMES and VALUES Must NOT be longer than 100 Characters"},
      {"/api/snapshot", {{"Host", "localhost:" + port}}, "", 200},
      {"/api/snapshot", none, "", 200},
  };
  for (const auto& c : cases) {
    auto reply = c.body.empty() ? Client()->Get(c.path, c.headers)
                                : Client()->Post(c.path, c.headers, c.body, "application/json");
    ASSERT_TRUE(reply) << c.path;
    EXPECT_EQ(reply->status, c.status) << c.path << " " << c.body.substr(0, 40);
    EXPECT_NE(reply->body.find(c.says), std::string::npos) << reply->body;
  }
  EXPECT_EQ(Snapshot()["slots"], before);
}

TEST_F(ServerTest, APortInUseIsRefusedWithAClearMessage) {
  Start();
  WebUserInterface otherUi({std::chrono::minutes(10), stderr, stderr, -1});
  WebServerOptions options;
  options.listen = {"127.0.0.1", server->Port()};
  WebServer second(*program, otherUi, options);
  std::string error;
  EXPECT_FALSE(second.Bind(&error));
  EXPECT_NE(error.find("the port is in use"), std::string::npos) << error;
}

TEST_F(ServerTest, SeventeenthStreamIsRefusedWhileSixteenKeepRunning) {
  Start();
  std::vector<std::unique_ptr<RawClient>> streams;
  for (int i = 0; i < 16; ++i) {
    streams.push_back(OpenStream(server->Port()));
    ASSERT_TRUE(streams.back()->ReadUntil("event: snapshot")) << i;
  }
  auto refused = OpenStream(server->Port());
  ASSERT_TRUE(refused->ReadUntil("\r\n"));
  EXPECT_EQ(refused->Received().rfind("HTTP/1.1 503", 0), 0u) << refused->Received();
  // The others go on: a command still runs and every stream still gets changes.
  EXPECT_EQ(Client()->Get("/api/snapshot")->status, 200);
  for (auto& stream : streams) {
    stream->Forget();
    EXPECT_TRUE(stream->ReadUntil("event: delta"));
  }
  streams.pop_back();
  // A closed stream is noticed at its next write; then there is room again.
  auto deadline = Clock::now() + std::chrono::seconds(5);
  bool reopened = false;
  while (!reopened && Clock::now() < deadline) {
    auto again = OpenStream(server->Port());
    reopened = again->ReadUntil("\r\n") && again->Received().rfind("HTTP/1.1 200", 0) == 0;
    if (!reopened) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(reopened);
}

TEST_F(ServerTest, BoxAnsweredByAClientReachesTheWaitingControlThread) {
  // While the disk fails STAT.DAT's writes, the save asks Abort / Retry /
  // Ignore and the control pass waits.
  std::atomic<bool> diskFails{false};
  fileHook = [&diskFails](int, FileOp op, const std::string& path) {
    bool stat = path.find("STAT.DAT") != std::string::npos;
    return diskFails && op == FileOp::kWrite && stat ? EIO : 0;
  };
  Start();
  diskFails = true;
  auto save = std::async(std::launch::async, [this] { return Post("/api/commands/save-stats", "{}"); });
  nlohmann::json waiting;
  for (int tries = 0; tries < 500 && (waiting.empty() || waiting.back()["holds"] != true); ++tries) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    waiting = nlohmann::json::parse(Client()->Get("/api/boxes")->body);
  }
  ASSERT_FALSE(waiting.empty());
  const nlohmann::json& box = waiting.back();
  ASSERT_EQ(box["buttons"], nlohmann::json({"Abort", "Retry", "Ignore"}));
  std::string path = "/api/boxes/" + std::to_string(box["id"].get<int>());
  EXPECT_EQ(Post(path, R"({"button":"Yes"})")->status, 400);
  EXPECT_EQ(save.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);

  diskFails = false;
  EXPECT_EQ(Post(path, R"({"button":"Retry"})")->status, 200);
  auto saved = save.get();
  ASSERT_TRUE(saved) << httplib::to_string(saved.error());
  nlohmann::json reply = nlohmann::json::parse(saved->body);
  EXPECT_EQ(reply["ok"], true);
  EXPECT_EQ(reply["boxes"].back()["answer"], "Retry");
  EXPECT_TRUE(std::filesystem::is_regular_file(DataFile("STAT.DAT")));
  EXPECT_EQ(Post(path, R"({"button":"Retry"})")->status, 404);
}

TEST_F(ServerTest, QuitEndsTheProgramAndTellsTheStreams) {
  Start();
  auto stream = OpenStream(server->Port());
  ASSERT_TRUE(stream->ReadUntil("event: snapshot"));
  auto reply = Post("/api/commands/quit", "{}");
  ASSERT_TRUE(reply) << httplib::to_string(reply.error());
  EXPECT_EQ(nlohmann::json::parse(reply->body)["ended"], true);
  EXPECT_TRUE(stream->ReadUntil("event: ended"));
  run.join();
}

class PasswordServerTest : public ServerFixture {
 protected:
  void StartWithPassword(const std::string& password) {
    char hash[crypto_pwhash_STRBYTES];
    ASSERT_EQ(sodium_init() >= 0, true);
    ASSERT_EQ(crypto_pwhash_str(hash, password.data(), password.size(), crypto_pwhash_OPSLIMIT_MIN,
                                crypto_pwhash_MEMLIMIT_MIN),
              0);
    WebServerOptions options;
    options.passwordHash = hash;
    options.failedLoginDelay = std::chrono::milliseconds(400);
    Start(options);
  }
  httplib::Result LogIn(const std::string& password) {
    return Client()->Post("/login", "password=" + password, "application/x-www-form-urlencoded");
  }
  // Logs in with "open sesame" and ends the run.
  void LogInAndQuit() {
    std::string cookie = LogIn("open%20sesame")->get_header_value("Set-Cookie");
    httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))},
                                {"X-Kelvora-Token", server->Token()}};
    Client()->Post("/api/commands/exit-without-save", session, "{}", "application/json");
    run.join();
  }
};

// Nothing passes before the login: no route, no body read, no password
// taken from the address; the session's cookie is kept from scripts and
// other sites, and logging out ends it.
TEST_F(PasswordServerTest, NoRequestPassesWithoutALoginAndLoggingOutEndsTheSession) {
  StartWithPassword("open sesame");
  for (const char* path : {"/api/snapshot", "/api/events", "/js/main.js"})
    EXPECT_EQ(Client()->Get(path)->status, 401) << path;
  EXPECT_EQ(Post("/api/commands/save-stats", "{}")->status, 401);
  auto page = Client()->Get("/");
  EXPECT_EQ(page->status, 303);
  EXPECT_EQ(page->get_header_value("Location"), "/login");
  EXPECT_EQ(Client()->Get("/login")->status, 200);
  int port = server->Port();
  for (const char* framing : {"Content-Length: 60000000\r\n", "Transfer-Encoding: chunked\r\n"}) {
    RawClient client(port);
    client.Send("POST /api/commands/quit HTTP/1.1\r\n" + HostLine(port) + framing + "\r\n");
    EXPECT_TRUE(client.ReadUntil("HTTP/1.1 401", std::chrono::milliseconds(1000))) << client.Received();
  }
  auto inAddress = Client()->Post("/login?password=open%20sesame", "", "application/x-www-form-urlencoded");
  EXPECT_EQ(inAddress->status, 400);
  EXPECT_TRUE(inAddress->get_header_value("Set-Cookie").empty());
  std::string cookie = LogIn("open%20sesame")->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
  httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
  EXPECT_EQ(Client()->Get("/api/snapshot", session)->status, 200);
  session.emplace("X-Kelvora-Token", server->Token());
  EXPECT_NE(Client()
                ->Post("/logout", session, "", "application/json")
                ->get_header_value("Set-Cookie")
                .find("Max-Age=0"),
            std::string::npos);
  EXPECT_EQ(Client()->Get("/api/snapshot", session)->status, 401);
  LogInAndQuit();
}

// A login try from `source` on a bare socket; the whole answer.
std::string RawLogIn(int port, const std::string& password, const char* source) {
  std::string body = "password=" + password;
  RawClient client(port, source);
  client.Send("POST /login HTTP/1.1\r\n" + HostLine(port) +
              "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " +
              std::to_string(body.size()) + "\r\n\r\n" + body);
  return client.ReadToEnd(std::chrono::seconds(5));
}

TEST_F(PasswordServerTest, AWrongPasswordIsAnsweredAtOnceAndOnlyItsClientMustWait) {
  StartWithPassword("open sesame");
  int port = server->Port();
  auto start = Clock::now();
  std::string wrong = RawLogIn(port, "guess", "127.0.0.2");
  EXPECT_EQ(wrong.rfind("HTTP/1.1 303", 0), 0u) << wrong;
  EXPECT_NE(wrong.find("Retry-After: 1"), std::string::npos) << wrong;
  std::string again = RawLogIn(port, "open%20sesame", "127.0.0.2");
  EXPECT_EQ(again.rfind("HTTP/1.1 429", 0), 0u) << again;
  EXPECT_NE(again.find("Retry-After: "), std::string::npos) << again;
  EXPECT_EQ(again.find("Set-Cookie"), std::string::npos) << again;
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
  // Another client is not held by the first one's guesses.
  std::string right = RawLogIn(port, "open%20sesame", "127.0.0.1");
  EXPECT_NE(right.find("Set-Cookie: kelvora_session="), std::string::npos) << right;
  LogInAndQuit();
}

// The wait after each further wrong password doubles, even when the guesser
// waited out the one before: 400 ms, then 800 ms.
TEST_F(PasswordServerTest, TheWaitDoublesForAGuesserWhoWaitedOutTheLastOne) {
  StartWithPassword("open sesame");
  int port = server->Port();
  for (int guess = 0; guess < 2; ++guess) {
    std::string wrong = RawLogIn(port, "guess", "127.0.0.3");
    EXPECT_EQ(wrong.rfind("HTTP/1.1 303", 0), 0u) << guess << wrong;
    std::this_thread::sleep_for(std::chrono::milliseconds(550));
  }
  std::string early = RawLogIn(port, "open%20sesame", "127.0.0.3");
  EXPECT_EQ(early.rfind("HTTP/1.1 429", 0), 0u) << early;
  LogInAndQuit();
}

TEST_F(PasswordServerTest, AFloodOfWrongPasswordsLeavesTheRightOneQuick) {
  StartWithPassword("open sesame");
  int port = server->Port();
  std::atomic<bool> flooding{true};
  std::atomic<int> tooSoon{0};
  std::vector<std::thread> flood;
  for (int i = 0; i < 24; ++i) {
    flood.emplace_back([&, i] {
      for (int n = 0; flooding && n < 200; ++n) {
        std::string answer = RawLogIn(port, "guess" + std::to_string(i), "127.0.0.2");
        if (answer.rfind("HTTP/1.1 429", 0) == 0) ++tooSoon;
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  auto start = Clock::now();
  std::string right = RawLogIn(port, "open%20sesame", "127.0.0.1");
  auto took = Clock::now() - start;
  flooding = false;
  for (std::thread& thread : flood) thread.join();
  EXPECT_NE(right.find("Set-Cookie: kelvora_session="), std::string::npos) << right;
  EXPECT_LT(took, std::chrono::milliseconds(1000));
  EXPECT_GT(tooSoon, 20);
  LogInAndQuit();
}

}  // namespace
}  // namespace kelvora::testing
