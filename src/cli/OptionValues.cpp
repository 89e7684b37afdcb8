#include "OptionValues.h"

#include "CliErrors.h"

namespace vesk::cli {

CoordinateConvention ParseConvention(const std::string& name) {
  if (name == "mathematical") return CoordinateConvention::Mathematical;
  if (name == "photogrammetric") return CoordinateConvention::Photogrammetric;
  if (name == "laboratory") return CoordinateConvention::Laboratory;
  throw UsageError("--convention takes mathematical, photogrammetric or laboratory, not '" + name + "'");
}

}  // namespace vesk::cli
