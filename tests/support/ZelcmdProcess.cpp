#include "ZelcmdProcess.h"

#include "SimProcess.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <sys/stat.h>

namespace zel::test {
namespace {

std::filesystem::path makeTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zelcmd-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    return pattern;
}

}  // namespace

ZelcmdProcess::ZelcmdProcess(const SimProcess* sim, std::chrono::milliseconds transferTimeout) : root_(makeTempDir()) {
    for (const auto& folder : {home(), configHome(), configDirs(), runtimeDir(), workDir(), root_ / "nosim"})
        std::filesystem::create_directories(folder);
    ::chmod(runtimeDir().c_str(), 0700);
    extra_["ZELMOR_SIM"] = sim != nullptr ? sim->dir().string() : (root_ / "nosim").string();
    extra_["ZELMOR_SIM_TIMEOUT_MS"] = std::to_string(transferTimeout.count());
}

ZelcmdProcess::~ZelcmdProcess() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
}

std::filesystem::path ZelcmdProcess::settingsPath() const {
    return configHome() / "Varnik" / "Zelmor" / "VarnikZelmorSettings.xml";
}

void ZelcmdProcess::installSettings(const std::filesystem::path& document) const {
    std::filesystem::create_directories(settingsPath().parent_path());
    std::filesystem::copy_file(document, settingsPath(), std::filesystem::copy_options::overwrite_existing);
}

// zelcmd looks for config/ beside its own executable, so the copy brings the folder with it.
std::filesystem::path ZelcmdProcess::useOwnConfigFolder() {
    const auto folder = root_ / "program";
    std::filesystem::create_directories(folder / "config" / "ZelmorPro");
    std::filesystem::copy_file(zelcmdPath(), folder / "zelcmd", std::filesystem::copy_options::overwrite_existing);
    program_ = folder / "zelcmd";
    extra_["LD_LIBRARY_PATH"] = zelcmdPath().parent_path().string();
    return folder / "config";
}

std::vector<std::string> ZelcmdProcess::environment() const {
    std::map<std::string, std::string> values = {
        {"PATH", "/usr/local/bin:/usr/bin:/bin"},
        {"HOME", home().string()},
        {"XDG_CONFIG_HOME", configHome().string()},
        {"XDG_CONFIG_DIRS", configDirs().string()},
        {"XDG_RUNTIME_DIR", runtimeDir().string()},
        {"XDG_STATE_HOME", (home() / ".local" / "state").string()},
    };
    for (const auto& [name, value] : extra_) values[name] = value;
    std::vector<std::string> entries;
    for (const auto& [name, value] : values)
        if (!value.empty()) entries.push_back(name + "=" + value);
    return entries;
}

ChildResult ZelcmdProcess::run(const std::vector<std::string>& args, ChildInput input,
                               std::chrono::milliseconds timeout) const {
    ChildSpec spec;
    spec.argv.push_back(program_.string());
    spec.argv.insert(spec.argv.end(), args.begin(), args.end());
    spec.environment = environment();
    spec.workingDirectory = workDir();
    spec.input = std::move(input);
    spec.timeout = timeout;
    spec.errorOnTerminal = errorOnTerminal_;
    return runChild(spec);
}

std::vector<std::string> ZelcmdProcess::commandLine(const std::vector<std::string>& args) const {
    std::vector<std::string> line = {"/usr/bin/env", "-i", "-C", workDir().string()};
    const auto entries = environment();
    line.insert(line.end(), entries.begin(), entries.end());
    line.push_back(program_.string());
    line.insert(line.end(), args.begin(), args.end());
    return line;
}

std::filesystem::path ZelcmdProcess::zelcmdPath() { return ZELCMD_PATH; }

}  // namespace zel::test
