#include "server/dialog_requests.h"

#include <limits>
#include <map>
#include <stdexcept>

#include "Monitor/schedule/schedule_files.h"
#include "platform/user_interface.h"

namespace kelvora {
namespace {

// Bounds on what a page may hand back: a text of the working copy (what the
// dialogs store in a field), a list, a row index. What the person typed is
// bounded by the body's size only: the dialog refuses it in its own words.
constexpr size_t kMaxText = kMaxScheduleFieldLength;
constexpr size_t kMaxTyped = std::numeric_limits<size_t>::max();
constexpr size_t kMaxList = 1000;

using Json = nlohmann::json;

// A malformed request; its message goes back to the page as the 400 error.
struct BadRequest : std::runtime_error {
  using std::runtime_error::runtime_error;
};

const Json& Member(const Json& object, const char* name) {
  static const Json kNull;
  auto found = object.find(name);
  return found == object.end() ? kNull : *found;
}

std::string Text(const Json& value, const char* what, size_t limit = kMaxText) {
  if (!value.is_string()) throw BadRequest(std::string("\"") + what + "\" must be a string");
  std::string text = Utf8ToCp1252(value.get<std::string>());
  if (text.size() > limit)
    throw BadRequest(std::string("\"") + what + "\" holds at most " + std::to_string(limit) + " characters");
  return text;
}

// An optional string member, by default one the person typed: empty when
// missing.
std::string OptionalText(const Json& object, const char* name, size_t limit = kMaxTyped) {
  const Json& value = Member(object, name);
  return value.is_null() ? std::string() : Text(value, name, limit);
}

const Json& List(const Json& value, const char* what) {
  if (!value.is_array() || value.size() > kMaxList)
    throw BadRequest(std::string("\"") + what + "\" must be a list of at most " + std::to_string(kMaxList));
  return value;
}

std::vector<std::string> Texts(const Json& value, const char* what) {
  std::vector<std::string> out;
  for (const Json& item : List(value, what)) out.push_back(Text(item, what));
  return out;
}

long long Integer(const Json& value, const char* what, long long low, long long high) {
  if (!value.is_number_integer() || value.get<long long>() < low || value.get<long long>() > high)
    throw BadRequest(std::string("\"") + what + "\" must be a whole number from " + std::to_string(low) +
                     " to " + std::to_string(high));
  return value.get<long long>();
}

std::vector<size_t> Indexes(const Json& object) {
  std::vector<size_t> out;
  const Json& ticked = Member(object, "ticked");
  if (ticked.is_null()) return out;
  for (const Json& index : List(ticked, "ticked"))
    out.push_back(static_cast<size_t>(Integer(index, "ticked", 0, static_cast<long long>(kMaxList))));
  return out;
}

// Rows as lists of `width` texts.
template <typename Row>
std::vector<Row> Rows(const Json& value, const char* what, size_t width,
                      Row (*make)(std::vector<std::string>&)) {
  std::vector<Row> rows;
  for (const Json& item : List(value, what)) {
    std::vector<std::string> fields = Texts(item, what);
    if (fields.size() != width)
      throw BadRequest(std::string("each row of \"") + what + "\" has " + std::to_string(width) + " fields");
    rows.push_back(make(fields));
  }
  return rows;
}

ProgramRow MakeProgramRow(std::vector<std::string>& f) { return {f[0], f[1], f[2]}; }
LabelRow MakeLabelRow(std::vector<std::string>& f) { return {f[0], f[1]}; }

Json Utf8(const std::string& text) { return Cp1252ToUtf8(text); }

Json Utf8List(const std::vector<std::string>& texts) {
  Json out = Json::array();
  for (const std::string& text : texts) out.push_back(Utf8(text));
  return out;
}

Json ProgramRowsJson(const std::vector<ProgramRow>& rows) {
  Json out = Json::array();
  for (const ProgramRow& r : rows) out.push_back({Utf8(r.program), Utf8(r.time), Utf8(r.temperature)});
  return out;
}

Json LabelRowsJson(const std::vector<LabelRow>& rows) {
  Json out = Json::array();
  for (const LabelRow& r : rows) out.push_back({Utf8(r.name), Utf8(r.value)});
  return out;
}

Json LinesJson(const std::vector<DialogListRow>& lines) {
  Json out = Json::array();
  for (const DialogListRow& line : lines)
    out.push_back({{"number", Utf8(line.number)}, {"cells", Utf8List(line.cells)}, {"index", line.index}});
  return out;
}

uint8_t Unit(const Json& object) {
  return static_cast<uint8_t>(Integer(Member(object, "tempUnits"), "tempUnits", 0, 1));
}

ProgramsDialog ProgramsDialogOf(const Json& d) {
  if (!d.is_object()) throw BadRequest("\"dialog\" must be the dialog of the last answer");
  ProgramsDialog dialog;
  dialog.rows = Rows(Member(d, "rows"), "rows", 3, MakeProgramRow);
  dialog.names = Texts(Member(d, "names"), "names");
  dialog.times = Texts(Member(d, "times"), "times");
  dialog.temps = Texts(Member(d, "temps"), "temps");
  dialog.shown = Text(Member(d, "shown"), "shown");
  dialog.hourLabels = Rows(Member(d, "hourLabels"), "hourLabels", 2, MakeLabelRow);
  dialog.tempLabels = Rows(Member(d, "tempLabels"), "tempLabels", 2, MakeLabelRow);
  dialog.tempUnits = Unit(d);
  dialog.stamp = Text(Member(d, "stamp"), "stamp");
  return dialog;
}

LabelsDialog LabelsDialogOf(const Json& d) {
  if (!d.is_object()) throw BadRequest("\"dialog\" must be the dialog of the last answer");
  LabelsDialog dialog;
  dialog.mode = static_cast<uint8_t>(Integer(Member(d, "mode"), "mode", kDaysMode, kTempsMode));
  dialog.rows = Rows(Member(d, "rows"), "rows", 2, MakeLabelRow);
  dialog.labels = Texts(Member(d, "labels"), "labels");
  dialog.values = Texts(Member(d, "values"), "values");
  dialog.tempUnits = Unit(d);
  dialog.stamp = Text(Member(d, "stamp"), "stamp");
  return dialog;
}

bool IsSettingsText(int id) {
  for (int known : kSettingsTextControls)
    if (known == id) return true;
  return false;
}

SettingsForm SettingsFormOf(const Json& f) {
  if (!f.is_object()) throw BadRequest("\"form\" must be the form of the last answer");
  SettingsForm form;
  const Json& texts = Member(f, "texts");
  if (!texts.is_object()) throw BadRequest("\"texts\" must map control identifiers to texts");
  for (const auto& [key, value] : texts.items()) {
    int id = std::atoi(key.c_str());
    if (!IsSettingsText(id) || std::to_string(id) != key) throw BadRequest("\"texts\" has no control " + key);
    form.texts[id] = Text(value, "texts");
  }
  for (const Json& id : List(Member(f, "ticked"), "ticked"))
    form.ticked.insert(static_cast<int>(Integer(id, "ticked", dialog_id::kSettings, settings_id::kSave)));
  form.stamp = Text(Member(f, "stamp"), "stamp");
  return form;
}

template <typename Action>
using Kinds = std::map<std::string, typename Action::Kind>;

template <typename Action>
Parsed<Action> Parse(std::string_view body, const Kinds<Action>& kinds, void (*fill)(const Json&, Action&)) {
  Parsed<Action> parsed;
  Json json = Json::parse(body, nullptr, /*allow_exceptions=*/false);
  if (json.is_discarded() || !json.is_object()) {
    parsed.error = "the body must be a JSON object";
    return parsed;
  }
  try {
    std::string name = Text(Member(json, "action"), "action");
    auto kind = kinds.find(name);
    if (kind == kinds.end()) throw BadRequest("no action \"" + name + "\" here");
    Action action;
    action.kind = kind->second;
    fill(json, action);
    parsed.value = std::move(action);
  } catch (const BadRequest& bad) {
    parsed.error = bad.what();
  }
  return parsed;
}

Json WithBox(Json answer, const std::optional<MessageBoxRequest>& box) {
  if (box) answer["box"] = DialogBoxJson(*box);
  return answer;
}

// Apply and SAVE say whether the dialog closes.
Json WithClosed(Json answer, std::optional<bool> closed) {
  if (closed) answer["closed"] = *closed;
  return answer;
}

}  // namespace

Parsed<ProgramsAction> ParseProgramsRequest(std::string_view body) {
  using Kind = ProgramsAction::Kind;
  static const Kinds<ProgramsAction> kKinds = {
      {"open", Kind::kOpen},     {"choose", Kind::kChoose},       {"add", Kind::kAdd},
      {"delete", Kind::kDelete}, {"deleteAll", Kind::kDeleteAll}, {"apply", Kind::kApply},
      {"save", Kind::kSave},     {"restore", Kind::kRestore}};
  return Parse<ProgramsAction>(body, kKinds, [](const Json& json, ProgramsAction& a) {
    if (a.kind != Kind::kOpen) a.dialog = ProgramsDialogOf(Member(json, "dialog"));
    a.name = OptionalText(json, "name");
    a.time = OptionalText(json, "time");
    a.temperature = OptionalText(json, "temp");
    a.program = OptionalText(json, "program", kMaxText);  // chosen from the list
    a.ticked = Indexes(json);
  });
}

Parsed<LabelsAction> ParseLabelsRequest(std::string_view body) {
  using Kind = LabelsAction::Kind;
  static const Kinds<LabelsAction> kKinds = {{"open", Kind::kOpen},      {"add", Kind::kAdd},
                                             {"delete", Kind::kDelete},  {"deleteAll", Kind::kDeleteAll},
                                             {"apply", Kind::kApply},    {"save", Kind::kSave},
                                             {"restore", Kind::kRestore}};
  return Parse<LabelsAction>(body, kKinds, [](const Json& json, LabelsAction& a) {
    if (a.kind == Kind::kOpen)
      a.mode = static_cast<uint8_t>(Integer(Member(json, "mode"), "mode", kDaysMode, kTempsMode));
    else
      a.dialog = LabelsDialogOf(Member(json, "dialog"));
    a.label = OptionalText(json, "label");
    a.value = OptionalText(json, "value");
    a.ticked = Indexes(json);
  });
}

Parsed<SettingsAction> ParseSettingsRequest(std::string_view body) {
  using Kind = SettingsAction::Kind;
  static const Kinds<SettingsAction> kKinds = {
      {"open", Kind::kOpen}, {"modify", Kind::kModify}, {"save", Kind::kSave}};
  return Parse<SettingsAction>(body, kKinds, [](const Json& json, SettingsAction& a) {
    if (a.kind != Kind::kOpen) a.form = SettingsFormOf(Member(json, "form"));
    std::string answer = OptionalText(json, "answer");
    if (answer == "OK") a.answer = BoxResult::kOk;
    if (answer == "Cancel") a.answer = BoxResult::kCancel;
    if (!answer.empty() && !a.answer) throw BadRequest("\"answer\" is \"OK\" or \"Cancel\"");
  });
}

Json ProgramsAnswer(const ProgramsView& v) {
  const ProgramsDialog& dialog = v.dialog;
  Json state = {{"rows", ProgramRowsJson(dialog.rows)},
                {"names", Utf8List(dialog.names)},
                {"times", Utf8List(dialog.times)},
                {"temps", Utf8List(dialog.temps)},
                {"shown", Utf8(dialog.shown)},
                {"hourLabels", LabelRowsJson(dialog.hourLabels)},
                {"tempLabels", LabelRowsJson(dialog.tempLabels)},
                {"tempUnits", dialog.tempUnits},
                {"stamp", dialog.stamp}};
  Json view = {{"names", state["names"]},
               {"times", state["times"]},
               {"temps", state["temps"]},
               {"shown", state["shown"]},
               {"lines", LinesJson(v.lines)}};
  return WithClosed(WithBox({{"dialog", state}, {"view", view}}, v.box), v.closed);
}

Json LabelsAnswer(const LabelsView& v) {
  const LabelsDialog& dialog = v.dialog;
  Json state = {{"mode", dialog.mode},
                {"rows", LabelRowsJson(dialog.rows)},
                {"labels", Utf8List(dialog.labels)},
                {"values", Utf8List(dialog.values)},
                {"tempUnits", dialog.tempUnits},
                {"stamp", dialog.stamp}};
  Json view = {{"title", v.texts.title},
               {"group", v.texts.group},
               {"labelColumn", v.texts.labelColumn},
               {"valueColumn", v.texts.valueColumn},
               {"labels", state["labels"]},
               {"values", state["values"]},
               {"lines", LinesJson(v.lines)}};
  return WithClosed(WithBox({{"dialog", state}, {"view", view}}, v.box), v.closed);
}

Json SettingsAnswer(const SettingsView& v) {
  if (v.closed) return {{"closed", true}};
  if (v.ask) return {{"ask", DialogBoxJson(*v.ask)}};
  Json answer = Json::object();
  if (v.form) {
    Json texts = Json::object();
    for (const auto& [id, text] : v.form->texts) texts[std::to_string(id)] = Utf8(text);
    Json disabled = Json::array();
    for (int id : kSettingsDisabledControls) disabled.push_back(id);
    answer = {{"form", {{"texts", texts}, {"ticked", v.form->ticked}, {"stamp", v.form->stamp}}},
              {"disabled", disabled},
              {"languages", {"English"}}};
  }
  return WithBox(std::move(answer), v.box);
}

Json DialogBoxJson(const MessageBoxRequest& box) {
  Json buttons = Json::array();
  for (BoxResult button : ButtonsOf(box.buttons)) buttons.push_back(ButtonName(button));
  const char* icon = box.icon == BoxIcon::kStop   ? "stop"
                     : box.icon == BoxIcon::kNone ? "none"
                                                  : "information";
  return {{"caption", MessageLines(box.caption)},
          {"text", MessageLines(box.text)},
          {"icon", icon},
          {"buttons", buttons},
          {"default", ButtonName(DefaultAnswer(box))}};
}

Json AboutJson(const AboutBox& about) {
  return {{"caption", MessageLines(about.caption)},
          {"text", MessageLines(about.text)},
          {"version", about.version},
          {"banner", "/pictures/" + about.banner},
          {"picture", "/pictures/" + about.picture}};
}

}  // namespace kelvora
