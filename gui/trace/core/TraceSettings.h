// The trace's stored settings: the capture's (continuous save, its file and the recent paths)
// and the viewer's filter (condition bits, range, special command, mask, translation), read from
// and written to the settings document under the keys both front ends know.
#pragma once

#include "GuiSettings.h"
#include "settings/SettingsUpdate.h"
#include "trace/TraceFilter.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel::gui::trace {

struct CaptureOptions {
    bool continuous = false;
    std::string file;
    std::vector<std::string> recentPaths;  // most recent first

    static CaptureOptions read(const GuiSettings& settings);
    // The page's OK: `file` becomes the trace file and moves to the front of the recent paths.
    void choose(bool continuousSave, const std::string& chosenFile);
    settings::SettingsUpdate changes() const;
};

// The filter controls as the user left them (the edit texts as typed).
struct FilterOptions {
    std::uint16_t conditions = 0;
    std::string start, end, special;
    bool mask = false;
    bool translate = false;

    static FilterOptions read(const GuiSettings& settings);
    settings::SettingsUpdate changes() const;
    // The texts read as "%x" reads them; an empty special command is none.
    zel::trace::FilterSettings parsed() const;
};

}  // namespace zel::gui::trace
