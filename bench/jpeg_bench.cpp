// nivarel-bench: how fast the program's JPEG decoder is next to libjpeg-turbo
// and stb_image, all decoding the same pictures from memory in one process.
//
//   nivarel-bench [--seconds S] [IMAGE.jpg ...]
//
// Without images it times the saver's two textures and the two pictures the
// build makes for the benchmark (a progressive 1024 x 1024 and a baseline
// 4096 x 4096).  Before timing a picture it checks that the decoder's fast
// engine gives exactly the reference engine's bytes on both paths, and stops
// with exit code 1 when it does not.
//
// Measurement: the decoders take turns within every round (the starting one
// moves on each round), so a change of load on the machine hits them alike;
// rounds repeat until about S seconds (default 1.5) went into the picture,
// and the table shows each decoder's fastest round.  Rounds are timed in the
// thread's processor time, which leaves out the time other processes held
// the core; the decoders run on one thread, so on an idle machine it equals
// the wall-clock time.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "bench/bench_decoders.h"
#include "image/cpu_features.h"

namespace {

constexpr int kMinimumRounds = 5;
constexpr int kMaximumRounds = 100000;

struct Contender {
  const char* column;
  bool (*decode)(const std::vector<uint8_t>& jpeg, DecodedPicture& picture);
};

bool OursMmx(const std::vector<uint8_t>& jpeg, DecodedPicture& picture) {
  return DecodeWithOurs(jpeg, true, JpegEngine::Fast, picture);
}

bool OursPlain(const std::vector<uint8_t>& jpeg, DecodedPicture& picture) {
  return DecodeWithOurs(jpeg, false, JpegEngine::Fast, picture);
}

// The table's column order; the ratio columns refer to these positions.
const Contender kContenders[] = {
    {"mmx", OursMmx},
    {"llm", OursPlain},
    {"turbo", DecodeWithLibjpegTurbo},
    {"stb", DecodeWithStbImage},
};
constexpr int kContenderCount = static_cast<int>(std::size(kContenders));
enum ContenderIndex { kMmx, kLlm, kTurbo, kStb };

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "nivarel-bench: %s\n", message.c_str());
  std::exit(1);
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail("cannot read " + path);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string BaseName(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The speed work must never change a pixel: the fast engine, in both its
// forms, has to give the reference engine's bytes on the MMX path and on the
// plain one.
void CheckFastMatchesReference(const std::string& name, const std::vector<uint8_t>& jpeg) {
  const std::pair<JpegEngine, const char*> engines[] = {
      {JpegEngine::Fast, "the fast engine"},
      {JpegEngine::FastPortable, "the portable fast engine"}};
  for (const bool useMmx : {true, false}) {
    const std::string path = useMmx ? "MMX path" : "plain path";
    DecodedPicture reference;
    if (!DecodeWithOurs(jpeg, useMmx, JpegEngine::Reference, reference)) {
      Fail(name + ": the reference engine refuses the picture (" + path + ")");
    }
    for (const auto& [engine, engineName] : engines) {
      const std::string which = engineName;
      DecodedPicture fast;
      if (!DecodeWithOurs(jpeg, useMmx, engine, fast)) {
        Fail(name + ": " + which + " refuses the picture (" + path + ")");
      }
      if (fast.width != reference.width || fast.height != reference.height ||
          fast.bytesPerPixel != reference.bytesPerPixel) {
        Fail(name + ": " + which + "'s picture has another shape than the reference's (" + path +
             ")");
      }
      const auto mismatch =
          std::mismatch(fast.pixels.begin(), fast.pixels.end(), reference.pixels.begin());
      if (mismatch.first != fast.pixels.end()) {
        const size_t offset = static_cast<size_t>(mismatch.first - fast.pixels.begin());
        const size_t rowBytes = static_cast<size_t>(fast.width) * fast.bytesPerPixel;
        Fail(name + ": " + which + " differs from the reference on the " + path + " at line " +
             std::to_string(offset / rowBytes) + ", pixel " +
             std::to_string(offset % rowBytes / fast.bytesPerPixel) + " (fast " +
             std::to_string(*mismatch.first) + ", reference " + std::to_string(*mismatch.second) +
             ")");
      }
    }
  }
}

// The processor time this thread has used: unlike the wall clock, it does not
// count the time another process held the core.
double ThreadCpuMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

double DecodeMilliseconds(const Contender& contender, const std::vector<uint8_t>& jpeg,
                          DecodedPicture& picture, const std::string& name) {
  const double start = ThreadCpuMilliseconds();
  const bool decoded = contender.decode(jpeg, picture);
  const double end = ThreadCpuMilliseconds();
  if (!decoded) Fail(name + ": " + contender.column + " refuses the picture");
  return end - start;
}

struct Timing {
  double fastestMs[kContenderCount];
  int rounds = 0;
};

// One untimed round warms caches and sizes the buffers; then rounds of every
// decoder in turn until the time budget is spent.
Timing TimeInterleaved(const std::string& name, const std::vector<uint8_t>& jpeg, double seconds) {
  DecodedPicture pictures[kContenderCount];
  for (int i = 0; i < kContenderCount; ++i)
    DecodeMilliseconds(kContenders[i], jpeg, pictures[i], name);
  Timing timing;
  std::fill(std::begin(timing.fastestMs), std::end(timing.fastestMs),
            std::numeric_limits<double>::max());
  double spentMs = 0.0;
  while (timing.rounds < kMaximumRounds &&
         (timing.rounds < kMinimumRounds || spentMs < seconds * 1000.0)) {
    for (int turn = 0; turn < kContenderCount; ++turn) {
      const int i = (timing.rounds + turn) % kContenderCount;
      const double ms = DecodeMilliseconds(kContenders[i], jpeg, pictures[i], name);
      timing.fastestMs[i] = std::min(timing.fastestMs[i], ms);
      spentMs += ms;
    }
    ++timing.rounds;
  }
  return timing;
}

std::string MachineLine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string model = "unknown processor";
  for (std::string line; std::getline(cpuinfo, line);) {
    if (line.rfind("model name", 0) == 0 && line.find(':') != std::string::npos) {
      model = line.substr(line.find(':') + 2);
      break;
    }
  }
  return "machine: " + model + ", " + std::to_string(std::thread::hardware_concurrency()) +
         " logical cores; AVX2 " + (ProcessorHasAvx2() ? "used" : "not used") +
         ", fast bit deposit " + (ProcessorDepositsBitsFast() ? "used" : "not used");
}

