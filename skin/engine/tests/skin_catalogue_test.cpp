// The skin catalogue's numbering and the one call it makes into the engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <string>
#include <vector>

#include "skin/skin_files.h"
#include "skin/skins.h"

namespace skin {
namespace {

struct RecordedCall {
  std::uintptr_t address;
  std::vector<std::uintptr_t> arguments;
};

class RecordingHost final : public EngineHost {
 public:
  std::uintptr_t exportAddress = 0x5000;
  std::vector<std::string> lookups;
  std::vector<RecordedCall> calls;

  std::uintptr_t GetExport(const char* name) override {
    lookups.emplace_back(name);
    return exportAddress;
  }
  std::uintptr_t Call(std::uintptr_t address, std::uintptr_t a1, std::uintptr_t a2,
                      std::uintptr_t a3, std::uintptr_t a4, std::uintptr_t a5, std::uintptr_t a6,
                      std::uintptr_t a7, std::uintptr_t a8, std::uintptr_t a9,
                      std::uintptr_t a10) override {
    calls.push_back({address, {a1, a2, a3, a4, a5, a6, a7, a8, a9, a10}});
    return 1;
  }
};

class CatalogueTest : public testing::Test {
 protected:
  void SetUp() override { SetEngineHost(&host_); }
  void TearDown() override { SetEngineHost(nullptr); }
  RecordingHost host_;
};

TEST_F(CatalogueTest, NumbersOutsideOneToThirtyFourMakeNoCall) {
  for (int number : {0, 35, -1, -7, 100, INT_MIN, INT_MAX}) {
    ApplySkin(number);
    EXPECT_TRUE(SkinFile(number).empty()) << number;
  }
  EXPECT_TRUE(host_.lookups.empty());
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(CatalogueTest, SevenPassesEntrySevensAddressSizeAndEightZeros) {
  ApplySkin(7);
  ASSERT_EQ(host_.lookups, std::vector<std::string>{"SkinEngine_AttachRes"});
  ASSERT_EQ(host_.calls.size(), 1u);
  const RecordedCall& call = host_.calls[0];
  EXPECT_EQ(call.address, host_.exportAddress);
  EXPECT_EQ(call.arguments[0], reinterpret_cast<std::uintptr_t>(files::kSkin7));
  EXPECT_EQ(call.arguments[1], sizeof files::kSkin7);
  for (size_t i = 2; i < 10; ++i) EXPECT_EQ(call.arguments[i], 0u) << i;
}

TEST_F(CatalogueTest, EveryNumberAttachesItsOwnEntry) {
  for (int number = 1; number <= kSkinCount; ++number) {
    host_.calls.clear();
    ApplySkin(number);
    ASSERT_EQ(host_.calls.size(), 1u) << number;
    EXPECT_EQ(host_.calls[0].arguments[0],
              reinterpret_cast<std::uintptr_t>(SkinFile(number).data()));
    EXPECT_EQ(host_.calls[0].arguments[1], SkinFile(number).size());
    for (int other = 1; other < number; ++other) {
      EXPECT_NE(SkinFile(other).data(), SkinFile(number).data()) << other << " " << number;
    }
  }
}

TEST_F(CatalogueTest, MissingEngineOrExportMeansNoCall) {
  host_.exportAddress = 0;
  ApplySkin(kStartupSkin);
  AttachSkinResource(SkinFile(1));
  EXPECT_EQ(host_.lookups.size(), 2u);
  EXPECT_TRUE(host_.calls.empty());
}

TEST_F(CatalogueTest, NamesAreDistinctAndTheChoiceIsRemembered) {
  std::vector<std::string> names;
  for (int number = 1; number <= kSkinCount; ++number) {
    const std::string name = SkinName(number);
    EXPECT_FALSE(name.empty()) << number;
    EXPECT_EQ(std::count(names.begin(), names.end(), name), 0) << name;
    names.push_back(name);
  }
  EXPECT_EQ(SkinName(0), "");
  EXPECT_EQ(SkinName(35), "");

  ApplySkin(12);
  ApplySkin(35);  // refused: the current skin stays
  EXPECT_EQ(CurrentSkin(), 12);
  for (const auto& [chosen, startup] : {std::pair{20, 20}, {0, 7}, {35, 7}, {-3, 7}, {1, 1}}) {
    SetStartupSkin(chosen);
    EXPECT_EQ(StartupSkin(), startup) << chosen;
  }
  SetStartupSkin(kStartupSkin);
}

TEST(CatalogueWithoutHostTest, WithoutAnEngineNothingHappens) {
  SetEngineHost(nullptr);
  ApplySkin(kStartupSkin);
  AttachSkinResource(SkinFile(1));
}

}  // namespace
}  // namespace skin
