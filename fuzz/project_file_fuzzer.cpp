// Parses arbitrary bytes as an INI file, writes every project key into it and
// checks that the keys read back as written, that the other lines are kept,
// and that the written file parses to the same lines again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "files/IniFile.h"
#include "files/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  vesk::IniFile ini(bytes);
  const std::size_t before = ini.Lines().size();
  std::size_t written = 0;
  for (const vesk::ProjectKey& key : vesk::kProjectKeys) {
    const std::string value = std::string("/p/") + key.Key + ".x";
    const bool present = ini.Read(key.Section, key.Key).has_value();
    ini.Write(key.Section, key.Key, value);
    if (ini.Read(key.Section, key.Key) != value) std::abort();
    if (!present) ++written;
  }
  // New keys add one line each, new sections one header line more.
  if (ini.Lines().size() < before + written) std::abort();

  const vesk::IniFile again(ini.Bytes());
  if (again.Lines() != ini.Lines()) std::abort();
  for (const vesk::ProjectKey& key : vesk::kProjectKeys)
    if (again.Read(key.Section, key.Key) != std::string("/p/") + key.Key + ".x") std::abort();
  return 0;
}
