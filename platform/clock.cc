#include "platform/clock.h"

#include <time.h>

#include <cstdio>
#include <thread>

namespace kelvora {

namespace {

using Millis = std::chrono::sys_time<std::chrono::milliseconds>;

LocalTime FromSysTime(Millis time) {
  using namespace std::chrono;
  sys_days days = floor<std::chrono::days>(time);
  year_month_day date(days);
  hh_mm_ss<milliseconds> clock(time - days);
  LocalTime local;
  local.year = static_cast<int>(date.year());
  local.month = static_cast<int>(static_cast<unsigned>(date.month()));
  local.day = static_cast<int>(static_cast<unsigned>(date.day()));
  local.hour = static_cast<int>(clock.hours().count());
  local.minute = static_cast<int>(clock.minutes().count());
  local.second = static_cast<int>(clock.seconds().count());
  local.millisecond = static_cast<int>(clock.subseconds().count());
  local.weekday = static_cast<int>(weekday(days).c_encoding()) + 1;
  return local;
}

Millis ToSysTime(const LocalTime& local) {
  using namespace std::chrono;
  sys_days days = year_month_day(year(local.year), month(static_cast<unsigned>(local.month)),
                                 day(static_cast<unsigned>(local.day)));
  return days + hours(local.hour) + minutes(local.minute) + seconds(local.second) +
         milliseconds(local.millisecond);
}

}  // namespace

int32_t SecondsOfDay(const LocalTime& time) { return time.hour * 3600 + time.minute * 60 + time.second; }

std::string SystemDateText(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d-%02d-%04d", time.month % 100, time.day % 100, time.year % 10000);
  return text;
}

std::string ClockText(const LocalTime& time) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d:%02d", time.hour % 100, time.minute % 100, time.second % 100);
  return text;
}

bool ParseLocalTime(const std::string& text, LocalTime* out) {
  LocalTime local;
  char tail = 0;
  int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%c", &local.year, &local.month, &local.day,
                           &local.hour, &local.minute, &local.second, &tail);
  if (fields != 6) return false;
  using namespace std::chrono;
  year_month_day date(year(local.year), month(static_cast<unsigned>(local.month)),
                      day(static_cast<unsigned>(local.day)));
  if (!date.ok() || local.hour > 23 || local.minute > 59 || local.second > 59 || local.hour < 0 ||
      local.minute < 0 || local.second < 0) {
    return false;
  }
  *out = FromSysTime(ToSysTime(local));
  return true;
}

LocalTime SystemClock::Now() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  tm parts{};
  localtime_r(&now.tv_sec, &parts);
  LocalTime local;
  local.year = parts.tm_year + 1900;
  local.month = parts.tm_mon + 1;
  local.day = parts.tm_mday;
  local.hour = parts.tm_hour;
  local.minute = parts.tm_min;
  local.second = parts.tm_sec > 59 ? 59 : parts.tm_sec;  // a leap second reads as :59
  local.millisecond = static_cast<int>(now.tv_nsec / 1000000);
  local.weekday = parts.tm_wday + 1;
  return local;
}

void SystemClock::SleepFor(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

VirtualClock::VirtualClock(const LocalTime& start) : now_(ToSysTime(start)) {}

LocalTime VirtualClock::Now() {
  std::lock_guard<std::mutex> lock(mutex_);
  return FromSysTime(now_);
}

void VirtualClock::SleepFor(std::chrono::milliseconds duration) { Advance(duration); }

void VirtualClock::Advance(std::chrono::milliseconds duration) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += duration;
}

void VirtualClock::Set(const LocalTime& time) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ = ToSysTime(time);
}

}  // namespace kelvora
