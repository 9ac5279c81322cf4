// The wall clock the program reads and waits on: the system's local time, or
// a virtual clock for tests and the simulator whose waits advance it.
#ifndef KELVORA_PLATFORM_CLOCK_H_
#define KELVORA_PLATFORM_CLOCK_H_

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace kelvora {

// A local calendar time. weekday: 1 = Sunday .. 7 = Saturday.
struct LocalTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int weekday = 7;
};

// Seconds since midnight, 0 to 86399.
int32_t SecondsOfDay(const LocalTime& time);
// The system date text "mm-dd-yyyy".
std::string SystemDateText(const LocalTime& time);
// The clock text "hh:mm:ss".
std::string ClockText(const LocalTime& time);
// Parses "YYYY-MM-DD HH:MM:SS"; false when the text is not such a time.
bool ParseLocalTime(const std::string& text, LocalTime* out);

class Clock {
 public:
  virtual ~Clock() = default;
  virtual LocalTime Now() = 0;
  // Blocks the calling thread for `duration`; a virtual clock advances instead.
  virtual void SleepFor(std::chrono::milliseconds duration) = 0;
};

class SystemClock final : public Clock {
 public:
  LocalTime Now() override;
  void SleepFor(std::chrono::milliseconds duration) override;
};

// Time stands still until something waits on it or advances it.
class VirtualClock final : public Clock {
 public:
  explicit VirtualClock(const LocalTime& start);
  LocalTime Now() override;
  void SleepFor(std::chrono::milliseconds duration) override;
  void Advance(std::chrono::milliseconds duration);
  void Set(const LocalTime& time);

 private:
  std::mutex mutex_;
  std::chrono::sys_time<std::chrono::milliseconds> now_;
};

}  // namespace kelvora

#endif  // KELVORA_PLATFORM_CLOCK_H_
