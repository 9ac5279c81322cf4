// The server as a client meets it: each refusal, and each command's way to
// the control thread and back.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sodium.h>
#include <sys/socket.h>
#include <unistd.h>

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

// A push stream on a raw socket: opened, then read as the page would.
class RawStream {
 public:
  explicit RawStream(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    timeval timeout{5, 0};
    ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    EXPECT_EQ(::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    std::string request = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n\r\n";
    EXPECT_EQ(::send(fd_, request.data(), request.size(), 0), static_cast<ssize_t>(request.size()));
  }
  ~RawStream() { ::close(fd_); }
  RawStream(const RawStream&) = delete;
  RawStream& operator=(const RawStream&) = delete;

  // Reads until `text` has arrived (true) or the stream stops (false).
  bool ReadUntil(const std::string& text) {
    char buffer[4096];
    while (received_.find(text) == std::string::npos) {
      ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) return false;
      received_.append(buffer, static_cast<size_t>(got));
    }
    return true;
  }
  void Forget() { received_.clear(); }
  const std::string& Received() const { return received_; }

 private:
  int fd_;
  std::string received_;
};

class ServerTest : public ServerFixture {};

TEST_F(ServerTest, ForeignHostIsRefusedAndOwnNamesAnswer) {
  Start();
  std::string port = std::to_string(server->Port());
  EXPECT_EQ(Client()->Get("/api/snapshot", {{"Host", "attacker.example:" + port}})->status, 403);
  EXPECT_EQ(Client()->Get("/", {{"Host", "127.0.0.1:1"}})->status, 403);
  EXPECT_EQ(Client()->Get("/api/snapshot", {{"Host", "localhost:" + port}})->status, 200);
  EXPECT_EQ(Client()->Get("/api/snapshot")->status, 200);
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

TEST_F(ServerTest, StateChangeWithoutTheTokenIsRefusedAndChangesNothing) {
  Start();
  nlohmann::json before = Snapshot()["slots"];
  std::string edit = R"({"program":"WEEKDAY","fromTime":"","toTime":"09:15","fromTemp":"","toTemp":""})";
  EXPECT_EQ(Client()->Post("/api/slots/modify", edit, "application/json")->status, 403);
  EXPECT_EQ(
      Client()->Post("/api/slots/modify", {{"X-Kelvora-Token", "0123"}}, edit, "application/json")->status,
      403);
  EXPECT_EQ(Client()->Post("/api/commands/quit", "{}", "application/json")->status, 403);
  EXPECT_EQ(Snapshot()["slots"], before);
}

TEST_F(ServerTest, CrossOriginRequestIsRefusedEvenWithTheToken) {
  Start();
  httplib::Headers headers = Token();
  headers.emplace("Origin", "http://attacker.example");
  EXPECT_EQ(Client()->Post("/api/commands/save-stats", headers, "{}", "application/json")->status, 403);
  EXPECT_EQ(Client()->Get("/api/snapshot", {{"Sec-Fetch-Site", "cross-site"}})->status, 403);
}

TEST_F(ServerTest, OversizedBodyGets413) {
  Start();
  std::string body = R"({"slots":[],"padding":")" + std::string(64 * 1024, 'x') + "\"}";
  auto reply = Post("/api/slots/delete", body);
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 413);
}

TEST_F(ServerTest, MalformedOrOutOfRangeRequestsGet400AndChangeNothing) {
  Start();
  nlohmann::json before = Snapshot()["slots"];
  int count = static_cast<int>(before.size()) - 1;  // the list starts at slot 0
  struct Case {
    const char* path;
    std::string body;
    const char* says;
  } cases[] = {
      {"/api/slots/modify", "{\"program\":", "not valid JSON"},
      {"/api/slots/modify", "[1,2]", "JSON object"},
      {"/api/slots/modify", R"({"program":"WEEKDAY","fromTime":"","toTime":"07:00","fromTemp":""})",
       "toTemp"},
      {"/api/slots/modify",
       R"({"program":"WEEKDAY","fromTime":"","toTime":"007:00","fromTemp":"","toTemp":""})", "at most 5"},
      {"/api/slots/modify", R"({"program":"NOSUCH","fromTime":"","toTime":"","fromTemp":"","toTemp":""})",
       "not a program"},
      {"/api/slots/delete", R"({"slots":[0]})", "from 1 to"},
      {"/api/slots/delete", R"({"slots":["1"]})", "from 1 to"},
      {"/api/slots/delete", "{\"slots\":[" + std::to_string(count + 1) + "]}", "slots 1 to"},
      {"/api/boxes/1", R"({"button":7})", "button"},
      {"/api/boxes/x1", R"({"button":"OK"})", "number"},
  };
  for (const Case& c : cases) {
    auto reply = Post(c.path, c.body);
    ASSERT_TRUE(reply) << c.body;
    EXPECT_EQ(reply->status, 400) << c.body;
    EXPECT_NE(reply->body.find(c.says), std::string::npos) << reply->body;
  }
  EXPECT_EQ(Snapshot()["slots"], before);
}

TEST_F(ServerTest, SeventeenthStreamIsRefusedWhileSixteenKeepRunning) {
  Start();
  std::vector<std::unique_ptr<RawStream>> streams;
  for (int i = 0; i < 16; ++i) {
    streams.push_back(std::make_unique<RawStream>(server->Port()));
    ASSERT_TRUE(streams.back()->ReadUntil("event: snapshot")) << i;
  }
  RawStream refused(server->Port());
  ASSERT_TRUE(refused.ReadUntil("\r\n"));
  EXPECT_EQ(refused.Received().rfind("HTTP/1.1 503", 0), 0u) << refused.Received();
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
    RawStream again(server->Port());
    reopened = again.ReadUntil("\r\n") && again.Received().rfind("HTTP/1.1 200", 0) == 0;
    if (!reopened) std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  EXPECT_TRUE(reopened);
}

