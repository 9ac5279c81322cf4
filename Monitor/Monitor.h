// The program: owns the run state and the platform services it was given,
// runs the start-up sequence, `initialise`, the 500 ms tick loop and
// `ShutDown`. One control thread runs all of it; other threads only post
// commands, which the tick loop runs between passes.
#ifndef KELVORA_MONITOR_MONITOR_H_
#define KELVORA_MONITOR_MONITOR_H_

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Monitor/core/control_host.h"
#include "Monitor/core/diagnostic_log.h"
#include "Monitor/core/emergency_stop.h"
#include "Monitor/core/random.h"
#include "Monitor/core/run_state.h"
#include "Monitor/error_handler.h"
#include "Monitor/learning/learning.h"
#include "Monitor/reports/status_screen.h"
#include "Monitor/statistics/day_files.h"
#include "Monitor/ui/display.h"
#include "Monitor/ui/slot_edit.h"
#include "platform/clock.h"
#include "platform/file_layer.h"
#include "platform/ports.h"
#include "platform/private_profile.h"
#include "platform/service_notify.h"
#include "platform/terminal.h"
#include "platform/user_interface.h"

namespace kelvora {

// What the program is handed instead of reaching for the machine itself.
struct Environment {
  Clock& clock;
  PortAccess& ports;
  UserInterface& ui;
  std::string programDirectory;  // where "Settings.ini" and "DATA" live
  bool installSignalHandlers = false;
  // Mixed into the clock's seed of the random numbers, so that a run on a
  // virtual clock can be repeated or varied.
  std::optional<uint32_t> randomSeed;
  // The learning operations; PassiveLearning when empty.
  std::function<std::unique_ptr<LearningOperations>(ControlHost&)> makeLearning;
  // Told of each day the midnight close ends, before its record is written.
  std::function<void(const RunState&)> onDayClosed;
  // Whether the learning's reports are echoed on the terminal as well as
  // kept in the data directory's log.
  bool diagnosticsToTerminal = false;
  // The service manager to tell of readiness and of every pass; none when null.
  ServiceNotifier* service = nullptr;
  // Whether the text status screen is drawn on the terminal. It is kept
  // either way, for the page to show.
  bool statusScreenToTerminal = false;
  // The terminal the status screen is drawn on, quieted by the caller; the
  // crash path gives it its settings back. None when null.
  const QuietTerminal* terminal = nullptr;
  // The file layer, reporting to the handler it is given; the disk
  // (PosixFileLayer) when empty.
  std::function<std::unique_ptr<FileLayer>(TrapHandler&)> makeFiles{};
};

class Program final : public StoppableProgram {
 public:
  using Command = std::function<void(Program&)>;

  explicit Program(const Environment& environment);
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The whole life of the process: start-up, `initialise`, the tick loop.
  // Returns the exit status once `ShutDown` (or a fatal error) ends the run.
  int Run();

  // Start-up steps 1 to 7 without the loop; throws ProgramExit when the
  // run ends during start-up.
  void StartUp();
  void Initialise();
  // The main window's tick loop; returns only by ProgramExit.
  void RunTickLoop();
  // What the window does before its first tick: the current second counts as
  // processed, and the timer starts on the next second boundary.
  void OpenMainWindow();
  // One 500 ms timer tick: the error beep, then a control pass unless one runs.
  void Tick();
  void RunControlPass();

  // All relays off, files closed, simulation files deleted; throws
  // ProgramExit(status, reason): 0 for an ordinary end.
  [[noreturn]] void ShutDown(int status = 0, std::string reason = {}) override;
  // Saves the day's state so that a restart goes on with it.
  void SaveDayState() override;
  void PauseDaySaving(bool paused) override { daySavingPaused_ = paused; }

  // Safe from any thread: the control thread runs `command` at its next tick.
  void PostCommand(Command command);

  // --- File menu commands (control thread) ----------------------------------
  // "&Quit": a running cycle is closed, the day saved, the program ended.
  [[noreturn]] void Quit();
  // "&Exit w/o Save": ends without saving and without deleting any file.
  [[noreturn]] void ExitWithoutSave();
  // "&Save Stats".
  void SaveStats() { SaveDayState(); }
  // What a main-window command made of its request. `taken` is false when a
  // field was refused: its box has been shown and the table is as before.
  // `error` says why a request that no window could send (a program not in
  // the schedule, a slot beyond today's table) was not run at all.
  struct CommandOutcome {
    bool taken = true;
    std::string error;
  };
  // "Modify": the edit of the "Program" group.
  CommandOutcome ModifySlot(const SlotEdit& edit);
  // "Delete": the ticked lines of today's slot list.
  CommandOutcome DeleteSlots(const std::vector<int>& ticked);

