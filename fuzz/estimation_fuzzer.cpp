// Arbitrary coordinates for both estimation methods: no crash, no undefined
// behaviour, a least-squares set empty or complete and finite, and the
// statistical result the same bits whether the subset search runs on one
// thread or on three, and whether its solutions are kept or computed again.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "estimation/LeastSquares.h"
#include "estimation/Stat2DThread.h"

namespace {

double Take(const std::uint8_t*& data, std::size_t& size) {
  double value = 0;
  if (size >= sizeof value) {
    std::memcpy(&value, data, sizeof value);
    data += sizeof value;
    size -= sizeof value;
  }
  return value;
}

void Analyse(const vesk::VT_Points& source, const vesk::VT_Points& target, double sigma, double angle, int threads,
             std::size_t memoryBudget, vesk::TransformCoefficients& result) {
  vesk::Stat2DThread worker(source, vesk::PointSetCode::FirstPhoto, target, vesk::PointSetCode::SecondPhoto, result);
  worker.SigmaCount = sigma;
  worker.MinAngle = angle;
  worker.Width1 = worker.Height1 = worker.Width2 = worker.Height2 = 10;
  worker.ThreadCount = threads;
  worker.MemoryBudget = memoryBudget;
  worker.Analyse();
  if (result.Count() > 8) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const int sourceCount = data[0] % 10;
  const int targetCount = data[1] % 10;
  data += 2;
  size -= 2;
  const double sigma = std::fmod(std::fabs(Take(data, size)), 5.0);
  const double angle = std::fmod(std::fabs(Take(data, size)), 45.0);
  vesk::VT_Points source(vesk::kOwnsItems);
  vesk::VT_Points target(vesk::kOwnsItems);
  for (int i = 0; i < sourceCount; ++i) {
    const double x = Take(data, size);
    source.Add(new vesk::VT_Point(x, Take(data, size)));
  }
  for (int i = 0; i < targetCount; ++i) {
    const double x = Take(data, size);
    target.Add(new vesk::VT_Point(x, Take(data, size)));
  }

  vesk::TransformCoefficients fitted(vesk::kOwnsItems);
  const bool ok = vesk::FitLeastSquares(source, target, fitted);
  if (fitted.Count() != (ok ? 8 : 0)) std::abort();
  for (const vesk::VT_Point* c : fitted.Items)
    if (!std::isfinite(c->X)) std::abort();

  const double sigmaCount = std::isnan(sigma) ? 3 : sigma;
  const double minAngle = std::isnan(angle) ? 10 : angle;
  vesk::TransformCoefficients single(vesk::kOwnsItems);
  vesk::TransformCoefficients shared(vesk::kOwnsItems);
  vesk::TransformCoefficients unkept(vesk::kOwnsItems);
  Analyse(source, target, sigmaCount, minAngle, 1, vesk::kDefaultStatisticsMemoryBudget, single);
  Analyse(source, target, sigmaCount, minAngle, 3, vesk::kDefaultStatisticsMemoryBudget, shared);
  Analyse(source, target, sigmaCount, minAngle, 2, 0, unkept);
  for (const vesk::TransformCoefficients* other : {&shared, &unkept}) {
    if (single.Count() != other->Count()) std::abort();
    for (int q = 0; q < single.Count(); ++q)
      if (std::memcmp(&single.Get(q)->X, &other->Get(q)->X, sizeof(double)) != 0) std::abort();
  }
  return 0;
}
