// The skin file format: the committed skin files against the generator's looks, and every way a
// damaged file is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "skin/engine/looks.h"
#include "skin/engine/skin_format.h"
#include "skin/engine/skin_format_writer.h"
#include "skin/skin_files.h"

namespace skin::engine {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string SkinPath(int number) {
  char name[32];
  std::snprintf(name, sizeof name, "/assets/skins/skin%02d.cskn", number);
  return std::string(COMPOSER_SOURCE_DIR) + name;
}

// A look whose every byte is a marker, to see that a refused file leaves it untouched.
Look Sentinel() {
  Look look;
  std::memset(static_cast<void*>(&look), 0xA5, sizeof look);
  return look;
}

bool SameBytes(const Look& a, const Look& b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

double Linear(std::uint32_t channel) {
  const double v = channel / 255.0;
  return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(std::uint32_t rgb) {
  return 0.2126 * Linear((rgb >> 16) & 0xFF) + 0.7152 * Linear((rgb >> 8) & 0xFF) +
         0.0722 * Linear(rgb & 0xFF);
}

double ContrastRatio(std::uint32_t a, std::uint32_t b) {
  const double la = RelativeLuminance(a) + 0.05;
  const double lb = RelativeLuminance(b) + 0.05;
  return la > lb ? la / lb : lb / la;
}

// How far apart two colours look: the distance of their CIE L*a*b* coordinates (D65).
double ColourDistance(std::uint32_t a, std::uint32_t b) {
  auto lab = [](std::uint32_t rgb) {
    const double r = Linear((rgb >> 16) & 0xFF), g = Linear((rgb >> 8) & 0xFF),
                 bl = Linear(rgb & 0xFF);
    auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    const double x = f((0.4124 * r + 0.3576 * g + 0.1805 * bl) / 0.95047);
    const double y = f(0.2126 * r + 0.7152 * g + 0.0722 * bl);
    const double z = f((0.0193 * r + 0.1192 * g + 0.9505 * bl) / 1.08883);
    return std::array<double, 3>{116 * y - 16, 500 * (x - y), 200 * (y - z)};
  };
  const auto p = lab(a), q = lab(b);
  return std::hypot(p[0] - q[0], p[1] - q[1], p[2] - q[2]);
}

std::uint32_t Middle(std::uint32_t from, std::uint32_t to) {
  std::uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    out |= (((from >> shift) & 0xFF) + ((to >> shift) & 0xFF) + 1) / 2 << shift;
  }
  return out;
}

TEST(SkinCatalogueTest, CommittedFilesAreTheGeneratorsOutput) {
  const std::vector<Look> looks = CatalogueLooks();
  ASSERT_EQ(looks.size(), static_cast<size_t>(kCatalogueSize));
  for (int number = 1; number <= kCatalogueSize; ++number) {
    SCOPED_TRACE(number);
    const Bytes file = ReadFile(SkinPath(number));
    EXPECT_EQ(file, WriteSkin(looks[number - 1])) << "run the skins target to rewrite them";
    Look read;
    ASSERT_EQ(ReadSkin(file.data(), file.size(), read), ReadStatus::kOk);
    EXPECT_EQ(EncodeContent(read), EncodeContent(looks[number - 1]));
  }
}

TEST(SkinCatalogueTest, EmbeddedSkinsAreTheCommittedFiles) {
  const Bytes seven = ReadFile(SkinPath(7));
  EXPECT_EQ(Bytes(std::begin(files::kSkin7), std::end(files::kSkin7)), seven);
  const Bytes last = ReadFile(SkinPath(34));
  EXPECT_EQ(Bytes(std::begin(files::kSkin34), std::end(files::kSkin34)), last);
}

TEST(SkinCatalogueTest, LooksAreDistinctAndBothLightAndDark) {
  const std::vector<Look> looks = CatalogueLooks();
  std::set<std::string> names;
  std::set<std::pair<std::uint32_t, std::uint32_t>> colourings;
  int dark = 0;
  for (const Look& look : looks) {
    names.insert(look.name);
    colourings.insert({look.accentColor, look.windowColor});
    dark += look.dark ? 1 : 0;
  }
  EXPECT_EQ(names.size(), looks.size());
  EXPECT_EQ(colourings.size(), looks.size());
  EXPECT_GE(dark, 8);
  EXPECT_GE(static_cast<int>(looks.size()) - dark, 8);
}

// The title bar is what a skin is told by at a glance: no two may look alike. Their colours (the
// middle of each gradient) lie a clear distance apart; 15 is well beyond what an eye tells apart
// side by side, and far beyond pairs that once looked the same (below 5).
TEST(SkinCatalogueTest, EveryTwoTitleBarsAreTellableApart) {
  const std::vector<Look> looks = CatalogueLooks();
  double closest = 1e9;
  for (size_t i = 0; i < looks.size(); ++i) {
    for (size_t j = i + 1; j < looks.size(); ++j) {
      const double distance = ColourDistance(Middle(looks[i].captionFrom, looks[i].captionTo),
                                             Middle(looks[j].captionFrom, looks[j].captionTo));
      closest = std::min(closest, distance);
      EXPECT_GE(distance, 15.0) << "skins " << i + 1 << " and " << j + 1;
    }
  }
  std::printf("closest two title bars: %.1f apart\n", closest);
  // The default skin stays the one in the photographs.
  EXPECT_EQ(looks[6].captionFrom, 0x1D4E9Eu);
  EXPECT_EQ(looks[6].captionTo, 0x3C8BEAu);
  EXPECT_EQ(looks[6].windowColor, 0xE4EBF4u);
}

// Text must read well on whatever it is drawn on, in every skin.
TEST(SkinCatalogueTest, EveryTextReadsOnItsSurface) {
  for (const Look& look : CatalogueLooks()) {
    SCOPED_TRACE(look.name);
    EXPECT_GE(ContrastRatio(look.textColor, look.panelColor), 7.0);
    EXPECT_GE(ContrastRatio(look.textColor, look.windowColor), 7.0);
    EXPECT_GE(ContrastRatio(look.fieldTextColor, look.fieldColor), 7.0);
    for (std::uint32_t face : {look.buttonFrom, look.buttonTo, look.buttonHotTo,
                               look.buttonPressedFrom, look.buttonPressedTo}) {
      EXPECT_GE(ContrastRatio(look.buttonTextColor, face), 4.5);
    }
    EXPECT_GE(ContrastRatio(look.captionTextColor, look.captionFrom), 3.0);
    EXPECT_GE(ContrastRatio(look.captionTextColor, look.captionTo), 3.0);
    EXPECT_GE(ContrastRatio(look.tabTextColor, look.tabTo), 4.5);
    EXPECT_GE(ContrastRatio(look.tabSelectedTextColor, look.panelColor), 4.5);
    EXPECT_GE(ContrastRatio(look.groupCaptionColor, look.panelColor), 4.5);
    EXPECT_GE(ContrastRatio(look.disabledTextColor, look.panelColor), 1.8);
  }
}

// A valid file to damage.
Bytes GoodFile() {
  return WriteSkin(CatalogueLooks()[6]);
}

Bytes WithUnpackedSize(Bytes file, std::uint32_t size) {
  for (int i = 0; i < 4; ++i) file[8 + i] = static_cast<std::uint8_t>(size >> (8 * i));
  return file;
}

// A file whose head declares content's size and whose payload is content, packed.
Bytes FileOfContent(const Bytes& content, std::uint32_t version = kSkinVersion) {
  Bytes file = SkinHead(static_cast<std::uint32_t>(content.size()), version);
  const Bytes packed = Pack(content);
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

Bytes ContentWithout(std::uint8_t tag) {
  const Bytes content = EncodeContent(CatalogueLooks()[6]);
  Bytes out;
  for (size_t at = 0; at < content.size(); at += 2 + content[at + 1]) {
    if (content[at] != tag) {
      out.insert(out.end(), content.begin() + static_cast<long>(at),
                 content.begin() + static_cast<long>(at + 2 + content[at + 1]));
    }
  }
  return out;
}

TEST(ReadSkinTest, DamagedFilesAreRefusedAndLeaveTheLookAlone) {
  const Bytes good = GoodFile();
  const std::uint32_t declared = good[8] | good[9] << 8;
  Bytes badMagic = good;
  badMagic[0] = 'X';
  Bytes laterVersion = good;
  laterVersion[4] = kSkinVersion + 1;
  Bytes versionZero = good;
  versionZero[4] = 0;
  Bytes truncated = good;
  truncated.pop_back();
  Bytes extraByte = good;
  extraByte.push_back(0x00);  // a literal run cut off after its token
  Bytes zeroDistance = SkinHead(10);
  zeroDistance.insert(zeroDistance.end(), {0x00, 0x41, 0x87, 0x00, 0x00});
  Bytes distanceTooFar = SkinHead(10);
  distanceTooFar.insert(distanceTooFar.end(), {0x00, 0x41, 0x87, 0x02, 0x00});
  Bytes cutCopy = SkinHead(10);
  cutCopy.insert(cutCopy.end(), {0x00, 0x41, 0x87, 0x01});
  Bytes unknownTag = EncodeContent(CatalogueLooks()[6]);
  unknownTag.insert(unknownTag.end(), {99, 1, 0});
  Bytes duplicate = EncodeContent(CatalogueLooks()[6]);
  duplicate.insert(duplicate.end(), {3, 3, 1, 2, 3});
  Bytes shortColour = ContentWithout(3);
  shortColour.insert(shortColour.end(), {3, 2, 1, 2});
  Bytes badTexture = ContentWithout(6);
  badTexture.insert(badTexture.end(), {6, 1, kTextureCount});
  Bytes badRadius = ContentWithout(23);
  badRadius.insert(badRadius.end(), {23, 1, 200});
  Bytes badName = ContentWithout(1);
  badName.insert(badName.end(), {1, 2, 'A', 0x01});
  // GBK names: a lead byte without its trail, a trail byte below 0x40, 0x7F as a trail byte.
  Bytes leadAtEnd = ContentWithout(1);
  leadAtEnd.insert(leadAtEnd.end(), {1, 2, 'A', 0xC0});
  Bytes lowTrail = ContentWithout(1);
  lowTrail.insert(lowTrail.end(), {1, 2, 0xC0, 0x3F});
  Bytes deleteTrail = ContentWithout(1);
  deleteTrail.insert(deleteTrail.end(), {1, 2, 0xC0, 0x7F});
  Bytes recordCut = EncodeContent(CatalogueLooks()[6]);
  recordCut.insert(recordCut.end(), {7, 3, 1});

  struct Case {
    const char* what;
    Bytes file;
    ReadStatus expected;
  };
  const Case cases[] = {
      {"empty", {}, ReadStatus::kTooShort},
      {"head cut off", Bytes(good.begin(), good.begin() + 11), ReadStatus::kTooShort},
      {"wrong magic", badMagic, ReadStatus::kBadMagic},
      {"a later version", laterVersion, ReadStatus::kBadVersion},
      {"version zero", versionZero, ReadStatus::kBadVersion},
      {"declared size above the limit", WithUnpackedSize(good, kMaxUnpackedSize + 1),
       ReadStatus::kTooLarge},
      {"declared size far above the limit", WithUnpackedSize(good, 0xFFFFFFFF),
       ReadStatus::kTooLarge},
      {"declared size one more than the content", WithUnpackedSize(good, declared + 1),
       ReadStatus::kBadPacking},
      {"declared size one less: unpacks too large", WithUnpackedSize(good, declared - 1),
       ReadStatus::kBadPacking},
      {"declared size zero", WithUnpackedSize(good, 0), ReadStatus::kBadPacking},
      {"payload cut off", truncated, ReadStatus::kBadPacking},
      {"payload with a dangling token", extraByte, ReadStatus::kBadPacking},
      {"no payload", Bytes(good.begin(), good.begin() + 12), ReadStatus::kBadPacking},
      {"copy from distance zero", zeroDistance, ReadStatus::kBadPacking},
      {"copy from before the start", distanceTooFar, ReadStatus::kBadPacking},
      {"copy without its distance", cutCopy, ReadStatus::kBadPacking},
      {"unknown record", FileOfContent(unknownTag), ReadStatus::kBadContent},
      {"record twice", FileOfContent(duplicate), ReadStatus::kBadContent},
      {"colour of two bytes", FileOfContent(shortColour), ReadStatus::kBadContent},
      {"texture out of range", FileOfContent(badTexture), ReadStatus::kBadContent},
      {"radius out of range", FileOfContent(badRadius), ReadStatus::kBadContent},
      {"name with a control byte", FileOfContent(badName), ReadStatus::kBadContent},
      {"name ending in a lead byte", FileOfContent(leadAtEnd), ReadStatus::kBadContent},
      {"name with a trail byte below 0x40", FileOfContent(lowTrail), ReadStatus::kBadContent},
      {"name with 0x7F as a trail byte", FileOfContent(deleteTrail), ReadStatus::kBadContent},
      {"a first-version file with a GBK name", FileOfContent(EncodeContent(CatalogueLooks()[6]), 1),
       ReadStatus::kBadContent},
      {"record cut off", FileOfContent(recordCut), ReadStatus::kBadContent},
      {"record missing", FileOfContent(ContentWithout(36)), ReadStatus::kBadContent},
      {"no records at all", SkinHead(0), ReadStatus::kBadContent},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Look look = Sentinel();
    EXPECT_EQ(ReadSkin(c.file.data(), c.file.size(), look), c.expected);
    EXPECT_TRUE(SameBytes(look, Sentinel()));
  }
  Look look;
  EXPECT_EQ(ReadSkin(nullptr, 100, look), ReadStatus::kTooShort);
}

// Files of the first version have ASCII names and are read as before.
TEST(ReadSkinTest, FirstVersionFilesWithAsciiNamesAreRead) {
  Look old = CatalogueLooks()[6];
  std::strncpy(old.name, "Azure Glass", kMaxNameLength);
  const Bytes file = FileOfContent(EncodeContent(old), 1);
  Look read;
  ASSERT_EQ(ReadSkin(file.data(), file.size(), read), ReadStatus::kOk);
  EXPECT_EQ(EncodeContent(read), EncodeContent(old));
}

TEST(ReadSkinTest, EveryShorterPrefixOfAGoodFileIsRefused) {
  const Bytes good = GoodFile();
  for (size_t length = 0; length < good.size(); ++length) {
    Look look = Sentinel();
    EXPECT_NE(ReadSkin(good.data(), length, look), ReadStatus::kOk) << length;
    EXPECT_TRUE(SameBytes(look, Sentinel())) << length;
  }
}

TEST(PackTest, RoundTripsAndUnpackRespectsCapacity) {
  std::mt19937 random(7);
  for (int trial = 0; trial < 50; ++trial) {
    Bytes bytes(static_cast<size_t>(random() % 1500));
    const int alphabet = 1 + static_cast<int>(random() % 8);  // few letters: long repeats
    for (auto& byte : bytes) byte = static_cast<std::uint8_t>(random() % alphabet);
    const Bytes packed = Pack(bytes);
    Bytes out(bytes.size());
    EXPECT_EQ(Unpack(packed.data(), packed.size(), out.data(), out.size()),
              static_cast<long>(bytes.size()));
    EXPECT_EQ(out, bytes);
    if (!bytes.empty()) {
      EXPECT_EQ(Unpack(packed.data(), packed.size(), out.data(), out.size() - 1), -1);
    }
  }
  const Bytes zeros(4000, 0);
  EXPECT_LT(Pack(zeros).size(), 120u);
}

}  // namespace
}  // namespace skin::engine
