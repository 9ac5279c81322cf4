// The server against clients that do not play by the rules: smuggled
// requests, trickling heads, bodies without end, heads without end. Each
// test is bounded in time and stays on loopback.
#include <future>
#include <thread>
#include <vector>

#include "tests/server/raw_client.h"
#include "tests/server/server_fixture.h"

namespace kelvora::testing {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class HostileClientTest : public ServerFixture {
 protected:
  int Port() const { return server->Port(); }
};

TEST_F(HostileClientTest, ARefusedRequestsBodyIsNeverReadAsAnotherRequest) {
  Start();
  std::string smuggled = "GET / HTTP/1.1\r\n" + HostLine(Port()) + "\r\n";
  std::string length = "Content-Length: " + std::to_string(smuggled.size()) + "\r\n";
  std::string heads[] = {
      "POST /x HTTP/1.1\r\nHost: evil.example:" + std::to_string(Port()) + "\r\n" + length + "\r\n",
      "POST /api/commands/quit HTTP/1.1\r\n" + HostLine(Port()) + length + "\r\n",
      "POST /api/slots/modify HTTP/1.1\r\n" + HostLine(Port()) + "Origin: http://evil.example\r\n" + length +
          "\r\n",
  };
  for (const std::string& head : heads) {
    RawClient client(Port());
    ASSERT_TRUE(client.Send(head));
    std::this_thread::sleep_for(milliseconds(300));
    client.Send(smuggled);
    std::string answer = client.ReadToEnd();
    EXPECT_EQ(answer.rfind("HTTP/1.1 4", 0), 0u) << answer;
    EXPECT_EQ(answer.find("HTTP/1.1 ", 1), std::string::npos) << answer;  // one answer only
    EXPECT_EQ(answer.find(server->Token()), std::string::npos) << head;
  }
}

TEST_F(HostileClientTest, TricklingHeadsDelayNoOtherRequestAndAreCutAtTheDeadline) {
  WebServerOptions options;
  options.headTimeout = milliseconds(2500);
  Start(options);
  std::vector<std::unique_ptr<RawClient>> drips;
  // More than a fixed pool of threads would have: a thread per trickling
  // client would leave none for the snapshots.
  for (int i = 0; i < 30; ++i) {
    drips.push_back(std::make_unique<RawClient>(Port()));
    drips.back()->Send("GET /api/snapshot HTTP/1.1\r\n");
  }
  milliseconds slowest{0};
  for (auto end = Clock::now() + milliseconds(2000); Clock::now() < end;) {
    for (auto& drip : drips) drip->Send("X-Drip: 1\r\n");
    auto start = Clock::now();
    auto reply = Client()->Get("/api/snapshot");
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->status, 200);
    slowest = std::max(slowest, std::chrono::duration_cast<milliseconds>(Clock::now() - start));
    std::this_thread::sleep_for(milliseconds(250));
  }
  EXPECT_LT(slowest, milliseconds(1000));
  for (auto& drip : drips) {
    drip->Send("X-Drip: 1\r\n");
    EXPECT_TRUE(drip->ReadUntil("HTTP/1.1 408", milliseconds(3000))) << drip->Received();
  }
}

// Idle connections from `sources` take their places; the next one from
// `source` is then told the server is busy.
std::vector<std::unique_ptr<RawClient>> Occupy(int port, std::vector<const char*> sources,
                                               const char* source) {
  std::vector<std::unique_ptr<RawClient>> idle;
  for (const char* from : sources) idle.push_back(std::make_unique<RawClient>(port, from));
  std::this_thread::sleep_for(milliseconds(200));
  RawClient next(port, source);
  EXPECT_TRUE(next.ReadUntil("HTTP/1.1 503", milliseconds(2000))) << source << next.Received();
  return idle;
}

TEST_F(HostileClientTest, OneAddressCannotTakeEveryConnection) {
  WebServerOptions options;
  options.maxConnectionsPerAddress = 4;
  Start(options);
  auto idle = Occupy(Port(), {"127.0.0.3", "127.0.0.3", "127.0.0.3", "127.0.0.3"}, "127.0.0.3");
  EXPECT_EQ(Client()->Get("/api/snapshot")->status, 200);
  idle.clear();
  std::this_thread::sleep_for(milliseconds(200));
  RawClient again(Port(), "127.0.0.3");
  again.Send("GET /api/snapshot HTTP/1.1\r\n" + HostLine(Port()) + "\r\n");
  EXPECT_TRUE(again.ReadUntil("HTTP/1.1 200", milliseconds(2000))) << again.Received();
}

