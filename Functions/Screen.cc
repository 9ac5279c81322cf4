// The C exports: thin wrappers over the C++ forms. Text results live in one
// buffer per function and thread, so callers on different threads never see
// each other's results.
#include "Functions/Screen.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>
#include <utility>

#include "Functions/formulas.h"
#include "Functions/graph_modes.h"
#include "Functions/masks.h"
#include "Functions/record.h"
#include "Functions/scroll.h"

namespace {

std::string_view TextArgument(const char* text) { return text == nullptr ? std::string_view() : text; }

// Keeps `text` in the calling thread's `buffer` and hands out its C form.
const char* Hold(std::string& buffer, std::string text) {
  buffer = std::move(text);
  return buffer.c_str();
}

constexpr size_t kTestWorkBufferSize = 512;

}  // namespace

extern "C" {

float RND(float value, signed char places) { return kelvora::Rnd(value, places); }

float TIME_SEC(void) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return kelvora::TimeSec(local.tm_hour, local.tm_min, local.tm_sec);
}

const char* F8_DATE(const char* systemDate) {
  thread_local std::string result;
  return Hold(result, kelvora::F8Date(TextArgument(systemDate)));
}

const char* TEST_F8_DATE(const char* systemDate) {
  thread_local char workBuffer[kTestWorkBufferSize];
  std::memset(workBuffer, 0, sizeof workBuffer);
  const std::string shortDate = kelvora::F8Date(TextArgument(systemDate));
  // A short date has at most 8 characters, well inside the zeroed buffer.
  std::memcpy(workBuffer, shortDate.data(), shortDate.size());
  std::printf("%" PRIuPTR "%s", reinterpret_cast<uintptr_t>(workBuffer), workBuffer);
  std::fflush(stdout);
  return " Ret";
}

unsigned short NUM_DATE(const char* shortDate) { return kelvora::NumDate(TextArgument(shortDate)); }

unsigned short JULIAN_07(const char* shortDate) { return kelvora::Julian07(TextArgument(shortDate)); }

float C2F_F2C(float value, unsigned char fromUnit, unsigned char toUnit) {
  return kelvora::C2fF2c(value, fromUnit, toUnit);
}

float K2M_M2K(float value, unsigned char fromUnit, unsigned char toUnit) {
  return kelvora::K2mM2k(value, fromUnit, toUnit);
}

float WINDCHILL(float temperature, float windSpeed) { return kelvora::Windchill(temperature, windSpeed); }

float PCV(float x) { return kelvora::Pcv(x); }

float KT(float x) { return kelvora::Kt(x); }

float HEATING_PROJECT(signed char model, float rise, float a, float b) {
  return kelvora::HeatingProject(model, rise, a, b);
}

const char* USING(const char* mask, float value) {
  thread_local std::string result;
  return Hold(result, kelvora::Using(TextArgument(mask), value));
}

int FIELD(unsigned char* record, int recordLength, unsigned char** field, int fieldLength, short offset) {
  if (field == nullptr) return -1;
  if (record == nullptr || recordLength < 0 ||
      !kelvora::FieldFits(static_cast<size_t>(recordLength), offset, fieldLength)) {
    *field = nullptr;
    return -1;
  }
  *field = record + offset;
  return 0;
}

void MKS(const float* value, unsigned char out[4]) {
  if (out == nullptr) return;
  const std::array<uint8_t, 4> mbf = kelvora::Mks(value == nullptr ? 0.0f : *value);
  std::memcpy(out, mbf.data(), mbf.size());
}

float CVS(const unsigned char* bytes, int length) {
  if (bytes == nullptr || length < 0) return 0;
  return kelvora::Cvs(std::span<const uint8_t>(bytes, static_cast<size_t>(length)));
}

unsigned char SCREEN(short* mode, int* width, int* height, int* depth, int* columns, int* rows) {
  if (mode == nullptr || width == nullptr || height == nullptr || depth == nullptr || columns == nullptr ||
      rows == nullptr) {
    return 0;
  }
  kelvora::ScreenDescription screen;
  screen.mode = *mode;
  const kelvora::Desktop desktop{*width, *height, *depth};
  if (kelvora::OpenScreenMode(screen, desktop) <= 0) return 0;
  *mode = screen.mode;
  *width = screen.width;
  *height = screen.height;
  *depth = screen.depth;
  *columns = screen.columns;
  *rows = screen.rows;
  return static_cast<unsigned char>(screen.mode);
}

void SCROLL(void) {
  thread_local kelvora::ScrollPacer pacer;
  pacer.Scroll(kelvora::ProcessTerminal());
}

}  // extern "C"
