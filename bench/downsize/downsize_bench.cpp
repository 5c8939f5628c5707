// Times DownSize against ImageMagick's size-targeted JPEG writer and against the floor (one
// decode and one encode at the final pass's size and level), on the photos given.
//   downsize_bench WORK_FOLDER PHOTO...
#include <spawn.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "downsize/down_size.h"
#include "downsize/image_decode.h"
#include "downsize/jpeg_pass.h"
#include "downsize/pass_runner.h"
#include "platform/base/clock.h"
#include "platform/base/registry.h"
#include "platform/ui/scripted_ui.h"

extern char** environ;

namespace lumbra {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kRepeats = 3;

std::vector<std::uint8_t> ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

template <typename Work>
double MedianSeconds(Work work) {
  std::vector<double> times;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = Clock::now();
    work();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

void RunImageMagick(const fs::path& in, const fs::path& out, int budget) {
  const std::string extent = "jpeg:extent=" + std::to_string(budget);
  std::vector<std::string> args = {"convert", in.string(), "-define", extent, out.string()};
  std::vector<char*> argv;
  for (auto& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, "convert", nullptr, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start convert");
  }
  int status = 0;
  waitpid(pid, &status, 0);
}

struct Case {
  int budget, step, level, percent;
};

struct FinalPass {
  PassParams pass;
  int passes = 0;
};

// The pass DownSize stops at, found by running the loop once more from the same pixels.
FinalPass FindFinalPass(const PixelPyramid& picture, std::int64_t file_size, const Case& c) {
  LoopStart start;
  start.size = file_size;
  start.budget = c.budget;
  start.step = c.step;
  start.percent = c.percent;
  start.first = {picture.Source().width, picture.Source().height, c.level};
  const LoopEnd end = RunPasses(start, [&picture](const PassParams& pass) {
    JpegEncoder encoder;
    return EncodePass(encoder, picture, pass.width, pass.height, static_cast<int>(pass.level));
  });
  const auto plan = PlanPasses(start.first, c.step, c.percent);
  return {plan[std::min<std::size_t>(end.passes, plan.size()) - 1], end.passes};
}

int Main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: downsize_bench WORK_FOLDER PHOTO...\n");
    return 2;
  }
  const fs::path work = argv[1];
  fs::create_directories(work);
  FileSystem files(work);
  Registry registry(work / "registry");
  VirtualClock clock;
  ScriptedUi ui;
  Services services{RootLayout{work}, files, registry, clock, ui};
  DownSize downsize(services);
  downsize.ShowErrors(0);

  std::printf("| photo | budget | nChangeCompression, nCompression, nPercent | result | DownSize s | "
              "ImageMagick s | floor s | ImageMagick / DownSize | DownSize / floor |\n");
  std::printf("|---|---|---|---|---|---|---|---|---|\n");
  for (int i = 2; i < argc; ++i) {
    const fs::path photo = argv[i];
    const auto bytes = ReadBytes(photo);
    const PixelPyramid picture(DecodeImage(bytes).value);
    const Pixels& pixels = picture.Source();
    for (const int budget : {200'000, 50'000, 20'000}) {
      for (const Case c : {Case{budget, 10, 2, 0}, Case{budget, 10, 2, 10}}) {
        const fs::path copy = work / "photo.jpg";
        int status = 0;
        const double ours = MedianSeconds([&] {
          fs::copy_file(photo, copy, fs::copy_options::overwrite_existing);
          status = downsize.DownSizeFile(copy.string(), c.budget, c.step, c.level, c.percent);
        });
        const auto result = fs::file_size(copy);
        const double magick = MedianSeconds([&] { RunImageMagick(photo, work / "magick.jpg", c.budget); });
        const FinalPass last = FindFinalPass(picture, static_cast<std::int64_t>(bytes.size()), c);
        const PassParams& final_pass = last.pass;
        const double floor = MedianSeconds([&] {
          const PixelPyramid decoded(DecodeImage(ReadBytes(photo)).value);
          JpegEncoder encoder;
          EncodePass(encoder, decoded, final_pass.width, final_pass.height,
                     static_cast<int>(final_pass.level));
        });
        std::printf("| %s %dx%d | %d | %d, %d, %d | %d: %ju bytes, %dx%d level %jd, %d passes | %.3f | %.3f | "
                    "%.3f | %.2f | %.2f |\n",
                    photo.filename().c_str(), pixels.width, pixels.height, c.budget, c.step,
                    c.level, c.percent, status, static_cast<std::uintmax_t>(result),
                    final_pass.width, final_pass.height, static_cast<std::intmax_t>(final_pass.level),
                    last.passes, ours, magick, floor, magick / ours, ours / floor);
        std::fflush(stdout);
      }
    }
  }
  return 0;
}

}  // namespace
}  // namespace lumbra

int main(int argc, char** argv) { return lumbra::Main(argc, argv); }
