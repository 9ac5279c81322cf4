// The weather and house values the regression models take, from the run
// state: the regressor vector and the day's means it is built from.
#ifndef KELVORA_MONITOR_LEARNING_REGRESSORS_H_
#define KELVORA_MONITOR_LEARNING_REGRESSORS_H_

#include <array>

#include "Monitor/learning/learning_parts.h"

namespace kelvora {

// Index 1..9 as the variables are numbered; index 0 and 1 hold nothing, and
// 9 (the other model's prediction) is left 0 for the caller.
using Regressors = std::array<float, 10>;

// The day's time-weighted mean exterior temperature and wind speed, or the
// values the learning update assumes.
float DayMeanExterior(const LearningParts& state);
float DayMeanWind(const LearningParts& state);

// 2 dropRate, 3 dayMeanExterior, 4 its wind chill, 5 exteriorTemp, 6 its wind
// chill, 7 sunHour, 8 stepExcess / 10.
Regressors CurrentRegressors(const LearningParts& state);

}  // namespace kelvora

#endif  // KELVORA_MONITOR_LEARNING_REGRESSORS_H_