  // The window's values after the last pass; safe from any thread. With the
  // display built on demand, a read asks for the texts of the next pass.
  DisplaySnapshot Snapshot() const;
  // For runs that nobody watches pass by pass (the simulator): the texts that
  // every pass rewrites are built only once a snapshot has been asked for or
  // RefreshDisplayNow runs, and the day's saves are kept in memory until
  // FlushDaySaves or the end of the run writes the last of them. The fields
  // refreshed by the change flags, and every file as it is left, stay as in
  // a watched run.
  void SetUnwatched(bool unwatched) { unwatched_ = unwatched; }
  // Control thread: the window's texts for the state as it stands.
  void RefreshDisplayNow();
  // Control thread: writes the day's last save when it is still held back.
  void FlushDaySaves();
  // Control passes run so far.
  int PassCount() const { return passCount_; }

  // Writes `byte` to the card's output latch, when there is a card to drive.
  void WriteOutputs(uint8_t byte) override;
  // The raw value of a sensor channel, from the card or the simulated house.
  float ReadChannel(int8_t channel) override;
  void ConsoleWrite(std::string_view text) override;
  void Diagnostic(std::string_view text) override;
  void ShowStatusFrame() override;
  void ShowStatusValues() override;
  // The text status screen as it stands, rows top first in UTF-8; safe from any thread.
  std::vector<std::string> StatusScreenRows() const;

  RunState& State() override { return state_; }
  const RunState& State() const { return state_; }
  FileLayer& Files() override { return files_; }
  PrivateProfile& Profile() override { return profile_; }
  LearningOperations& Learning() override { return *learning_; }
  // The boxes and the console; what they write on the terminal has the
  // status screen drawn whole at its next update.
  UserInterface& Ui() override { return ui_; }
  Clock& ClockSource() override { return env_.clock; }
  ErrorHandler& Errors() { return errorHandler_; }
  bool MainWindowOpen() const override { return mainWindowOpen_; }
  // Whether the day's state has been read back at start-up: before that,
  // saving it would overwrite the files with an empty day.
  // Nor while the learning replays the night on the run state.
  bool DayStateSavable() const override { return dayRestored_ && !daySavingPaused_; }

  // --- Test seams ------------------------------------------------------------
  // Makes the next `count` table dimensionings fail as if memory ran out.
  void FailDimensioningForTesting(int count) { failDimensioning_ = count; }
  // Replaces what SaveDayState does.
  void SetDayStateSaverForTesting(std::function<void(Program&)> saver) { dayStateSaver_ = std::move(saver); }

 private:
  // Whatever a box writes on the terminal runs over the status screen.
  class ScreenAwareUi final : public UserInterface {
   public:
    explicit ScreenAwareUi(Program& program) : program_(program) {}
    BoxResult ShowMessageBox(const MessageBoxRequest& request) override;
    void Beep() override { program_.env_.ui.Beep(); }
    void ConsoleWrite(std::string_view text) override { program_.ConsoleWrite(text); }

   private:
    Program& program_;
  };

  void SetConstants();
  void DimensionTables();
  // Dimensions a table; a failed allocation is the trapped error 4.
  template <typename T>
  void Dimension(Table<T>& table, int rows, int columns);
  void PrepareDataDirectory();
  void DetectCard();
  void LoadSettings();
  void LoadSchedules();
  void ApplyHeldHeatPump();
  void CloseDay();
  void WaitPastMidnight();
  void RunPassSteps();
  void SettleInteriorReading();
  void ReadToday();
  void WaitForNextSecond();
  void RunPostedCommands();
  // Redraws the window at once, so that a command's effect shows in its reply.
  void RefreshWindow();
  void Guarded(const std::function<void()>& step);
  void CheckSignals();
  void PublishEmergencyState();

  Environment env_;
  RunState state_;
  ErrorHandler errorHandler_;
  std::unique_ptr<FileLayer> ownedFiles_;
  FileLayer& files_;
  PrivateProfile profile_;
  DiagnosticLog diagnostics_;
  EmergencyStop emergency_;
  UniformRandom random_;
  bool mainWindowOpen_ = false;
  bool dayRestored_ = false;
  bool daySavingPaused_ = false;
  // Set when the program starts to stop: from then on the latch gets only 0.
  bool stopBegun_ = false;
  bool latchDriven_ = false;  // whether a byte ever went to the card's latch
  // The card's ports as detection found them, kept while the settings ask
  // for the simulation so that a later reload can drive the card again.
  uint16_t detectedInputPort_ = kNoPort;
  uint16_t detectedOutputPort_ = kNoPort;
  int failDimensioning_ = 0;
  int passCount_ = 0;
  std::function<void(Program&)> dayStateSaver_;
  bool unwatched_ = false;
  mutable std::atomic<bool> snapshotWanted_{false};
  std::optional<std::pair<std::string, std::string>> heldDaySave_;  // STAT.DAT and CYCLE.DAT texts
  CycleFileWriter cycleWriter_;
  std::unique_ptr<LearningOperations> learning_;
  mutable std::mutex snapshotMutex_;
  DisplaySnapshot display_;  // guarded by snapshotMutex_
  mutable std::mutex statusMutex_;
  TextScreen statusScreen_;  // guarded by statusMutex_
  std::optional<TerminalStatusWriter> statusTerminal_;
  ScreenAwareUi ui_{*this};
  std::mutex commandsMutex_;
  std::deque<Command> commands_;
};

}  // namespace kelvora

#endif  // KELVORA_MONITOR_MONITOR_H_
