// zelcmd finds its data by the rule every program shares (fileio/ProgramFolder.h).
#pragma once

#include "fileio/ProgramFolder.h"

namespace zel::cmd {

using fileio::programFolder;
using fileio::programFolderFor;

}  // namespace zel::cmd
