// Runs build/bin/zelcmd as a child process in a private world: HOME, XDG_CONFIG_HOME,
// XDG_CONFIG_DIRS, XDG_RUNTIME_DIR and the working folder lie in a temporary folder, and the
// devices are a SimProcess's (or none: an empty simulator folder, never real USB).
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace zel::test {

class SimProcess;

class ZelcmdProcess {
public:
    // sim may be null: zelcmd then sees no emulator.
    explicit ZelcmdProcess(const SimProcess* sim = nullptr,
                           std::chrono::milliseconds transferTimeout = std::chrono::milliseconds(2000));
    ~ZelcmdProcess();  // removes the temporary folder
    ZelcmdProcess(const ZelcmdProcess&) = delete;
    ZelcmdProcess& operator=(const ZelcmdProcess&) = delete;

    ChildResult run(const std::vector<std::string>& args, ChildInput input = ChildInput::devNull(),
                    std::chrono::milliseconds timeout = std::chrono::seconds(120)) const;

    const std::filesystem::path& root() const { return root_; }
    std::filesystem::path home() const { return root_ / "home"; }
    std::filesystem::path configHome() const { return root_ / "config"; }
    std::filesystem::path configDirs() const { return root_ / "xdg"; }
    std::filesystem::path runtimeDir() const { return root_ / "run"; }
    // The working folder of every run; relative paths in arguments start here.
    std::filesystem::path workDir() const { return root_ / "work"; }
    // Where zelcmd looks for the settings document.
    std::filesystem::path settingsPath() const;
    // Copies a settings document into place (zelcmd never creates it).
    void installSettings(const std::filesystem::path& document) const;

    // From now on runs a copy of zelcmd (with the libraries of the build) whose configuration
    // folder is this one's own, empty but for the ZelmorPro folder: a test then decides which
    // chip configurations exist. Returns that configuration folder.
    std::filesystem::path useOwnConfigFolder();

    // Extra or changed environment entries (empty value: removed).
    void setEnvironment(const std::string& name, const std::string& value) { extra_[name] = value; }
    // Runs give zelcmd a pseudo-terminal as standard error (ChildSpec::errorOnTerminal).
    void setErrorOnTerminal(bool on) { errorOnTerminal_ = on; }
    // The run of `args` as one command line (env with the private world, then zelcmd), for
    // runners of its own such as BackgroundChild.
    std::vector<std::string> commandLine(const std::vector<std::string>& args) const;

    static std::filesystem::path zelcmdPath();  // build/bin/zelcmd (compile definition)

private:
    std::vector<std::string> environment() const;

    std::filesystem::path root_;
    std::filesystem::path program_ = zelcmdPath();
    std::map<std::string, std::string> extra_;
    bool errorOnTerminal_ = false;
};

}  // namespace zel::test
