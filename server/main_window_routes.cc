#include "server/main_window_routes.h"

#include <memory>

namespace kelvora {
namespace {

// A command's reply: 400 when the program refused the request as out of
// range (nothing changed), 503 when the control thread did not take it.
void ReplyCommand(ServerContext& context, httplib::Response& res,
                  std::function<nlohmann::json(Program&)> work) {
  std::optional<nlohmann::json> result = OnControlThread(context, std::move(work));
  if (!result) {
    ReplyError(res, 503,
               context.feed.Ended() ? "the program has ended"
                                    : "the program did not take the command in time; try again");
    return;
  }
  ReplyJson(res, result->contains("error") ? 400 : 200, *result);
}

// The answer of a main-window command: its error as a 400, else whether it
// was taken.
nlohmann::json CommandAnswer(const Program::CommandOutcome& outcome) {
  if (!outcome.error.empty()) return {{"error", Cp1252ToUtf8(outcome.error)}};
  return {{"ok", outcome.taken}};
}

struct StreamPosition {
  bool started = false;
  uint64_t seen = 0;
};

std::string EventText(std::string_view name, std::string_view data, uint64_t number) {
  return "id: " + std::to_string(number) + "\nevent: " + std::string(name) + "\ndata: " + std::string(data) +
         "\n\n";
}

bool Write(httplib::DataSink& sink, const std::string& text) { return sink.write(text.data(), text.size()); }

// One round of a stream: everything at first, then what came after.
bool SendEvents(const LiveFeed& feed, std::chrono::milliseconds heartbeat, StreamPosition& position,
                httplib::DataSink& sink) {
  if (!position.started) {
    FeedState state = feed.Current();
    position.started = true;
    position.seen = state.number;
    std::string text = "retry: 1000\n\n" + EventText("snapshot", state.snapshot.dump(), state.number) +
                       EventText("boxes", state.boxes.dump(), state.number);
    if (state.ended) text += EventText("ended", "{}", state.number);
    if (!Write(sink, text)) return false;
    if (state.ended) sink.done();
    return true;
  }
  bool resync = false;
  std::vector<FeedEvent> events = feed.WaitAfter(position.seen, heartbeat, &resync);
  if (resync) {
    position.started = false;  // fell behind: start again from the whole snapshot
    return true;
  }
  if (events.empty()) return Write(sink, ": still here\n\n");
  std::string text;
  bool ended = false;
  for (const FeedEvent& event : events) {
    text += EventText(event.name, event.data, event.number);
    position.seen = event.number;
    ended = ended || event.name == "ended";
  }
  if (!Write(sink, text)) return false;
  if (ended) sink.done();
  return true;
}

}  // namespace

void GetSnapshot(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyJson(res, 200, SnapshotToJson(context.program.Snapshot()));
}

void StreamEvents(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  LiveFeed& feed = context.feed;
  if (!feed.OpenStream()) {
    ReplyError(res, 503,
               "too many pages are open: at most " + std::to_string(context.options.maxStreams) +
                   " live streams at once");
    return;
  }
  auto position = std::make_shared<StreamPosition>();
  std::chrono::milliseconds heartbeat = context.options.streamHeartbeat;
  res.set_header("Cache-Control", "no-store");
  res.set_chunked_content_provider(
      "text/event-stream",
      [&feed, heartbeat, position](size_t, httplib::DataSink& sink) {
        return SendEvents(feed, heartbeat, *position, sink);
      },
      [&feed](bool) { feed.CloseStream(); });
}

void SaveStats(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyCommand(context, res, [](Program& program) {
    program.SaveStats();
    return nlohmann::json{{"ok", true}};
  });
}

void Quit(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyCommand(context, res, [](Program& program) -> nlohmann::json { program.Quit(); });
}

void ExitWithoutSave(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  ReplyCommand(context, res, [](Program& program) -> nlohmann::json { program.ExitWithoutSave(); });
}

void ModifySlot(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<SlotEdit> edit = ParseSlotEditBody(req.body);
  if (!edit.value) {
    ReplyError(res, 400, edit.error);
    return;
  }
  ReplyCommand(context, res,
               [edit = *edit.value](Program& program) { return CommandAnswer(program.ModifySlot(edit)); });
}

void DeleteSlots(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  Parsed<std::vector<int>> ticked = ParseTickedSlotsBody(req.body);
  if (!ticked.value) {
    ReplyError(res, 400, ticked.error);
    return;
  }
  ReplyCommand(context, res, [ticked = *ticked.value](Program& program) {
    return CommandAnswer(program.DeleteSlots(ticked));
  });
}

void GetBoxes(ServerContext& context, const httplib::Request&, httplib::Response& res) {
  nlohmann::json boxes = nlohmann::json::array();
  for (const WebBox& box : context.ui.Waiting()) boxes.push_back(BoxJson(box));
  ReplyJson(res, 200, boxes);
}

void AnswerBox(ServerContext& context, const httplib::Request& req, httplib::Response& res) {
  std::optional<int> id = ParseBoxId(req.matches[1].str());
  if (!id) {
    ReplyError(res, 400, "a box is named by its number, as /api/boxes lists it");
    return;
  }
  Parsed<std::string> button = ParseBoxAnswerBody(req.body);
  if (!button.value) {
    ReplyError(res, 400, button.error);
    return;
  }
  switch (context.ui.Answer(*id, *button.value)) {
    case AnswerOutcome::kAnswered:
      ReplyJson(res, 200, {{"ok", true}});
      return;
    case AnswerOutcome::kNoSuchBox:
      ReplyError(res, 404, "box " + std::to_string(*id) + " is not waiting (already answered or closed)");
      return;
    case AnswerOutcome::kNotAButton:
      ReplyError(res, 400, "box " + std::to_string(*id) + " has no button \"" + *button.value + "\"");
      return;
  }
}

}  // namespace kelvora
