#pragma once

#include <string>

#include <optional>

#include "common/UserDialogs.h"
#include "files/ReadFailure.h"

namespace vesk {

inline constexpr const char* kProjectWriteError = "Ошибка записи файла проекта!";
inline constexpr const char* kProjectReadError = "Ошибка чтения файла проекта!";
// Shown when the input set a project names cannot be loaded.
inline constexpr const char* kInputSetReadError = "Ошибка чтения файла входных данных!";

// The paths a project file stores, one per key. An empty text stands for a
// key that is absent or that the caller does not use.
struct ProjectFields {
  std::string Image1;  // [Images]
  std::string Image2;
  std::string Image1ExOrientation;  // [ExternalOrientation]
  std::string Image2ExOrientation;
  std::string Image1IntOrientation;  // [InternalOrientation]
  std::string Image2IntOrientation;
  std::string Image1ReperPoints;  // [ReperPoints]
  std::string Image2ReperPoints;
  std::string SceneReperPoints;
  std::string Image1CorrespondedPoints;  // [CorrespondedPoints], reserved
  std::string Image2CorrespondedPoints;

  bool operator==(const ProjectFields&) const = default;
};

// One key of a project file and the field that holds its value.
struct ProjectKey {
  const char* Section;
  const char* Key;
  std::string ProjectFields::*Field;
};

// Every key in the order in which it is written.
inline constexpr ProjectKey kProjectKeys[] = {
    {"Images", "Image1", &ProjectFields::Image1},
    {"Images", "Image2", &ProjectFields::Image2},
    {"ExternalOrientation", "Image1ExOrientation", &ProjectFields::Image1ExOrientation},
    {"ExternalOrientation", "Image2ExOrientation", &ProjectFields::Image2ExOrientation},
    {"InternalOrientation", "Image1IntOrientation", &ProjectFields::Image1IntOrientation},
    {"InternalOrientation", "Image2IntOrientation", &ProjectFields::Image2IntOrientation},
    {"ReperPoints", "Image1ReperPoints", &ProjectFields::Image1ReperPoints},
    {"ReperPoints", "Image2ReperPoints", &ProjectFields::Image2ReperPoints},
    {"ReperPoints", "SceneReperPoints", &ProjectFields::SceneReperPoints},
    {"CorrespondedPoints", "Image1CorrespondedPoints", &ProjectFields::Image1CorrespondedPoints},
    {"CorrespondedPoints", "Image2CorrespondedPoints", &ProjectFields::Image2CorrespondedPoints},
};

enum class ProjectWriteResult { Written, Declined, Failed };

// Saves the non-empty fields into the project file at `path`. An existing file
// is first confirmed with the user and then updated in place: its other
// sections, keys and lines stay, and a key left empty keeps its old value. The
// new contents replace the old file only once they are whole, so a failure
// leaves the old file as it was.
ProjectWriteResult WriteProject(const std::string& path, const ProjectFields& fields, UserDialogs& dialogs);

// Fills `fields` with the values as stored; an absent key, and every key of a
// missing file, reads as an empty text. When an existing file cannot be
// read, the message the user is to see ("Ошибка чтения файла проекта!").
std::optional<ReadFailure> ReadProject(const std::string& path, ProjectFields& fields);

// The fields with every relative path taken relative to the folder of the
// project file at `projectPath`; empty and absolute paths stay as they are.
ProjectFields ResolveProjectPaths(const ProjectFields& fields, const std::string& projectPath);

}  // namespace vesk
