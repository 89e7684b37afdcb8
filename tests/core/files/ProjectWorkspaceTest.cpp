#include "files/ProjectWorkspace.h"

#include <gtest/gtest.h>

namespace vesk {
namespace {

TEST(ProjectWorkspaceTest, TheSectionsAProjectFillsNameItsWorkspace) {
  const auto with = [](std::string ProjectFields::*field) {
    ProjectFields fields;
    fields.Image1 = "left.bmp";
    fields.Image2 = "right.bmp";
    if (field != nullptr) fields.*field = "file";
    return fields;
  };
  const struct {
    ProjectFields fields;
    ProjectWorkspace workspace;
  } cases[] = {
      {ProjectFields{}, ProjectWorkspace::ReferencePoints},
      {with(nullptr), ProjectWorkspace::ReferencePoints},
      {with(&ProjectFields::SceneReperPoints), ProjectWorkspace::ReferencePoints},
      {with(&ProjectFields::Image2ReperPoints), ProjectWorkspace::ReferencePoints},
      {with(&ProjectFields::Image1ExOrientation), ProjectWorkspace::Orientation},
      {with(&ProjectFields::Image2IntOrientation), ProjectWorkspace::Orientation},
      // The reserved section belongs to neither.
      {with(&ProjectFields::Image1CorrespondedPoints), ProjectWorkspace::ReferencePoints},
  };
  for (const auto& c : cases) EXPECT_EQ(WorkspaceOfProject(c.fields), c.workspace);

  ProjectFields both = with(&ProjectFields::Image1ReperPoints);
  both.Image2ExOrientation = "right.ort";
  EXPECT_EQ(WorkspaceOfProject(both), ProjectWorkspace::Both);
}

}  // namespace
}  // namespace vesk
