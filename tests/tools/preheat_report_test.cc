#include "tools/preheat_report.h"

#include <gtest/gtest.h>

namespace kelvora::testing {
namespace {

// A pre-heat due at 06:30 that started `lead` minutes before and reached its
// target `error` minutes after the programmed time (never, when not given).
PreheatLine Preheat(int week, double lead, std::optional<double> error) {
  PreheatLine line;
  line.week = week;
  line.programmed = 6 * 3600 + 1800;
  line.start = line.programmed - static_cast<int32_t>(lead * 60);
  if (error) {
    line.reached = line.programmed + static_cast<int32_t>(*error * 60);
    line.errorMinutes = *error;
  }
  return line;
}

TEST(PreheatWeeks, EachWeekGivesItsMedianLargestAndLateCount) {
  std::vector<PreheatLine> lines = {Preheat(0, 30, -4), Preheat(0, 30, 2), Preheat(0, 30, 1),
                                    Preheat(0, 30, std::nullopt), Preheat(2, 30, -1)};
  std::vector<PreheatWeek> weeks = SummariseWeeks(lines);
  ASSERT_EQ(weeks.size(), 2u);
  EXPECT_EQ(weeks[0].preheats, 4);
  EXPECT_EQ(weeks[0].late, 3);  // two after the time, one never
  EXPECT_EQ(weeks[0].medianError, 2);
  EXPECT_EQ(weeks[0].largestError, 4);
  EXPECT_EQ(weeks[1].week, 2);
  EXPECT_EQ(weeks[1].late, 0);
}

TEST(PreheatWeeks, TheBestFixedLeadIsChosenFromTheSettledWeeksOnly) {
  // Burns of 40, 40 and 44 minutes once settled; week 0 needed 100.
  std::vector<PreheatLine> lines = {Preheat(0, 100, 0), Preheat(1, 40, 0), Preheat(1, 40, 0),
                                    Preheat(1, 40, 4)};
  EXPECT_EQ(BestFixedLead(lines, 1), 40);
  std::vector<PreheatLine> fixed = WithFixedLead(lines, 40);
  EXPECT_EQ(fixed[0].errorMinutes, 60);
  EXPECT_EQ(fixed[1].errorMinutes, 0);
  EXPECT_EQ(fixed[3].errorMinutes, 4);
}

}  // namespace
}  // namespace kelvora::testing