void PrintHeader() {
  std::printf("%-22s %8s %8s %8s %8s %9s %9s %8s %8s %6s\n", "image", "mmx ms", "llm ms",
              "turbo ms", "stb ms", "mmx/turbo", "llm/turbo", "mmx/stb", "llm/stb", "rounds");
}

void PrintRow(const std::string& name, const Timing& t) {
  const double* ms = t.fastestMs;
  std::printf("%-22s %8.2f %8.2f %8.2f %8.2f %9.2f %9.2f %8.2f %8.2f %6d\n", name.c_str(), ms[kMmx],
              ms[kLlm], ms[kTurbo], ms[kStb], ms[kMmx] / ms[kTurbo], ms[kLlm] / ms[kTurbo],
              ms[kMmx] / ms[kStb], ms[kLlm] / ms[kStb], t.rounds);
  std::fflush(stdout);
}

std::vector<std::string> DefaultImages() {
  const std::string resources = NIVAREL_BENCH_RESOURCES;
  const std::string generated = NIVAREL_BENCH_GENERATED;
  return {resources + "/world.jpg", resources + "/backdrop.jpg",
          generated + "/progressive-1024.jpg", generated + "/baseline-4096.jpg"};
}

const char kUsage[] = "usage: nivarel-bench [--seconds S] [IMAGE.jpg ...]\n";

}  // namespace

int main(int argc, char** argv) {
  double seconds = 1.5;
  std::vector<std::string> images;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--seconds" && i + 1 < argc) {
      seconds = std::atof(argv[++i]);
    } else if (!arg.empty() && arg[0] == '-') {
      std::fputs(kUsage, stderr);
      return 2;
    } else {
      images.push_back(arg);
    }
  }
  if (images.empty()) images = DefaultImages();

  std::printf("%s\n", MachineLine().c_str());
  std::printf(
      "ms: processor time of the fastest of the interleaved rounds, about %.1f s per image\n",
      seconds);
  PrintHeader();
  for (const std::string& path : images) {
    const std::string name = BaseName(path);
    const std::vector<uint8_t> jpeg = ReadFile(path);
    CheckFastMatchesReference(name, jpeg);
    PrintRow(name, TimeInterleaved(name, jpeg, seconds));
  }
  return 0;
}
