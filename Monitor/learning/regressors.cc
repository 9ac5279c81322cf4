#include "Monitor/learning/regressors.h"

#include "Functions/formulas.h"

namespace kelvora {
namespace {

float DayMean(const LearningParts& state, const Statistic& statistic) {
  const DayStatistics& day = state.statistics.day;
  return day.dayWeightSeconds > 0 ? statistic.sum / day.dayWeightSeconds : 0;
}

}  // namespace

float DayMeanExterior(const LearningParts& state) {
  if (state.learning.dayMeansAssumed) return state.learning.assumedDayMeanExterior;
  return DayMean(state, state.statistics.day.exterior);
}

float DayMeanWind(const LearningParts& state) {
  if (state.learning.dayMeansAssumed) return state.learning.assumedDayMeanWind;
  return DayMean(state, state.statistics.day.wind);
}

Regressors CurrentRegressors(const LearningParts& state) {
  const ControlState& c = state.control;
  Regressors x{};
  x[2] = state.learning.dropRate;
  x[3] = DayMeanExterior(state);
  x[4] = Windchill(x[3], DayMeanWind(state));
  x[5] = c.exteriorTemp;
  x[6] = Windchill(c.exteriorTemp, c.windHour);
  x[7] = c.sunHour;
  x[8] = state.learning.stepExcess / 10;
  return x;
}

}  // namespace kelvora
