// DownSize: the loop's outcomes, texts and files, and that the fast loop writes exactly the
// file the pass-by-pass loop through the image library writes.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "downsize/down_size.h"
#include "downsize/image_library.h"
#include "downsize/pass_plan.h"
#include "platform/automation/com_error.h"
#include "platform/base/clock.h"
#include "platform/base/registry.h"
#include "platform/ui/scripted_ui.h"
#include "sample_images.h"

namespace lumbra {
namespace {

namespace fs = std::filesystem;
using testing::MakePhoto;
using Names = std::vector<std::string>;

class DownSizeTest : public ::testing::Test {
 protected:
  DownSizeTest()
      : root_(fs::temp_directory_path() /
              ("tamsel_ds_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())),
        files_(root_),
        registry_(root_ / "registry"),
        services_{RootLayout{root_}, files_, registry_, clock_, ui_} {
    fs::remove_all(root_);
    fs::create_directories(Photos());
  }
  ~DownSizeTest() override {
    fs::permissions(Photos(), fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(root_);
  }

  fs::path Photos() const { return root_ / "drive_c" / "photos"; }
  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Photos())) names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
  FileSystem files_;
  Registry registry_;
  VirtualClock clock_;
  ScriptedUi ui_;
  Services services_;
  DownSize downsize_{services_};
};

TEST_F(DownSizeTest, AFileAlreadySmallRunsNoPassButIsBackedUp) {
  testing::WriteJpeg(Photos() / "photo.jpg", MakePhoto(64, 48, 3, 1));
  const auto before = testing::ReadBytes(Photos() / "photo.jpg");
  EXPECT_EQ(downsize_.DownSizeFile("C:\\photos\\photo.jpg", 1'000'000, 10, 20, 0), 1);
  EXPECT_EQ(FolderEntries(), (Names{"photo.jpg", "photo.jpg.BAK"}));
  EXPECT_EQ(testing::ReadBytes(Photos() / "photo.jpg"), before);
  EXPECT_EQ(testing::ReadBytes(Photos() / "photo.jpg.BAK"), before);
  EXPECT_TRUE(ui_.Journal().empty());
}

TEST_F(DownSizeTest, ABitmapAboveTheBudgetGetsAJpegBesideIt) {
  testing::WriteBmp(Photos() / "photo.bmp", MakePhoto(200, 150, 3, 2));
  EXPECT_EQ(downsize_.DownSizeFile("C:\\Photos\\photo.bmp", 6000, 10, 2, 0), 1);
  EXPECT_EQ(FolderEntries(), (Names{"PHOTO.JPG", "photo.bmp", "photo.bmp.BAK"}));
  EXPECT_LE(fs::file_size(Photos() / "PHOTO.JPG"), 6000u);
  const auto facts = testing::ReadJpegFacts(Photos() / "PHOTO.JPG");
  EXPECT_EQ(facts.width, 200) << "nPercent 0 keeps the size";
  EXPECT_EQ(facts.height, 150);
  EXPECT_TRUE(ui_.Journal().empty());
}

TEST_F(DownSizeTest, AJpegIsReplacedInPlaceWhateverTheCaseOfItsName) {
  testing::WriteJpeg(Photos() / "Photo.Jpg", MakePhoto(120, 90, 3, 3));
  const auto original = testing::ReadBytes(Photos() / "Photo.Jpg");
  EXPECT_EQ(downsize_.DownSizeFile("c:\\PHOTOS\\photo.jpg", 2500, 20, 2, 0), 1);
  EXPECT_EQ(FolderEntries(), (Names{"Photo.Jpg", "Photo.Jpg.BAK"}));
  EXPECT_LE(fs::file_size(Photos() / "Photo.Jpg"), 2500u);
  EXPECT_EQ(testing::ReadBytes(Photos() / "Photo.Jpg.BAK"), original);
}

TEST_F(DownSizeTest, OutcomesAndTheirMessages) {
  struct Case {
    const char* what;
    int budget, step, level, percent;
    int status;
    std::vector<std::string> shown;
  };
  const std::vector<Case> cases = {
      {"level 300: no pass", 1000, 10, 300, 0, -9999,
       {"Could not downsize image enough to achieve requested size."}},
      {"level 2 below the budget: 106 chosen, not shown", 1'000'000, 10, 2, 0, 1, {}},
      {"100 % is not quite all: 1 x 1 stays, to the pass bound", 100, 10, 2, 100, -9999,
       {"Could not downsize image enough to achieve requested size."}},
      {"dimensions gone at the second pass", 100, 10, 2, 150, -11,
       {"Could not downsize image.  Error #-11"}},
      {"level below the best", 100, 10, 1, 0, -13, {"Could not downsize image.  Error #-13"}},
      {"no step and no shrinking: the pass bound", 100, 0, 50, 0, -9999,
       {"Could not downsize image enough to achieve requested size."}},
      {"level runs past 255", 100, 100, 2, 0, -9999,
       {"Could not downsize image enough to achieve requested size."}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    testing::WriteJpeg(Photos() / "photo.jpg", MakePhoto(64, 48, 3, 4));
    ui_.ClearJournal();
    EXPECT_EQ(downsize_.DownSizeFile("C:\\PHOTOS\\PHOTO.JPG", c.budget, c.step, c.level, c.percent),
              c.status);
    EXPECT_EQ(ui_.MessageTexts(), c.shown);
  }
}

TEST_F(DownSizeTest, UnusableFilesGiveTheirMessages) {
  testing::WriteBytes(Photos() / "notes.jpg", {'n', 'o', 't', ' ', 'a', 'n', ' ', 'i', 'm', 'a', 'g', 'e'});
  EXPECT_EQ(downsize_.DownSizeFile("C:\\PHOTOS\\NOTES.JPG", 5, 10, 2, 0), -9);
  testing::WriteJpeg(Photos() / "locked.jpg", MakePhoto(64, 48, 3, 5));
  const auto original = testing::ReadBytes(Photos() / "locked.jpg");
  fs::permissions(Photos() / "locked.jpg", fs::perms::owner_read);
  const bool root = ::geteuid() == 0;  // permissions do not stop root
  EXPECT_EQ(ui_.MessageTexts().front(), "ERROR: Invalid file format.");
  if (!root) {
    EXPECT_EQ(downsize_.DownSizeFile("C:\\PHOTOS\\LOCKED.JPG", 500, 10, 2, 0), -14);
    EXPECT_EQ(ui_.MessageTexts().back(),
              "File cannot be opened.  It may already be open or may be read-only. ");
    EXPECT_EQ(testing::ReadBytes(Photos() / "locked.jpg"), original);
  }
}

TEST_F(DownSizeTest, AMissingFileFailsTheCallWithOrWithoutAMessage) {
  for (const bool show : {true, false}) {
    SCOPED_TRACE(show);
    ui_.ClearJournal();
    downsize_.ShowErrors(show ? 1 : 0);
    try {
      downsize_.DownSizeFile("C:\\PHOTOS\\NONE.JPG", 1000, 10, 2, 0);
      ADD_FAILURE() << "the call succeeded";
    } catch (const ComError& error) {
      EXPECT_EQ(error.Code(), -9998);
    }
    EXPECT_EQ(ui_.MessageTexts(), show ? Names{"ERROR: File not found."} : Names{});
  }
  EXPECT_TRUE(FolderEntries().empty());
}

TEST_F(DownSizeTest, ErrorStringsThroughTheInterface) {
  const std::vector<std::pair<int, std::string>> table = {
      {-1, "Not enough memory available"}, {-2, "Invalid bitmap handle"},
      {-3, "Not enough memory available"}, {-4, "Error seeking to position"},
      {-5, "Error writing file"}, {-6, "File not present - abort"},
      {-7, "Error reading file"}, {-8, "Invalid filename specified"},
      {-9, "Invalid file format"}, {-10, "File not found"},
      {-11, "Invalid width/height"}, {-12, "Image format recognized, but sub-type not supported"},
      {-13, "Invalid parameter passed"}, {-14, "Not able to open file"},
      {-15, "Unknown compression format"}, {-16, "Feature not supported"},
      {-9998, "File not found"}, {-9999, "Can't compress any further"},
      {0, "Unknown error value"}, {1, "Unknown error value"}, {5, "Unknown error value"},
      {-17, "Unknown error value"}};
  for (const auto& [code, text] : table) {
    EXPECT_EQ(downsize_.Call("GetErrorString", {Variant(code)}).ToText(), text) << code;
  }
}

TEST_F(DownSizeTest, TheInterfaceCarriesTheCallAndItsFailure) {
  testing::WriteJpeg(Photos() / "photo.jpg", MakePhoto(64, 48, 3, 6));
  EXPECT_EQ(downsize_.Call("DownSize", {Variant("C:\\photos\\photo.jpg"), Variant(1'000'000),
                                        Variant(10), Variant(2), Variant(0)})
                .ToI4(),
            1);
  downsize_.Call("ShowErrors", {Variant(std::int16_t{0})});
  try {
    downsize_.Call("DownSize", {Variant("C:\\photos\\other.jpg"), Variant(1), Variant(10),
                                Variant(2), Variant(0)});
    ADD_FAILURE() << "the call succeeded";
  } catch (const ComError& error) {
    EXPECT_EQ(error.Code(), -9998);
  }
  EXPECT_TRUE(ui_.Journal().empty());
}

TEST(PassPlan, ShrinksByTruncatedPercentagesThatCompound) {
  EXPECT_EQ(PercentOf(640, 10), 63) << "10 % of 640 with the single-precision 0.01";
  const auto passes = PlanPasses({640, 480, 2}, 10, 10);
  ASSERT_GE(passes.size(), 3u);
  EXPECT_EQ(passes[0], (PassParams{640, 480, 2}));
  EXPECT_EQ(passes[1], (PassParams{577, 433, 12}));
  EXPECT_EQ(passes[2], (PassParams{520, 390, 22}));
  EXPECT_EQ(passes.back().level, 252);
  EXPECT_EQ(PlanPasses({640, 480, 2}, 10, 0)[5], (PassParams{640, 480, 52}));
  EXPECT_EQ(PlanPasses({40, 30, 2}, 0, 0).size(), 1u) << "a repeated pass ends the plan";
  EXPECT_EQ(PlanPasses({10, 10, 2}, 0, 5).size(), 1u) << "T = 0 for small sides";
}

// The loop as it reads: every pass decodes the backup and writes the output file through the
// image library, and the next pass starts from the written file's size.
struct ReferenceResult {
  int status = 1;
  std::vector<std::uint8_t> output;
};

ReferenceResult ReferenceLoop(const FileSystem& files, const fs::path& file, int budget, int step,
                              int level, int percent, const fs::path& output) {
  const std::string source = file.string() + ".BAK";
  fs::copy_file(file, source, fs::copy_options::overwrite_existing);
  std::int64_t size = static_cast<std::int64_t>(fs::file_size(file));
  const ImageInfo info = ReadImageInfo(files, file.string());
  int width = info.width, height = info.height, passes = 0, status = 1;
  const auto shrink = [percent](int d) {
    return d > 0 && percent > 0
               ? d - static_cast<int>(percent * static_cast<double>(0.01f) * d)
               : d;
  };
  while (size > budget && status == 1 && level < 256 && passes < kMaxPasses) {
    if (passes > 0) {
      width = shrink(width);
      height = shrink(height);
    }
    status = ConvertToJpeg(files, source, output.string(), kJpegFormat, width, height,
                           info.bits_per_pixel, level);
    if (fs::exists(output)) size = static_cast<std::int64_t>(fs::file_size(output));
    level += step;
    ++passes;
  }
  if (status == 1 && size > budget && (level > 255 || passes == kMaxPasses)) status = -9999;
  return {status, fs::exists(output) ? testing::ReadBytes(output) : std::vector<std::uint8_t>{}};
}

TEST_F(DownSizeTest, WritesTheFileThePassByPassLoopWrites) {
  struct Case {
    const char* what;
    int width, height, channels, budget, step, level, percent;
  };
  const std::vector<Case> cases = {
      {"levels only", 160, 120, 3, 3000, 10, 2, 0},
      {"levels and shrinking", 160, 120, 3, 1500, 10, 2, 10},
      {"grey, fine steps", 96, 72, 1, 900, 3, 2, 5},
      {"never small enough", 64, 48, 3, 200, 25, 2, 0},
      {"shrinking to nothing", 64, 48, 3, 50, 10, 2, 60},
      {"no step: the pass bound", 24, 16, 3, 300, 0, 60, 1},
  };
  ui_.Queue("ok");
  downsize_.ShowErrors(0);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const Pixels photo = MakePhoto(c.width, c.height, c.channels, 7);
    fs::create_directories(Photos() / "reference");
    testing::WritePng(Photos() / "reference" / "photo.png", photo);
    testing::WritePng(Photos() / "photo.png", photo);
    const auto expected = ReferenceLoop(files_, Photos() / "reference" / "photo.png", c.budget,
                                        c.step, c.level, c.percent, Photos() / "reference" / "PHOTO.JPG");
    EXPECT_EQ(downsize_.DownSizeFile("C:\\PHOTOS\\PHOTO.PNG", c.budget, c.step, c.level, c.percent),
              expected.status);
    const auto written = fs::exists(Photos() / "PHOTO.JPG") ? testing::ReadBytes(Photos() / "PHOTO.JPG")
                                                             : std::vector<std::uint8_t>{};
    EXPECT_EQ(written, expected.output);
    fs::remove_all(Photos() / "reference");
    fs::remove(Photos() / "PHOTO.JPG");
  }
}

}  // namespace
}  // namespace lumbra
