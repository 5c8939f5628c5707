// The image library: what it reads of a file, the JPEG it writes, and its status codes.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "downsize/image_decode.h"
#include "downsize/image_library.h"
#include "downsize/jpeg_pass.h"
#include "sample_images.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;
using testing::MakePhoto;

class ImageLibraryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() / ("tamsel_lib_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override {
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(folder_);
  }
  std::string Path(const std::string& name) const { return (folder_ / name).string(); }

  fs::path folder_;
  FileSystem files_{fs::temp_directory_path()};
};

TEST_F(ImageLibraryTest, ReadsSizeAndStoredDepthOfEveryFormat) {
  const Pixels colour = MakePhoto(40, 30, 3, 1);
  const Pixels grey = MakePhoto(40, 30, 1, 2);
  testing::WriteJpeg(Path("c.jpg"), colour);
  testing::WriteJpeg(Path("g.jpg"), grey);
  testing::WritePng(Path("c.png"), colour);
  testing::WritePng(Path("g.png"), grey);
  testing::WriteBmp(Path("c.bmp"), colour);
  testing::WriteTiff(Path("c.tif"), colour);
  testing::WriteTiff(Path("g.tif"), grey);
  testing::WriteBytes(Path("p.gif"), testing::TinyGif());
  struct Case {
    const char* name;
    int width, height, bits;
  };
  for (const Case& c : {Case{"c.jpg", 40, 30, 24}, Case{"g.jpg", 40, 30, 8}, Case{"c.png", 40, 30, 24},
                        Case{"g.png", 40, 30, 8}, Case{"c.bmp", 40, 30, 24}, Case{"c.tif", 40, 30, 24},
                        Case{"g.tif", 40, 30, 8}, Case{"p.gif", 1, 1, 1}}) {
    SCOPED_TRACE(c.name);
    const ImageInfo info = ReadImageInfo(files_, Path(c.name));
    EXPECT_EQ(info.status, 1);
    EXPECT_EQ(info.width, c.width);
    EXPECT_EQ(info.height, c.height);
    EXPECT_EQ(info.bits_per_pixel, c.bits);
  }
}

TEST_F(ImageLibraryTest, WritesTheRequestedSizeAndKeepsGreyGrey) {
  const Pixels grey = MakePhoto(64, 48, 1, 3);
  for (const char* name : {"g.png", "g.tif", "g.jpg"}) {
    SCOPED_TRACE(name);
    if (std::string(name).ends_with("png")) testing::WritePng(Path(name), grey);
    if (std::string(name).ends_with("tif")) testing::WriteTiff(Path(name), grey);
    if (std::string(name).ends_with("jpg")) testing::WriteJpeg(Path(name), grey);
    ASSERT_EQ(ConvertToJpeg(files_, Path(name), Path("out.jpg"), kJpegFormat, 50, 20, 8, 40), 1);
    const auto facts = testing::ReadJpegFacts(Path("out.jpg"));
    EXPECT_EQ(facts.width, 50);
    EXPECT_EQ(facts.height, 20);
    EXPECT_TRUE(facts.grey);
  }
  testing::WriteBmp(Path("c.bmp"), MakePhoto(64, 48, 3, 4));
  ASSERT_EQ(ConvertToJpeg(files_, Path("c.bmp"), Path("c.jpg"), kJpegFormat, 64, 48, 24, 2), 1);
  EXPECT_FALSE(testing::ReadJpegFacts(Path("c.jpg")).grey);
}

TEST_F(ImageLibraryTest, ComposesTransparencyOntoWhite) {
  Pixels clear{8, 8, 4, std::vector<std::uint8_t>(8 * 8 * 4, 0)};  // black, fully transparent
  testing::WritePng(Path("clear.png"), clear);
  ASSERT_EQ(ConvertToJpeg(files_, Path("clear.png"), Path("clear.jpg"), kJpegFormat, 8, 8, 32, 2), 1);
  const auto decoded = DecodeImage(testing::ReadBytes(Path("clear.jpg")));
  ASSERT_TRUE(decoded.Ok());
  for (const std::uint8_t sample : decoded.value.data) ASSERT_GE(sample, 250);
}

