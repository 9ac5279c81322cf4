#include "Monitor/Monitor.h"

#include <chrono>
#include <cmath>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>

#include "Functions/formulas.h"
#include "Monitor/card/card.h"
#include "Monitor/card/sensors.h"
#include "Monitor/control/cycle_log.h"
#include "Monitor/control/heating.h"
#include "Monitor/control/relays.h"
#include "Monitor/control/simulated_house.h"
#include "Monitor/control/weather.h"
#include "Monitor/core/clock_text.h"
#include "Monitor/core/settings.h"
#include "Monitor/run_parts.h"
#include "Monitor/schedule/day_plan.h"
#include "Monitor/schedule/schedule_files.h"
#include "Monitor/statistics/accounting.h"
#include "Monitor/statistics/day_files.h"
#include "Monitor/statistics/day_statistics.h"
#include "Monitor/statistics/season_file.h"
#include "Monitor/ui/programs_dialog.h"
#include "platform/posix_file_layer.h"

namespace kelvora {

namespace {

constexpr std::chrono::milliseconds kTickPeriod{500};
constexpr std::chrono::milliseconds kSecondPoll{10};
constexpr int kMaxSettlingReadings = 50;

constexpr const char* kSimulationFiles[] = {"STAT.DAT", "CYCLE.DAT", "PROJECT.DAT"};
// "CYCLE.DAT" goes first: a "STAT.DAT" left by a crash between the two
// closes its day again (which the season file takes once), while a lone
// "CYCLE.DAT" would carry yesterday's rows into the new day.
constexpr const char* kDayFiles[] = {"CYCLE.DAT", "STAT.DAT"};
constexpr int kQuarterHourSeconds = 900;

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty()) return name;
  return directory.back() == '/' ? directory + name : directory + "/" + name;
}

}  // namespace

Program::Program(const Environment& environment)
    : env_(environment),
      errorHandler_(*this),
      ownedFiles_(env_.makeFiles ? env_.makeFiles(errorHandler_)
                                 : std::make_unique<PosixFileLayer>(errorHandler_)),
      files_(*ownedFiles_),
      profile_(files_),
      diagnostics_(files_,
                   env_.diagnosticsToTerminal
                       ? DiagnosticLog::Terminal([this](std::string_view text) { ConsoleWrite(text); })
                       : DiagnosticLog::Terminal()) {
  if (env_.statusScreenToTerminal) {
    statusTerminal_.emplace([this](std::string_view text) { env_.ui.ConsoleWrite(std::string(text)); });
  }
  if (env_.makeLearning) {
    learning_ = env_.makeLearning(*this);
  } else {
    learning_ = std::make_unique<HouseLearning>(LearningPartsOf(state_), LearningServicesOf(*this));
  }
}

int Program::Run() {
  try {
    StartUp();
    if (env_.service != nullptr) env_.service->Ready();
    RunTickLoop();
  } catch (const ProgramExit& exit) {
    emergency_.Uninstall();
    return exit.status();
  }
  emergency_.Uninstall();
  return 0;
}

void Program::StartUp() {
  // 1. The handler of trapped errors is in force from the first file
  // operation on (the file layer reports to it); the signal side comes here.
  if (env_.installSignalHandlers) emergency_.Install(env_.ports);
  emergency_.SetTerminal(env_.terminal);
  // 2. Everything is addressed from the program's own directory.
  files_.SetCurrentDirectory(env_.programDirectory);
  // 3. Constants, initial values, tables.
  SetConstants();
  DimensionTables();
  // 4, 5. The data directory, created on the first run.
  PrepareDataDirectory();
  files_.SetCurrentDirectory(JoinPath(env_.programDirectory, "DATA"));
  emergency_.SetLogPath(files_.Resolve(kErrorLogName));
  // 6. The card, or the simulation.
  DetectCard();
  // 7. `initialise`; the tick loop stands for the main window.
  Initialise();
}

