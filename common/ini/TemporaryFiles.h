// The temporary files the atomic writes put beside their target, ".<name>.tmp.<pid>.<n>", and
// the removal of those a killed writer left behind.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zel::ini {

std::string temporaryName(std::string_view targetName, pid_t writer, unsigned number);

// The writer's process id when `name` is exactly a temporary name of `targetName`.
std::optional<pid_t> temporaryWriter(std::string_view name, std::string_view targetName);

// Removes the regular files beside `target` named as its temporaries whose writer process no
// longer exists. A live writer's file (another process may be about to rename it) and anything
// not named exactly so are kept.
void removeStaleTemporaries(const std::filesystem::path& target);

}  // namespace zel::ini
