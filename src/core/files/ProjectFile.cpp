#include "files/ProjectFile.h"

#include <filesystem>

#include "files/IniFile.h"
#include "files/PathNames.h"
#include "files/TextFile.h"

namespace vesk {
namespace {

bool ExistsAtAll(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error)) && !error;
}

bool FitsOnOneLine(const std::string& value) { return value.find_first_of("\r\n") == std::string::npos; }

ProjectWriteResult WriteFailed(UserDialogs& dialogs) {
  dialogs.ShowMessage(MessageIcon::Error, kErrorCaptionPlain, kProjectWriteError);
  return ProjectWriteResult::Failed;
}

}  // namespace

ProjectWriteResult WriteProject(const std::string& path, const ProjectFields& fields, UserDialogs& dialogs) {
  IniFile ini;
  if (ExistsAtAll(path)) {
    if (!dialogs.AskYesNo(kWarningCaption, "Файл " + BareName(path) + " уже существует. Перезаписать?"))
      return ProjectWriteResult::Declined;
    // Updating in place needs the old contents; without them the other
    // workspace's sections would be lost.
    if (!IniFile::Load(path, ini)) return WriteFailed(dialogs);
  }
  for (const ProjectKey& key : kProjectKeys) {
    const std::string& value = fields.*key.Field;
    if (value.empty()) continue;
    if (!FitsOnOneLine(value)) return WriteFailed(dialogs);
    ini.Write(key.Section, key.Key, value);
  }
  if (!WriteBytesReplacing(path, ini.Bytes())) return WriteFailed(dialogs);
  return ProjectWriteResult::Written;
}

std::optional<ReadFailure> ReadProject(const std::string& path, ProjectFields& fields) {
  IniFile ini;
  if (!IniFile::Load(path, ini))
    return ReadFailure{UserMessage{MessageIcon::Error, kErrorCaptionPlain, kProjectReadError}, path, 0};
  for (const ProjectKey& key : kProjectKeys) fields.*key.Field = ini.Read(key.Section, key.Key, std::string());
  return std::nullopt;
}

ProjectFields ResolveProjectPaths(const ProjectFields& fields, const std::string& projectPath) {
  const std::filesystem::path folder = std::filesystem::path(projectPath).parent_path();
  ProjectFields resolved = fields;
  for (const ProjectKey& key : kProjectKeys) {
    std::string& value = resolved.*key.Field;
    if (value.empty() || folder.empty() || std::filesystem::path(value).is_absolute()) continue;
    value = (folder / value).string();
  }
  return resolved;
}

}  // namespace vesk
