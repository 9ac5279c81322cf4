// A control host without a program around it: a run state dimensioned as at
// start-up, files in a temporary "DATA" directory, a virtual clock, scripted
// channel readings and a record of every byte written to the card.
#ifndef KELVORA_TESTS_SUPPORT_TEST_HOST_H_
#define KELVORA_TESTS_SUPPORT_TEST_HOST_H_

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "Monitor/card/card.h"
#include "Monitor/core/control_host.h"
#include "Monitor/learning/learning.h"
#include "Monitor/run_parts.h"
#include "platform/posix_file_layer.h"
#include "tests/support/fakes.h"

namespace kelvora::testing {

// The tables, relay bits and ratings the start-up sequence sets up.
inline void StartUpLikeState(RunState& state) {
  ControlState& c = state.control;
  c.capacities = RingCapacities{60, 60, 60, 30, 60, 96, 1, 30};
  c.interiorRing.Dimension(60);
  c.exteriorRing.Dimension(60, 1);
  c.sunRing.Dimension(60);
  c.sunHourRing.Dimension(30);
  c.sunCorrectionRing.Dimension(60);
  c.quarterLog.Dimension(96, 2);
  c.windRing.Dimension(1);
  c.windHourRing.Dimension(30);
  c.shootCapacity = 4;
  c.undershootHistory.Dimension(4, 2);
  c.overshootHistory.Dimension(4, 2);
  c.cycleLog.Dimension(500, 5);
  c.stripRows.Dimension(15);
  c.heatState = HeatState::kOff;
  state.learning.stepTable.Dimension(20, 10);
  CardState& card = state.card;
  SetNominalRelays(card);
  card.totalRatedPower = 27.9f;
  state.texts.settingsPath = "..\\Settings.ini";
}

// Learning that does nothing; fakes override what they watch.
class NullLearning : public LearningOperations {
 public:
  void ReadPreheatHistory() override {}
  void ClosePreheatHistory() override {}
  void AppendPreheatRecord() override {}
  void RecomputeProject() override {}
  void WriteProject() override {}
  void ReadProject() override {}
  void EvaluateModels() override {}
  void ComputePreheatDuration(float) override {}
  void FitPreheatCurve(int) override {}
  void LearningUpdate() override {}
};

class TestHost : public ControlHost {
 public:
  TestHost()
      : clock_(Start()),
        files_(traps, &faults),
        profile_(files_),
        learning_(LearningPartsOf(state), LearningServices{files_, profile_, *this, *this, *this, *this}) {
    std::filesystem::create_directories(home.path() + "/DATA/History");
    files_.SetCurrentDirectory(home.path() + "/DATA");
    StartUpLikeState(state);
  }

  RunState& State() override { return state; }
  FileLayer& Files() override { return files_; }
  PrivateProfile& Profile() override { return profile_; }
  Clock& ClockSource() override { return clock_; }
  LearningOperations& Learning() override { return learningOverride ? *learningOverride : learning_; }
  void WriteOutputs(uint8_t byte) override { written.push_back(byte); }
  float ReadChannel(int8_t channel) override { return channels[channel]; }
  void SaveDayState() override { ++saves; }
  void ConsoleWrite(std::string_view text) override { console += text; }
  void Diagnostic(std::string_view text) override { diagnostics += text; }

  VirtualClock& Virtual() { return clock_; }
  std::string DataFile(const std::string& name) const { return home.path() + "/DATA/" + name; }

  TempDir home;
  RecordingTrapHandler traps;
  FileFaults faults;  // planted in the host's file operations
  RunState state;
  std::map<int, float> channels;  // raw channel values by channel number
  std::vector<uint8_t> written;   // bytes written to the card, in order
  int saves = 0;                  // SaveDayState calls
  std::string console;
  std::string diagnostics;
  // Replaces the passive learning, e.g. with
  // HouseLearning(LearningPartsOf(host), LearningServicesOf(host)).
  std::unique_ptr<LearningOperations> learningOverride;

 private:
  static LocalTime Start() {
    LocalTime start;
    ParseLocalTime("2019-06-15 14:05:08", &start);
    return start;
  }

  VirtualClock clock_;
  PosixFileLayer files_;
  PrivateProfile profile_;
  PassiveLearning learning_;
};

}  // namespace kelvora::testing

#endif  // KELVORA_TESTS_SUPPORT_TEST_HOST_H_
