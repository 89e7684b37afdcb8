#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Arguments.h"
#include "CliContext.h"
#include "build/BuildCommands.h"
#include "files/NumberFormat.h"
#include "orientation/CameraModel.h"
#include "render/RenderRequest.h"

namespace vesk::cli {

// What vesk-cli render needs to run one build, however it was described:
// the two photographs and the job's request.
struct RenderInput {
  std::string Photo1;
  std::string Photo2;
  // --stereo-photo: both photographs are the views of this MPO file (then
  // Photo1 and Photo2 name it too).
  std::string StereoPhoto;
  RenderRequest Request;
  bool StereoFormatGiven = false;  // --stereo-format was given
};

// The options of the project form that choose the build itself.
struct ProjectBuildOptions {
  std::string Project;                                    // --project P.prt
  std::string By;                                         // --by points|orientation
  BuildCommand Command = BuildCommand::AnaglyphOnSecond;  // --build first-to-second|...
  bool Interpolation = true;                              // --interpolation on|off
  int Mode = 0;                                           // from Build and Interpolation
  BuildArea Area = kDefaultBuildArea;                     // --area; Area.Step from --step S
  bool AutoStep = false;                                  // --step auto: the step derived from the reference points
  std::optional<CoordinateConvention> Convention;         // --convention mathematical|photogrammetric|laboratory
  std::optional<double> Sigma;                            // --sigma
  std::optional<double> MinAngle;                         // --min-angle
  std::optional<double> MinDistance;                      // --min-distance
  NumberFormat Format;                                    // the data files' decimal separator
  int Threads = 0;                                        // --threads; 0 = every core
  AnaglyphChoice Anaglyph;                                // --anaglyph METHOD, --swap-eyes
  StereoChoice Stereo;                                    // --shift PX, --crop-common, --stereo-format NAME
  bool StereoFormatGiven = false;
};

// Reads the project-form options besides --project itself (usage errors for
// malformed ones).
ProjectBuildOptions ReadProjectBuildOptions(Arguments& args, const std::string& project);

// Reads --photo1 and --photo2 or --stereo-photo, --mode, --transform1/2 (stored order
// a0,a1,a2,c0,c1,b0,b1,b2), --origin with its centres and correction values,
// --area, --step, --anaglyph, --swap-eyes, --shift, --crop-common and
// --stereo-format.
RenderInput ReadExplicitRenderInput(Arguments& args);

// The files a project build reads: the project, the photographs and the data
// files it names (relative paths taken from the project's folder).
std::vector<std::string> ProjectInputFiles(const ProjectBuildOptions& options);

// The render input of a project: the photographs it names and the maps the
// workspace would fit or derive for the build, with its build area. Lives in
// RenderFromProject.cpp.
RenderInput RenderInputFromProject(const ProjectBuildOptions& options, CliEnvironment& env);

}  // namespace vesk::cli