TEST_F(HostileClientTest, ConnectionsFromEveryAddressTogetherAreCapped) {
  WebServerOptions options;
  options.maxConnections = 4;
  Start(options);
  auto idle = Occupy(Port(), {"127.0.0.4", "127.0.0.5", "127.0.0.6", "127.0.0.7"}, "127.0.0.8");
  idle.pop_back();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(Client()->Get("/api/snapshot")->status, 200);
}

TEST_F(HostileClientTest, AChunkedBodyOverTheLimitIsRefusedAndNotReadOn) {
  Start();
  std::string head = "POST /api/slots/delete HTTP/1.1\r\n" + HostLine(Port()) +
                     "X-Kelvora-Token: " + server->Token() +
                     "\r\nContent-Type: application/json\r\nTransfer-Encoding: chunked\r\n\r\n";
  std::string chunk = "4000\r\n" + std::string(0x4000, ' ') + "\r\n";
  RawClient client(Port());
  ASSERT_TRUE(client.Send(head + "1\r\n{\r\n"));
  // 100 KB fit in the socket buffers; what follows the limit is not read.
  for (int i = 0; i < 7; ++i) ASSERT_TRUE(client.Send(chunk));
  EXPECT_TRUE(client.ReadUntil("HTTP/1.1 413")) << client.Received();
  EXPECT_TRUE(client.ClosedWithin(milliseconds(2000)));
  int sent = 0;
  while (sent < 4096 && client.Send(chunk)) ++sent;  // 64 MB unless the server stopped reading
  EXPECT_LT(sent, 4096);
}

TEST_F(HostileClientTest, HeadsBeyondTheirSizeOrLineCountAreRefused) {
  Start();
  std::string request = "GET /api/snapshot HTTP/1.1\r\n" + HostLine(Port());
  std::string many;
  for (int i = 0; i < 150; ++i) many += "X-" + std::to_string(i) + ": 1\r\n";
  for (const std::string& head :
       {request + "X-Long: " + std::string(20 * 1024, 'a') + "\r\n\r\n", request + many + "\r\n"}) {
    RawClient client(Port());
    client.Send(head);
    EXPECT_TRUE(client.ReadUntil("HTTP/1.1 431")) << client.Received().substr(0, 80);
    EXPECT_TRUE(client.ClosedWithin(milliseconds(2000)));
  }
}

TEST_F(HostileClientTest, ACommandWithoutABodyIsTaken) {
  Start();
  RawClient client(Port());
  client.Send("POST /api/commands/save-stats HTTP/1.1\r\n" + HostLine(Port()) +
              "X-Kelvora-Token: " + server->Token() + "\r\n\r\n");
  std::string answer = client.ReadToEnd(milliseconds(3000));
  EXPECT_EQ(answer.rfind("HTTP/1.1 200", 0), 0u) << answer;
  EXPECT_NE(answer.find("\"ok\":true"), std::string::npos) << answer;
}

TEST_F(HostileClientTest, EveryRefusalSaysWhyInJson) {
  Start();
  std::string host = HostLine(Port());
  struct Case {
    std::string request;
    const char* status;
  } cases[] = {
      {"GET /no/such HTTP/1.1\r\n" + host + "\r\n", "404"},
      {"PUT /api/snapshot HTTP/1.1\r\n" + host + "\r\n", "405"},
      {"GET /api/snapshot HTTP/9\r\n" + host + "\r\n", "400"},
      {"POST /api/slots/delete HTTP/1.1\r\n" + host + "X-Kelvora-Token: " + server->Token() +
           "\r\nContent-Length: 99999999\r\n\r\n",
       "413"},
  };
  for (const Case& c : cases) {
    RawClient client(Port());
    client.Send(c.request);
    std::string answer = client.ReadToEnd(milliseconds(3000));
    EXPECT_EQ(answer.rfind(std::string("HTTP/1.1 ") + c.status, 0), 0u) << answer;
    EXPECT_NE(answer.find("Content-Type: application/json"), std::string::npos) << answer;
    EXPECT_NE(answer.find("X-Content-Type-Options: nosniff"), std::string::npos) << answer;
    EXPECT_NE(answer.find("{\"error\":\""), std::string::npos) << answer;
  }
}

}  // namespace
}  // namespace kelvora::testing
