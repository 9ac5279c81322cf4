#include "Monitor/schedule/day_plan.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "Monitor/core/text_number.h"

namespace kelvora {

namespace {

constexpr uint8_t kSlotChanged = 1;  // changeFlags bit 0

// A field names a time or a number when it starts with a digit; anything
// else is a name to look up.
bool StartsWithDigit(std::string_view field) { return !field.empty() && field[0] >= '0' && field[0] <= '9'; }

bool IsManual(const DaySlot& slot) { return slot.manual == "1"; }

// An empty name is no name: it finds no program and no label.
bool HasProgram(const std::vector<ProgramRow>& rows, std::string_view name) {
  if (name.empty()) return false;
  return std::any_of(rows.begin(), rows.end(), [&](const ProgramRow& row) { return row.program == name; });
}

const LabelRow* FindLabel(const std::vector<LabelRow>& labels, std::string_view name) {
  if (name.empty()) return nullptr;
  auto found =
      std::find_if(labels.begin(), labels.end(), [&](const LabelRow& label) { return label.name == name; });
  return found == labels.end() ? nullptr : &*found;
}

// `date` with each "**" part (year, month, day) replaced by that part of `today`.
std::string DateOnDay(std::string date, std::string_view today) {
  for (size_t part : {0, 3, 6}) {
    bool wildcard = date.size() >= part + 2 && date.compare(part, 2, "**") == 0;
    if (wildcard && today.size() >= part + 2) date.replace(part, 2, today.substr(part, 2));
  }
  return date;
}

// Start and temperature of slot n from a step that does not hand over.
void FillSlot(ScheduleState& s, uint8_t n, const ProgramRow& step) {
  DaySlot& slot = s.daySlots[n];
  slot.manual.clear();  // a rebuilt day has only its program's slots
  if (StartsWithDigit(step.time)) {
    slot.start = step.time;
  } else if (const LabelRow* hour = FindLabel(s.hourLabels, step.time)) {
    slot.start = hour->value;
  }
  if (StartsWithDigit(step.temperature)) {
    s.slotTemps[n] = static_cast<float>(ReadNumber(step.temperature));
  } else if (const LabelRow* temp = FindLabel(s.tempLabels, step.temperature)) {
    s.slotTemps[n] = static_cast<float>(ReadNumber(temp->value));
  }
}

std::string LoopReport(const std::vector<std::string>& chain, const std::string& back, uint8_t kept) {
  std::string line = "Program hand-over loop ";
  for (const std::string& name : chain) line += name + " -> ";
  line += back + ": the day keeps the " + std::to_string(kept) + " slots found before it\n";
  return line;
}

// Walks the rows of `currentProgram` into slots 1..n and returns n. A
// hand-over restarts the walk at row 1 under the other program's name, so
// a program met twice means a walk without end: it stops there and
// `report` explains it.
uint8_t GatherSlots(ScheduleState& s, std::string& report) {
  std::vector<std::string> visited{s.currentProgram};
  uint8_t n = 0;
  for (size_t row = 0; row < s.programRows.size();) {
    const ProgramRow& step = s.programRows[row++];
    if (step.program != visited.back()) continue;
    if (!StartsWithDigit(step.time) && HasProgram(s.programRows, step.time)) {
      if (std::find(visited.begin(), visited.end(), step.time) != visited.end()) {
        report = LoopReport(visited, step.time, n);
        break;
      }
      visited.push_back(step.time);
      row = 0;
      continue;
    }
    if (n == kMaxDaySlots) break;  // the slot table is full
    FillSlot(s, ++n, step);
  }
  return n;
}

// Whether slot a sorts after slot b.
bool GoesAfter(const DaySlot& a, const DaySlot& b) {
  if (a.start != b.start) return a.start > b.start;
  if (a.end != b.end) return a.end > b.end;
  return !IsManual(a) && IsManual(b);
}

// A bubble sort: n is at most 29, and a stable order keeps the first of
// equal manual slots first.
void BubbleSortSlots(ScheduleState& s, uint8_t n) {
  for (bool swapped = true; swapped;) {
    swapped = false;
    for (uint8_t i = 1; i < n; ++i) {
      if (!GoesAfter(s.daySlots[i], s.daySlots[i + 1])) continue;
      std::swap(s.daySlots[i], s.daySlots[i + 1]);
      std::swap(s.slotTemps[i], s.slotTemps[i + 1]);
      swapped = true;
    }
  }
}

// The closing entry first, so that with no slot at all slot 0 ends at "24:00".
void CloseTable(ScheduleState& s, uint8_t n) {
  DaySlot& closing = s.daySlots[n + 1];
  closing.start = "24:00";
  closing.end = "99:99";
  closing.manual.clear();
  s.slotTemps[n + 1] = s.slotTemps[n];
  s.daySlots[0].end = s.daySlots[1].start;
}

uint8_t SlotInForce(const ScheduleState& s, uint8_t n, std::string_view now) {
  uint8_t current = 0;
  bool byHand = false;
  uint8_t i = 1;
  for (; i <= n && s.daySlots[i].start <= now; ++i) {
    const DaySlot& slot = s.daySlots[i];
    if (!(now < slot.end)) continue;
    if (IsManual(slot)) {
      // Of several manual slots with one start, the first stays in force.
      if (byHand && s.daySlots[current].start == slot.start) continue;
      current = i;
      byHand = true;
    } else if (!byHand) {
      current = i;
    }
  }
  if (current != 0) return current;
  // Before the day's first step the evening's temperature, carried into
  // slot 0, still holds; the first step is what the pre-heat aims at.
  if (now < s.daySlots[0].end) return 0;
  // A gap between slots: the slot being waited for.
  return i;
}

// The slot, among those of one kind (manual or not), that takes over at the
// end of the current one and ends soonest; `candidate` if none ends sooner.
uint8_t SoonestSuccessor(const ScheduleState& s, uint8_t n, uint8_t current, std::string_view now,
                         bool manual, uint8_t candidate) {
  const DaySlot& cur = s.daySlots[current];
  for (uint8_t j = n; j >= 1; --j) {
    const DaySlot& slot = s.daySlots[j];
    if (IsManual(slot) != manual || j == current || !(now < slot.end)) continue;
    if (slot.start <= cur.end && slot.end > cur.end && slot.end < s.daySlots[candidate].end) candidate = j;
  }
  return candidate;
}

uint8_t NextSlot(const ScheduleState& s, uint8_t n, uint8_t current, std::string_view now) {
  bool anotherRuns = false;
  for (uint8_t j = 1; j <= n; ++j) anotherRuns = anotherRuns || (j != current && now < s.daySlots[j].end);
  if (!anotherRuns) return 0;
  const DaySlot& cur = s.daySlots[current];
  // A manual slot inside the current one comes next when it is the first
  // later slot still to run.
  for (uint8_t j = current + 1; j <= n; ++j) {
    const DaySlot& slot = s.daySlots[j];
    if (!(now < slot.end) || slot.start == cur.start) continue;
    if (IsManual(slot) && slot.start >= cur.start && slot.end <= cur.end) return j;
    break;
  }
  uint8_t candidate = SoonestSuccessor(s, n, current, now, true, n);
  if (candidate == n) candidate = SoonestSuccessor(s, n, current, now, false, n);
  return candidate;
}

// Ends as in a sorted table: each slot ends where the next one starts.
void ChainEnds(ScheduleState& s, uint8_t n, bool toOwnStart) {
  for (uint8_t i = 0; i <= n; ++i) s.daySlots[i].end = s.daySlots[toOwnStart ? i : i + 1].start;
}

// What `programTemp` becomes after a resolution: the temperature of the
// nearest earlier slot that differs from the one in force, so that the next
// pass takes that slot over as a rise or a fall. The day repeats, so the
// search goes on round from the day's end (slot 0 carries the evening).
// When no slot differs, a value just below it: the slot is still taken
// over, as a rise.
float TakeOverReference(const ScheduleState& s) {
  uint8_t n = std::min(s.slotCount, kMaxDaySlots);
  uint8_t current = std::min<uint8_t>(s.currentSlot, n);
  float temperature = s.slotTemps[s.currentSlot];
  for (int step = 1; step <= n; ++step) {
    int slot = (current - step + n + 1) % (n + 1);
    if (s.slotTemps[slot] != temperature) return s.slotTemps[slot];
  }
  return std::nextafter(temperature, -1000.0f);
}

}  // namespace

std::string SelectDayProgram(const DayPlan& plan, uint8_t weekday, std::string_view now) {
  ScheduleState& s = plan.schedule;
  size_t language = plan.french ? 1 : 0;
  if (weekday >= 1 && weekday <= 7) {
    const std::string& dayName = plan.texts.dayNameTable[language][weekday];
    auto day = std::find_if(s.dayRows.begin(), s.dayRows.end(),
                            [&](const DayRow& row) { return row.day == dayName; });
    if (day != s.dayRows.end()) s.currentProgram = day->program;
  }
  const std::string& today = plan.todayDate;
  for (const HolidayRow& row : s.holidayRows) {
    if (DateOnDay(row.date, today) != today) continue;
    s.currentProgram = row.program.empty() ? plan.texts.holidayProgramName[language] : row.program;
    break;
  }
  if (s.currentProgram.empty()) s.currentProgram = plan.texts.defaultProgramName[language];
  return ExpandProgram(plan, now);
}

std::string ExpandProgram(const DayPlan& plan, std::string_view now) {
  ScheduleState& s = plan.schedule;
  s.requestedProgram = s.currentProgram;
  std::string report;
  uint8_t n = GatherSlots(s, report);
  s.slotCount = n;
  // Sorting with each slot ending at its own start orders the starts; the
  // ends can then be chained and the table sorted into its final order.
  ChainEnds(s, n, true);
  SortSlots(plan, now);
  ChainEnds(s, n, false);
  SortSlots(plan, now);
  if (s.daySlots[0].end == "00:00") {
    s.slotTemps[0] = s.slotTemps[1];
  } else if (n > 0) {
    // The temperature the day ends on runs on into the morning before the
    // first step, from the first expansion on: slot 0 is in force then, and
    // a 0 there would leave the house unheated until the first step.
    s.slotTemps[0] = s.slotTemps[n];
  }
  // The next slot may be slot 0, whose temperature is only now in place.
  FindCurrentSlot(plan, now);
  s.programTemp = TakeOverReference(s);
  return report;
}

void SortSlots(const DayPlan& plan, std::string_view now) {
  ScheduleState& s = plan.schedule;
  s.slotCount = std::min(s.slotCount, kMaxDaySlots);
  BubbleSortSlots(s, s.slotCount);
  CloseTable(s, s.slotCount);
  FindCurrentSlot(plan, now);
  plan.changeFlags |= kSlotChanged;
}

void FindCurrentSlot(const DayPlan& plan, std::string_view now) {
  ScheduleState& s = plan.schedule;
  now = now.substr(0, 5);
  uint8_t n = std::min(s.slotCount, kMaxDaySlots);
  uint8_t before = s.currentSlot;
  s.currentSlot = SlotInForce(s, n, now);
  s.nextSlot = NextSlot(s, n, s.currentSlot, now);
  // The pre-heat target keeps the weather's correction: a running pre-heat
  // must not lose it at the next pass.
  s.nextSetpoint = s.slotTemps[s.nextSlot] + plan.weatherOffset;
  if (s.currentSlot != before) plan.changeFlags |= kSlotChanged;
}

}  // namespace kelvora
