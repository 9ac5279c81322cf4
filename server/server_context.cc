#include "server/server_context.h"

#include <condition_variable>
#include <memory>
#include <mutex>

namespace kelvora {
namespace {

struct PendingCommand {
  std::mutex mutex;
  std::condition_variable finished;
  bool taken = false;
  bool cancelled = false;
  std::optional<nlohmann::json> result;
};

void Finish(PendingCommand& pending, nlohmann::json result) {
  {
    std::lock_guard<std::mutex> lock(pending.mutex);
    pending.result = std::move(result);
  }
  pending.finished.notify_all();
}

nlohmann::json BoxesSince(const WebUserInterface& ui, int mark) {
  nlohmann::json boxes = nlohmann::json::array();
  for (const WebBox& box : ui.RaisedSince(mark)) boxes.push_back(BoxJson(box));
  return boxes;
}

}  // namespace

void ReplyJson(httplib::Response& res, int status, const nlohmann::json& body) {
  res.status = status;
  res.set_header("Cache-Control", "no-store");
  res.set_content(body.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace), "application/json");
}

void ReplyError(httplib::Response& res, int status, const std::string& message) {
  ReplyJson(res, status, {{"error", message}});
}

std::optional<nlohmann::json> OnControlThread(ServerContext& context,
                                              std::function<nlohmann::json(Program&)> work) {
  auto pending = std::make_shared<PendingCommand>();
  WebUserInterface& ui = context.ui;
  context.program.PostCommand([pending, work = std::move(work), &ui](Program& program) {
    {
      std::lock_guard<std::mutex> lock(pending->mutex);
      if (pending->cancelled) return;
      pending->taken = true;
    }
    int mark = ui.LastBoxId();
    nlohmann::json result;
    try {
      result = work(program);
    } catch (...) {
      // Quit and Exit end the run by unwinding; the page still gets its answer.
      Finish(*pending, {{"ended", true}, {"boxes", BoxesSince(ui, mark)}});
      throw;
    }
    result["boxes"] = BoxesSince(ui, mark);
    Finish(*pending, std::move(result));
  });
  std::unique_lock<std::mutex> lock(pending->mutex);
  // Once taken, the command runs to its end, however long a box holds it.
  pending->finished.wait_for(lock, context.options.commandTimeout,
                             [&] { return pending->result.has_value() || pending->taken; });
  if (pending->taken) pending->finished.wait(lock, [&] { return pending->result.has_value(); });
  if (!pending->result) pending->cancelled = true;
  return pending->result;
}

}  // namespace kelvora
