#include <gtest/gtest.h>

#include "CfgBytes.h"
#include "TempDir.h"
#include "chipcfg/ConfigFolder.h"
#include "text/TextCodec.h"

namespace zel::chipcfg {
namespace {

using zel::test::TempDir;

TEST(ConfigFolder, ChipNamesLeadToFilesInsideTheirFolder) {
    auto pro = configFilePath("/opt/zel", ProductLine::ZelmorPro, L"X25Q64");
    ASSERT_TRUE(pro.ok());
    EXPECT_EQ(pro.value(), std::filesystem::path("/opt/zel/config/ZelmorPro/X25Q64.cfg"));
    EXPECT_EQ(configFilePath("/opt/zel", ProductLine::EarlierModel, L"X25Q64").value(),
              std::filesystem::path("/opt/zel/config/X25Q64.cfg"));
    // Names are UTF-8 on disk.
    EXPECT_EQ(configFilePath("/p", ProductLine::ZelmorPro, L"Q\u00E9").value().filename().string(), "Q\xC3\xA9.cfg");

    for (const wchar_t* bad : {L"", L"..", L"../../etc/passwd", L"a/b", L"a\\b", L"x..y", L"/abs"}) {
        auto path = configFilePath("/opt/zel", ProductLine::ZelmorPro, bad);
        ASSERT_FALSE(path.ok()) << text::wideToUtf8(bad);
        EXPECT_EQ(path.error().code, ErrorCode::InvalidChipName);
    }
    EXPECT_FALSE(checkChipName(std::wstring(L"a\0b", 3)).ok());
    EXPECT_TRUE(checkChipName(L"W25Q128JV-SFDP.v2").ok());
}

TEST(ConfigFolder, ListsRegularFilesEndingInCfgInAnyCase) {
    TempDir dir;
    for (const char* name : {"b.cfg", "A.CFG", "c.Cfg", "notacfg", "d.txt", "e.cfg.bak", "cfg"})
        test::CfgBytes().ascii("x").saveTo(dir / name);
    std::filesystem::create_directory(dir / "sub.cfg");
    test::CfgBytes().ascii("x").saveTo(dir.path() / "sub.cfg" / "inner.cfg");

    std::vector<std::string> names;
    for (const auto& path : listConfigFiles(dir.path())) names.push_back(path.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"A.CFG", "b.cfg", "c.Cfg", "cfg", "notacfg"}));

    EXPECT_TRUE(listConfigFiles(dir / "missing").empty());
}

}  // namespace
}  // namespace zel::chipcfg