TEST_F(ServerTest, CommandReachesTheControlThreadAndItsBoxComesBack) {
  Start();
  auto refused = Post("/api/slots/modify",
                      R"({"program":"WEEKDAY","fromTime":"","toTime":"7:00","fromTemp":"","toTemp":""})");
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->status, 200);
  nlohmann::json reply = nlohmann::json::parse(refused->body);
  EXPECT_EQ(reply["ok"], false);
  ASSERT_EQ(reply["boxes"].size(), 1u);
  EXPECT_EQ(reply["boxes"][0]["caption"], "BAD FORMAT");
  EXPECT_EQ(reply["boxes"][0]["text"], "'TO Time' Must Use Format: HH:MM (24:00)");

  size_t slots = Snapshot()["slots"].size();
  auto taken = Post("/api/slots/modify",
                    R"({"program":"WEEKDAY","fromTime":"","toTime":"23:45","fromTemp":"","toTemp":""})");
  ASSERT_TRUE(taken);
  EXPECT_EQ(nlohmann::json::parse(taken->body)["ok"], true);
  EXPECT_EQ(Snapshot()["slots"].size(), slots + 1);
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
  for (auto deadline = Clock::now() + std::chrono::seconds(10); Clock::now() < deadline;) {
    waiting = nlohmann::json::parse(Client()->Get("/api/boxes")->body);
    if (!waiting.empty() && waiting.back()["holds"] == true) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
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
  RawStream stream(server->Port());
  ASSERT_TRUE(stream.ReadUntil("event: snapshot"));
  auto reply = Post("/api/commands/quit", "{}");
  ASSERT_TRUE(reply) << httplib::to_string(reply.error());
  EXPECT_EQ(nlohmann::json::parse(reply->body)["ended"], true);
  EXPECT_TRUE(stream.ReadUntil("event: ended"));
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
  // A new session's cookie, logged in with "open sesame".
  httplib::Headers Session() {
    std::string cookie = LogIn("open%20sesame")->get_header_value("Set-Cookie");
    return {{"Cookie", cookie.substr(0, cookie.find(';'))}};
  }
  void LogInAndQuit() {
    httplib::Headers session = Session();
    session.emplace("X-Kelvora-Token", server->Token());
    Client()->Post("/api/commands/exit-without-save", session, "{}", "application/json");
    run.join();
  }
};

TEST_F(PasswordServerTest, NoRequestPassesWithoutALogin) {
  StartWithPassword("open sesame");
  EXPECT_EQ(Client()->Get("/api/snapshot")->status, 401);
  EXPECT_EQ(Client()->Get("/api/events")->status, 401);
  EXPECT_EQ(Client()->Get("/js/main.js")->status, 401);
  EXPECT_EQ(Post("/api/commands/save-stats", "{}")->status, 401);
  auto page = Client()->Get("/");
  EXPECT_EQ(page->status, 303);
  EXPECT_EQ(page->get_header_value("Location"), "/login");
  EXPECT_EQ(Client()->Get("/login")->status, 200);

  auto login = LogIn("open%20sesame");
  ASSERT_TRUE(login);
  std::string cookie = login->get_header_value("Set-Cookie");
  EXPECT_NE(cookie.find("HttpOnly"), std::string::npos);
  EXPECT_NE(cookie.find("SameSite=Strict"), std::string::npos);
  httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
  EXPECT_EQ(Client()->Get("/api/snapshot", session)->status, 200);
  session.emplace("X-Kelvora-Token", server->Token());
  EXPECT_EQ(Client()->Post("/api/commands/exit-without-save", session, "{}", "application/json")->status,
            200);
  run.join();
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

TEST_F(PasswordServerTest, NoBodyIsReadBeforeTheLogin) {
  StartWithPassword("open sesame");
  int port = server->Port();
  for (const char* framing : {"Content-Length: 60000000\r\n", "Transfer-Encoding: chunked\r\n"}) {
    RawClient client(port);
    client.Send("POST /api/commands/quit HTTP/1.1\r\n" + HostLine(port) + framing + "\r\n");
    EXPECT_TRUE(client.ReadUntil("HTTP/1.1 401", std::chrono::milliseconds(1000))) << client.Received();
  }
  LogInAndQuit();
}

TEST_F(PasswordServerTest, APasswordInTheAddressIsRefused) {
  StartWithPassword("open sesame");
  auto reply = Client()->Post("/login?password=open%20sesame", "", "application/x-www-form-urlencoded");
  ASSERT_TRUE(reply);
  EXPECT_EQ(reply->status, 400);
  EXPECT_TRUE(reply->get_header_value("Set-Cookie").empty());
  LogInAndQuit();
}

TEST_F(PasswordServerTest, LoggingOutEndsTheSession) {
  StartWithPassword("open sesame");
  httplib::Headers session = Session();
  EXPECT_EQ(Client()->Get("/api/snapshot", session)->status, 200);
  session.emplace("X-Kelvora-Token", server->Token());
  auto out = Client()->Post("/logout", session, "", "application/json");
  ASSERT_TRUE(out);
  EXPECT_NE(out->get_header_value("Set-Cookie").find("Max-Age=0"), std::string::npos);
  EXPECT_EQ(Client()->Get("/api/snapshot", session)->status, 401);
  LogInAndQuit();
}

}  // namespace
}  // namespace kelvora::testing