TEST_F(ImageLibraryTest, ReportsEachFailureWithItsCode) {
  testing::WriteJpeg(Path("ok.jpg"), MakePhoto(16, 16, 3, 5));
  testing::WriteBytes(Path("text.jpg"), {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'});
  testing::WriteBytes(Path("empty.png"), {});
  testing::WritePng(Path("full.png"), MakePhoto(64, 64, 3, 6));
  auto png = testing::ReadBytes(Path("full.png"));
  png.resize(png.size() / 2);
  testing::WriteBytes(Path("half.png"), png);
  fs::create_directories(folder_ / "locked");
  fs::permissions(folder_ / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  testing::WriteJpeg(Path("readonly.jpg"), MakePhoto(16, 16, 3, 7));
  fs::permissions(Path("readonly.jpg"), fs::perms::owner_read);
  const bool root = ::geteuid() == 0;  // permissions do not stop root

  struct Case {
    const char* what;
    std::string source, target;
    int format, width, height, factor, status;
  };
  const std::string ok = Path("ok.jpg"), out = Path("out.jpg");
  std::vector<Case> cases = {
      {"missing file", Path("none.jpg"), out, 10, 16, 16, 50, -10},
      {"missing folder", Path("none/x.jpg"), out, 10, 16, 16, 50, -10},
      {"not an image", Path("text.jpg"), out, 10, 16, 16, 50, -9},
      {"empty file", Path("empty.png"), out, 10, 16, 16, 50, -9},
      {"truncated PNG", Path("half.png"), out, 10, 16, 16, 50, -7},
      {"empty source name", "", out, 10, 16, 16, 50, -8},
      {"empty target name", ok, "", 10, 16, 16, 50, -8},
      {"folder as source", folder_.string(), out, 10, 16, 16, 50, -14},
      {"format other than JPEG", ok, out, 11, 16, 16, 50, -16},
      {"factor below 2", ok, out, 10, 16, 16, 1, -13},
      {"factor above 255", ok, out, 10, 16, 16, 256, -13},
      {"zero width", ok, out, 10, 0, 16, 50, -11},
      {"negative height", ok, out, 10, 16, -3, 50, -11},
      {"wider than JPEG allows", ok, out, 10, 70000, 1, 50, -11},
      {"too many pixels", ok, out, 10, 60000, 60000, 50, -1},
  };
  if (!root) {
    cases.push_back({"folder not writable", ok, Path("locked/out.jpg"), 10, 16, 16, 50, -14});
    cases.push_back({"read-only target", ok, Path("readonly.jpg"), 10, 16, 16, 50, -14});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(ConvertToJpeg(files_, c.source, c.target, c.format, c.width, c.height, 24, c.factor),
              c.status);
  }
  EXPECT_FALSE(fs::exists(out)) << "no failure leaves an output behind";
  EXPECT_EQ(ReadImageInfo(files_, Path("none.jpg")).status, -10);
  EXPECT_EQ(ReadImageInfo(files_, Path("text.jpg")).status, -9);
}

TEST_F(ImageLibraryTest, ReplacesAnExistingTargetAndLeavesNoTemporary) {
  testing::WriteJpeg(Path("a.jpg"), MakePhoto(32, 32, 3, 8));
  testing::WriteBytes(Path("b.jpg"), {1, 2, 3});
  ASSERT_EQ(ConvertToJpeg(files_, Path("a.jpg"), Path("b.jpg"), kJpegFormat, 32, 32, 24, 100), 1);
  EXPECT_EQ(testing::ReadJpegFacts(Path("b.jpg")).width, 32);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_), fs::directory_iterator()), 2);
}

TEST(QualityFactor, RunsFromBestToSmallestWithoutRising) {
  EXPECT_EQ(JpegQualityOfFactor(2), 100);
  EXPECT_EQ(JpegQualityOfFactor(255), 1);
  for (int factor = 3; factor <= 255; ++factor) {
    EXPECT_LE(JpegQualityOfFactor(factor), JpegQualityOfFactor(factor - 1)) << factor;
  }
}

// What a page relies on: on photos, raising the factor does not make the file larger. The
// quantisation only ever gets coarser (above); the entropy coder's byte stuffing and padding
// can still move a file by a few bytes against it, which is all this allows for.
TEST(QualityFactor, AHigherFactorNeverGivesALargerFileOnSamplePhotos) {
  constexpr std::size_t kEntropyCoderNoise = 16;
  struct Sample {
    int width, height, channels;
    std::uint32_t seed;
  };
  for (const Sample& s : {Sample{160, 120, 3, 11}, Sample{120, 160, 3, 12}, Sample{97, 61, 3, 13},
                          Sample{160, 120, 1, 14}, Sample{33, 17, 3, 15}}) {
    const PixelPyramid photo(MakePhoto(s.width, s.height, s.channels, s.seed));
    JpegEncoder encoder;
    const std::size_t first = EncodePass(encoder, photo, s.width, s.height, kBestFactor).value.size();
    std::size_t smallest = first;
    for (int factor = kBestFactor + 1; factor <= kSmallestFactor; ++factor) {
      const auto jpeg = EncodePass(encoder, photo, s.width, s.height, factor);
      ASSERT_TRUE(jpeg.Ok());
      EXPECT_LE(jpeg.value.size(), smallest + kEntropyCoderNoise)
          << "seed " << s.seed << " factor " << factor;
      smallest = std::min(smallest, jpeg.value.size());
    }
    EXPECT_LT(smallest, first);
  }
}

}  // namespace
}  // namespace lumbra

namespace lumbra {
namespace {

// A pass must get the same pixels whichever passes ran before it, down to a 1 x 1 result.
TEST(PixelPyramid, ChoosesTheSameLevelWhateverWasBuiltBefore) {
  const Pixels photo = MakePhoto(100, 60, 3, 21);
  PixelPyramid used(photo);
  EXPECT_EQ(used.LevelFor(1, 1).width, 1) << "every halving built, and the halving stops";
  struct Case {
    int width, height, level_width;
  };
  for (const Case& c : {Case{1, 1, 1}, Case{25, 15, 25}, Case{26, 15, 50}, Case{50, 30, 50},
                        Case{51, 30, 100}, Case{50, 31, 100}, Case{99, 59, 100}}) {
    PixelPyramid fresh(photo);
    EXPECT_EQ(fresh.LevelFor(c.width, c.height).width, c.level_width) << c.width;
    EXPECT_EQ(used.LevelFor(c.width, c.height).data, fresh.LevelFor(c.width, c.height).data) << c.width;
  }
}

}  // namespace
}  // namespace lumbra