void Program::SetConstants() {
  ConstantTexts& t = state_.texts;
  t.settingsPath = "..\\Settings.ini";
  t.carriageReturn = "\r";
  t.lineFeed = "\n";
  t.tab = "\t";
  t.dayNameTable[0] = {"", "Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
  t.dayNameTable[1] = {"", "DIMANCHE", "LUNDI", "MARDI", "MERCREDI", "JEUDI", "VENDREDI", "SAMEDI"};
  t.defaultProgramName = {"DEFAULT", "DEFAUT"};
  t.holidayProgramName = {"HOLIDAY", "CONGE"};
  t.windHeadings = {"Wind (Kmh)", "Wind (Mph)"};
  t.tempMask = {
      "##.##\xB0"
      "C",
      "##.##\xB0"
      "F"};
  t.signedTempMask = {
      "+##.##\xB0"
      "C",
      "+##.##\xB0"
      "F"};
  t.decimalMask = "-###.###";
  t.windMask = "###";
  t.percentMask = "###.#%";

  state_.settings = Settings{};
  state_.control.heatState = HeatState::kOff;
  DaySlot& first = state_.schedule.daySlots[0];
  first.start = "00:00";
  first.end = "24:00";

  SetNominalRelays(state_.card);
  state_.control.shootCapacity = 4;
}

template <typename T>
void Program::Dimension(Table<T>& table, int rows, int columns) {
  for (;;) {
    try {
      if (failDimensioning_ > 0) {
        --failDimensioning_;
        throw std::bad_alloc();
      }
      table.Dimension(rows, columns);
      return;
    } catch (const std::bad_alloc&) {
      TrappedError error{kOutOfMemory, SourceLocation::current(), "out of memory for a table"};
      if (errorHandler_.Trap(error) == Resume::kSkip) return;
    }
  }
}

void Program::DimensionTables() {
  ControlState& c = state_.control;
  RingCapacities& cap = c.capacities;
  cap = RingCapacities{60, 60, 60, 30, 60, 96, 1, 30};
  Dimension(state_.learning.stepTable, 20, 10);
  Dimension(c.cycleLog, 500, 5);
  Dimension(c.stripRows, 15, 0);
  Dimension(c.interiorRing, cap.interior, 0);
  Dimension(c.exteriorRing, cap.exterior, 1);
  Dimension(c.sunRing, cap.sun, 0);
  Dimension(c.sunHourRing, cap.sunHour, 0);
  Dimension(c.sunCorrectionRing, cap.sunCorrection, 0);
  Dimension(c.quarterLog, cap.quarter, 2);
  Dimension(c.windRing, cap.wind, 0);
  Dimension(c.windHourRing, cap.windHour, 0);
  Dimension(c.undershootHistory, c.shootCapacity, 2);
  Dimension(c.overshootHistory, c.shootCapacity, 2);
}

void Program::PrepareDataDirectory() {
  if (files_.IsDirectory("DATA")) {
    // A home copied without its empty "History" still needs a place for
    // the seasons that end.
    if (!files_.IsDirectory("DATA/History")) files_.MakeDirectory("DATA/History");
    return;
  }
  if (!files_.MakeDirectory("DATA")) {
    MessageBoxRequest box;
    box.caption = "PROBLEM";
    box.text = "Impossible to create 'DATA' Directory in the 'HEATING' Directory";
    box.icon = BoxIcon::kStop;
    Ui().ShowMessageBox(box);
    ShutDown(kExitStoppedByError, "the data directory cannot be created");
  }
  files_.SetCurrentDirectory(JoinPath(env_.programDirectory, "DATA"));
  // A first run: the five schedule tables are empty, so are their files.
  for (uint8_t kind = kProgramsKind; kind <= kTempsKind; ++kind) {
    SaveScheduleFile(files_, state_.schedule, kind);
  }
  files_.MakeDirectory("History");
}

void Program::DetectCard() {
  CardState& card = state_.card;
  // Without access to the ports a configured ISA port would be "found" and
  // read as all ones: only ports that can be reached are searched.
  if (env_.ports.Available()) {
    std::string note = SelectCard(env_.ports, profile_, state_.texts.settingsPath, card);
    if (!note.empty()) ConsoleWrite(note + "\n");
  }
  detectedInputPort_ = card.inputPort;
  detectedOutputPort_ = card.outputPort;
  if (!card.cardKind.empty()) return;
  // With no card every port is "none": nothing may ever drive a port that
  // was not found.
  card.inputPort = kNoPort;
  card.outputPort = kNoPort;
  card.simulationMode = 1;
  MessageBoxRequest box;
  box.caption = "MODE";
  box.text = "NO PC Card Present:  Running in Simulation MODE";
  box.icon = BoxIcon::kStop;
  Ui().ShowMessageBox(box);
}

void Program::Initialise() {
  // 1. A new random sequence for every run.
  LocalTime now = env_.clock.Now();
  auto clockSeed = static_cast<uint32_t>(SecondsOfDay(now) * 1000 + now.millisecond);
  if (env_.randomSeed) {
    random_.Seed(clockSeed, *env_.randomSeed);
  } else {
    random_.Seed(clockSeed);
  }
  // 2. Settings, with the simulation override.
  LoadSettings();
  // 3. Which relays exist, and the first output byte.
  ConfigureRelays({state_.settings, state_.card, state_.control});
  // 4. A fresh day.
  ResetDayState(StatisticsPartsOf(state_));
  dayRestored_ = false;
  // 5. Corrections that need two keys, and the rated power.
  RaiseHeatPumpSetForward(state_.settings);
  CardState& card = state_.card;
  card.totalRatedPower = card.fanHighPower + card.stage2Power + card.heatPumpPower;
  // 6. Today, then a fresh clock reading a second later.
  ReadToday();
  env_.clock.SleepFor(std::chrono::seconds(1));
  TickSeconds(env_.clock, state_.clock.clockSeconds, state_.clock.previousClockSeconds);
  // 7. The day so far, when the program ran earlier today. Day files left
  // from an earlier day are closed into the season file first, so that the
  // day's record lands in the season it belongs to.
  files_.CloseAll();
  RestoreDayState(StatisticsPartsOf(state_), StatisticsServicesOf(*this));
  dayRestored_ = true;
  // 8. The season file, rotated when a new season has begun.
  CheckTempFile(StatisticsPartsOf(state_), StatisticsServicesOf(*this));
  // 9. What was learned.
  learning_->ReadProject();
  // 10. The relays as they stand now.
  ApplyHeldHeatPump();
  WriteOutputs(card.outputByte);
  PublishEmergencyState();
  // 11. Today's schedule.
  LoadSchedules();
  // 12. A real sensor is read until it gives the same value twice.
  if (card.simulationMode == 0) SettleInteriorReading();
  // 13. The text status screen, drawn afresh.
  ShowStatusFrame();
  // 14. Return on a fresh second.
  WaitForNextSecond();
}

void Program::LoadSettings() {
  CardState& card = state_.card;
  // The settings may hand the house to the simulation: relays that were
  // driven go off while the card can still be reached, never left as they were.
  if (latchDriven_) WriteOutputs(0);
  kelvora::LoadSettings(profile_, state_.texts.settingsPath, state_.settings, card.simulationMode);
  // Without a card there is nothing to drive: Sim_Mode=0 cannot leave the
  // simulation then. A forced simulation with a card never touches its ports,
  // but the card stays known, so that Sim_Mode=0 later drives it again.
  if (card.cardKind.empty()) card.simulationMode = 1;
  card.inputPort = card.simulationMode != 0 ? kNoPort : detectedInputPort_;
  card.outputPort = card.simulationMode != 0 ? kNoPort : detectedOutputPort_;
  // The first reading starts the simulated house; on a card it is discarded.
  ReadChannel(kInteriorChannel);
  WriteOutputs(card.outputByte);
}

void Program::ApplyHeldHeatPump() {
  const ControlState& control = state_.control;
  bool held = control.setBackActive != 0 && control.heatPumpHold != 0;
  if (state_.settings.HP_Cont != 0 || held) SwitchOn(state_.card, state_.card.heatPumpMask);
}

void Program::LoadSchedules() {
  std::string skipped = LoadScheduleFiles(files_, state_.schedule);
  if (!skipped.empty()) ConsoleWrite(skipped);
  // The date again: loading may have waited on a retry box past midnight.
  ReadToday();
  // Each day starts from its own day row: a program chosen by hand, or
  // yesterday's, does not carry into a day that has no row.
  state_.schedule.currentProgram.clear();
  std::string note =
      SelectDayProgram(DayPlanOf(state_), state_.clock.todayWeekday, ClockText(env_.clock.Now()));
  if (!note.empty()) ConsoleWrite(note);
}

void Program::SettleInteriorReading() {
  // No raw byte reaches 256, so the first reading never ends the wait.
  float previous = 256;
  for (int reading = 0; reading < kMaxSettlingReadings; ++reading) {
    float value = ReadChannel(kInteriorChannel);
    if (value == previous) return;
    previous = std::nearbyint(value);
  }
}

void Program::ReadToday() {
  ClockState& clock = state_.clock;
  LocalTime now = env_.clock.Now();
  clock.todayDate = F8Date(SystemDateText(now));
  clock.todayNumber = NumDate(clock.todayDate);
  clock.todaySeasonDay = Julian07(clock.todayDate);
  clock.todayWeekday = static_cast<uint8_t>(now.weekday);
}

void Program::WaitForNextSecond() {
  int32_t second = ClockSecond(env_.clock);
  while (ClockSecond(env_.clock) == second) env_.clock.SleepFor(kSecondPoll);
}

void Program::OpenMainWindow() {
  // The window takes the current second as already processed and starts its
  // timer on the next second boundary, so that ticks fall early in a second.
  state_.clock.lastPassSecond = ClockSecond(env_.clock);
  WaitForNextSecond();
  FillProgramBox(state_);
  mainWindowOpen_ = true;
}

void Program::RunTickLoop() {
  OpenMainWindow();
  for (;;) {
    env_.clock.SleepFor(kTickPeriod);
    Tick();
  }
}

void Program::Tick() {
  Guarded([this] {
    CheckSignals();
    RunPostedCommands();
  });
  if (state_.errors.lastErrorNumber != 0 && ClockSecond(env_.clock) % 10 == 0) env_.ui.Beep();
  if (state_.control.controlStarted != 0) return;
  state_.control.controlStarted = 1;
  Guarded([this] { RunControlPass(); });
}

void Program::Guarded(const std::function<void()>& step) {
  // A table index out of its bounds or a failed allocation inside a pass is a
  // fault of the program, not of the house: it takes the fatal path, which
  // switches the relays off, instead of leaving memory undefined.
  try {
    step();
  } catch (const std::out_of_range& fault) {
    state_.control.controlStarted = 0;
    errorHandler_.Trap(TrappedError{kIndexOutOfBounds, SourceLocation::current(), fault.what()});
  } catch (const std::bad_alloc&) {
    state_.control.controlStarted = 0;
    errorHandler_.Trap(TrappedError{kOutOfMemory, SourceLocation::current(), "out of memory"});
  }
}

void Program::RunControlPass() {
  struct ClearOnExit {
    uint8_t& flag;
    ~ClearOnExit() { flag = 0; }
  } clear{state_.control.controlStarted};
  ClockState& clock = state_.clock;
  if (AccountPass(StatisticsPartsOf(state_), StatisticsServicesOf(*this)) == AccountOutcome::kDayEnded) {
    CloseDay();
    return;
  }
  ScheduleState& schedule = state_.schedule;
  if (schedule.requestedProgram != schedule.currentProgram) {
    schedule.currentProgram = schedule.requestedProgram;
    ExpandProgram(DayPlanOf(state_), ClockText(env_.clock.Now()));
  }
  // One pass per second of the clock. The gate reads the clock itself: after
  // the clock is set back the accounting stamp stays frozen until the clock
  // passes it again, but the house must go on being controlled meanwhile.
  int32_t second = ClockSecond(env_.clock);
  if (second == clock.lastPassSecond) return;
  clock.lastPassSecond = second;
  ++passCount_;
  RunPassSteps();
  diagnostics_.Flush();
  PublishEmergencyState();
  // A pass that ends feeds the watchdog: a hung control loop stops feeding it.
  if (env_.service != nullptr) env_.service->Alive();
}

void Program::RunPassSteps() {
  LocalTime now = env_.clock.Now();
  std::string clockText = ClockText(now);
  ReadSensors(SensorPartsOf(state_), *this, profile_);
  MinuteStep(state_.control, state_.settings, clockText);
  // The clock's own second: the accounting stamp stands still after the
  // clock is set back, and keyed on it the step would run at every pass.
  if (SecondsOfDay(now) % kQuarterHourSeconds == 0) QuarterHourStep(state_.control);
  UpdateWindChill(state_.control);
  UpdateDayStatistics(state_.control, state_.clock.elapsedSeconds, state_.statistics.day);
  ControlState& control = state_.control;
  control.previousSlot = state_.schedule.currentSlot;
  control.previousSetpoint = control.setpoint;
  FindCurrentSlot(DayPlanOf(state_), clockText);
  HeatingDecision(HeatingPartsOf(*this));
  {
    // The window's values are refreshed in place; readers on other threads
    // copy them under the same lock, so a pass costs no copy of its own.
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    bool wanted = !unwatched_ || snapshotWanted_.exchange(false);
    RefreshDisplay(state_, now, display_, wanted);
  }
  UpdateCycleStrip(state_);
}

void Program::CloseDay() {
  if (env_.onDayClosed) env_.onDayClosed(state_);
  CloseDayRecord(StatisticsPartsOf(state_), StatisticsServicesOf(*this));
  // The day's energy counter starts again from 0; the set-back's starting
  // mark moves with it, so that the energy used since the set-back began
  // still counts last evening's share.
  state_.learning.setbackStartEnergy -= state_.statistics.energyToday;
  learning_->WriteProject();
  files_.CloseAll();
  heldDaySave_.reset();
  for (const char* name : kDayFiles) files_.Remove(name);
  // The new day's relays are configured afresh, which drops the burner's
  // stage: a burn still marked as running would then never end nor start
  // again. It ends here, as at a restart; the next pass decides anew.
  state_.control.heatState = HeatState::kOff;
  Initialise();
  RunControlPass();
  // The nested pass cleared the flag; this pass is still running.
  state_.control.controlStarted = 1;
  SaveDayState();
  WaitPastMidnight();
}

void Program::WaitPastMidnight() {
  ClockState& clock = state_.clock;
  TickSeconds(env_.clock, clock.clockSeconds, clock.previousClockSeconds);
  while (clock.clockSeconds < 1) {
    env_.clock.SleepFor(kSecondPoll);
    TickSeconds(env_.clock, clock.clockSeconds, clock.previousClockSeconds);
  }
}

DisplaySnapshot Program::Snapshot() const {
  snapshotWanted_ = true;
  std::lock_guard<std::mutex> lock(snapshotMutex_);
  return display_;
}

void Program::RefreshDisplayNow() {
  std::lock_guard<std::mutex> lock(snapshotMutex_);
  RefreshDisplay(state_, env_.clock.Now(), display_, /*everyText=*/true);
}

void Program::FlushDaySaves() {
  if (!heldDaySave_) return;
  auto [stat, cycle] = std::move(*heldDaySave_);
  heldDaySave_.reset();
  WriteDayFiles(files_, stat, cycle);
}

void Program::CheckSignals() {
  if (emergency_.TakeContinued()) {
    // Back from a suspension: the shell wrote on the terminal meanwhile.
    std::lock_guard<std::mutex> lock(statusMutex_);
    if (statusTerminal_) statusTerminal_->Forget();
  }
  uint8_t request = emergency_.PendingRequest();
  if (request == 0) return;
  errorHandler_.Trap(TrappedError{request, SourceLocation::current(), "stop requested by a signal"});
}

void Program::PostCommand(Command command) {
  std::lock_guard<std::mutex> lock(commandsMutex_);
  commands_.push_back(std::move(command));
}

void Program::RunPostedCommands() {
  std::deque<Command> ready;
  {
    std::lock_guard<std::mutex> lock(commandsMutex_);
    ready.swap(commands_);
  }
  for (Command& command : ready) command(*this);
}

void Program::PublishEmergencyState() {
  const CardState& card = state_.card;
  emergency_.SetOutputPort(CardDrivable(card) ? card.outputPort : kNoPort);
  emergency_.SetClockSeconds(state_.clock.clockSeconds);
}

void Program::ConsoleWrite(std::string_view text) {
  env_.ui.ConsoleWrite(std::string(text));
  // The text has run over the status screen, which is drawn whole at its next update.
  std::lock_guard<std::mutex> lock(statusMutex_);
  if (statusTerminal_) statusTerminal_->Forget();
}

BoxResult Program::ScreenAwareUi::ShowMessageBox(const MessageBoxRequest& request) {
  BoxResult answer = program_.env_.ui.ShowMessageBox(request);
  // The box and its answer were written below the screen and scrolled it.
  std::lock_guard<std::mutex> lock(program_.statusMutex_);
  if (program_.statusTerminal_) program_.statusTerminal_->Forget();
  return answer;
}

void Program::Diagnostic(std::string_view text) { diagnostics_.Write(text); }

void Program::ShowStatusFrame() {
  std::lock_guard<std::mutex> lock(statusMutex_);
  DrawStatusFrame(ReportPartsOf(state_), statusScreen_);
  if (statusTerminal_) statusTerminal_->Show(statusScreen_);
}

void Program::ShowStatusValues() {
  std::lock_guard<std::mutex> lock(statusMutex_);
  // Nobody reads the status screen of an unwatched run without a terminal,
  // and drawing its texts at every pass took a quarter of a simulated day.
  if (unwatched_ && !statusTerminal_) return;
  DrawStatusValues(ReportPartsOf(state_), statusScreen_);
  if (statusTerminal_) statusTerminal_->Show(statusScreen_);
}

std::vector<std::string> Program::StatusScreenRows() const {
  std::lock_guard<std::mutex> lock(statusMutex_);
  return statusScreen_.Utf8Rows();
}

void Program::WriteOutputs(uint8_t byte) {
  // Once the stop has begun, whatever asks for the relays gets them off.
  if (stopBegun_ || errorHandler_.Stopping()) byte = 0;
  latchDriven_ = latchDriven_ || CardDrivable(state_.card);
  WriteCardOutputs(env_.ports, state_.card, byte);
}

float Program::ReadChannel(int8_t channel) {
  SensorContext context{env_.ports, env_.clock, random_};
  return kelvora::ReadChannel(HousePartsOf(state_), context, channel);
}

void Program::SaveDayState() {
  if (dayStateSaver_) {
    dayStateSaver_(*this);
    return;
  }
  if (unwatched_) {
    // Nobody reads the day files while the run goes on: only the last
    // save's texts reach the disk.
    heldDaySave_.emplace(StatFileText(StatisticsPartsOf(state_)), cycleWriter_.Text(state_.control));
    return;
  }
  kelvora::SaveDayState(StatisticsPartsOf(state_), Files());
}

Program::CommandOutcome Program::ModifySlot(const SlotEdit& edit) {
  ShownTemps shown;
  {
    std::lock_guard<std::mutex> lock(snapshotMutex_);
    shown = {display_.texts[control_id::kFromTemp], display_.texts[control_id::kToTemp]};
  }
  SlotEditResult result = ApplySlotEdit(state_, edit, shown, ClockText(env_.clock.Now()));
  if (!result.error.empty()) return {false, result.error};
  if (result.refusal) Ui().ShowMessageBox(*result.refusal);
  RefreshWindow();
  // The status screen's frame shows the slot in force: it is drawn again.
  ShowStatusFrame();
  return {!result.refusal, {}};
}

Program::CommandOutcome Program::DeleteSlots(const std::vector<int>& ticked) {
  std::string error = TickedSlotsError(state_.schedule, ticked);
  if (!error.empty()) return {false, error};
  DeleteTickedSlots(state_, ticked, ClockText(env_.clock.Now()));
  RefreshWindow();
  ShowStatusFrame();
  return {};
}

void Program::RefreshWindow() {
  std::lock_guard<std::mutex> lock(snapshotMutex_);
  RefreshDisplay(state_, env_.clock.Now(), display_);
}

void Program::Quit() {
  stopBegun_ = true;
  ControlState& control = state_.control;
  control.controlStarted = 1;
  if (!HoldsCode(control.cycleLog(control.cycleIndex, kCycleState), CycleCode::kOff)) {
    state_.card.outputByte = 0;
    StartCycleRow(control, CycleCode::kOff, static_cast<float>(state_.clock.clockSeconds),
                  control.interiorTemp, control.exteriorTemp);
  }
  SaveDayState();
  ShutDown();
}

void Program::ExitWithoutSave() {
  stopBegun_ = true;
  state_.control.controlStarted = 1;
  // Out of simulation ShutDown deletes nothing.
  state_.card.simulationMode = 0;
  ShutDown();
}

void Program::ShutDown(int status, std::string reason) {
  stopBegun_ = true;
  state_.card.outputByte = 0;
  WriteOutputs(0);
  FlushDaySaves();
  if (env_.service != nullptr) env_.service->Stopping();
  if (!reason.empty()) env_.ui.ConsoleWrite("\nKelvora stopped: " + reason + "\n");
  // Every save of the stop is done: a rewrite still open was cut short.
  files_.AbandonOutputs();
  files_.CloseAll();
  if (state_.card.simulationMode != 0) {
    for (const char* name : kSimulationFiles) files_.Remove(name);
  }
  throw ProgramExit(status, std::move(reason));
}

}  // namespace kelvora
