// nivarel-process-bench: the nivarel-jpeg tool against djpeg as a user runs
// them, whole processes from a JPEG file to a PPM file, start-up, reading
// and writing included.  Prints one table.
//
//   nivarel-process-bench [--runs N] NIVAREL_JPEG DJPEG IMAGE.jpg ...
//
// Each picture is decoded by the tool on its MMX path (`--mmx`) and its plain
// path (`--no-mmx`), and by `djpeg -dct int -nosmooth -ppm`, the settings the
// tool's pictures match.  After one untimed run of each (which puts the files
// in the page cache), the three take turns for N rounds (default 7), the
// starting one moving on each round.  The output file is removed before every
// run, so that no run pays for dropping the previous run's pages.
//
// Measurement: the processor time (user + system) of the fastest run, taken
// from the kernel's accounting of the finished child, which leaves out the
// time other processes held the core; and the largest peak resident memory
// of any run.  Ratios above 1: the tool needs more.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Measure {
  double cpuMs = 0.0;
  double peakMb = 0.0;
};

[[noreturn]] void Fail(const std::string& message) {
  std::fprintf(stderr, "nivarel-process-bench: %s\n", message.c_str());
  std::exit(1);
}

double Milliseconds(const timeval& t) { return t.tv_sec * 1e3 + t.tv_usec / 1e3; }

// Runs the command to its end; its processor time and peak resident memory.
// Its standard output and error go to /dev/null; it must exit with 0.
Measure RunOnce(const std::vector<std::string>& command) {
  std::vector<char*> argv;
  for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  std::fflush(stdout);  // else the child would write out what is still buffered
  const pid_t child = fork();
  if (child < 0) Fail("cannot start " + command[0]);
  if (child == 0) {
    if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) _exit(127);
    execv(argv[0], argv.data());
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::string line;
    for (const std::string& arg : command) line += " " + arg;
    Fail("this failed:" + line);
  }
  // ru_maxrss is in kilobytes on Linux.
  return {Milliseconds(usage.ru_utime) + Milliseconds(usage.ru_stime), usage.ru_maxrss / 1024.0};
}

enum Contender { kMmx, kLlm, kDjpeg, kContenderCount };

std::vector<std::string> CommandFor(Contender contender, const std::string& tool,
                                    const std::string& djpeg, const std::string& image,
                                    const std::string& output) {
  switch (contender) {
    case kMmx: return {tool, "--mmx", image, output};
    case kLlm: return {tool, "--no-mmx", image, output};
    default: return {djpeg, "-dct", "int", "-nosmooth", "-ppm", "-outfile", output, image};
  }
}

void TimeImage(const std::string& tool, const std::string& djpeg, const std::string& image,
               const std::string& output, int runs) {
  Measure best[kContenderCount];
  for (int i = 0; i < kContenderCount; ++i) {
    std::remove(output.c_str());
    RunOnce(CommandFor(static_cast<Contender>(i), tool, djpeg, image, output));
    best[i] = {1e300, 0.0};
  }
  for (int round = 0; round < runs; ++round) {
    for (int turn = 0; turn < kContenderCount; ++turn) {
      const auto contender = static_cast<Contender>((round + turn) % kContenderCount);
      std::remove(output.c_str());
      const Measure m = RunOnce(CommandFor(contender, tool, djpeg, image, output));
      best[contender].cpuMs = std::min(best[contender].cpuMs, m.cpuMs);
      best[contender].peakMb = std::max(best[contender].peakMb, m.peakMb);
    }
  }
  std::remove(output.c_str());
  const double toolMb = std::max(best[kMmx].peakMb, best[kLlm].peakMb);
  const size_t slash = image.find_last_of('/');
  const std::string name = slash == std::string::npos ? image : image.substr(slash + 1);
  std::printf("%-30s %8.1f %8.1f %8.1f %9.2f %9.2f %8.1f %8.1f %8.2f\n", name.c_str(),
              best[kMmx].cpuMs, best[kLlm].cpuMs, best[kDjpeg].cpuMs,
              best[kMmx].cpuMs / best[kDjpeg].cpuMs, best[kLlm].cpuMs / best[kDjpeg].cpuMs, toolMb,
              best[kDjpeg].peakMb, toolMb / best[kDjpeg].peakMb);
  std::fflush(stdout);
}

const char kUsage[] = "usage: nivarel-process-bench [--runs N] NIVAREL_JPEG DJPEG IMAGE.jpg ...\n";

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  std::vector<std::string> arguments;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--runs" && i + 1 < argc) {
      runs = std::max(1, std::atoi(argv[++i]));
    } else if (!arg.empty() && arg[0] == '-') {
      std::fputs(kUsage, stderr);
      return 2;
    } else {
      arguments.push_back(arg);
    }
  }
  if (arguments.size() < 3) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const char* tmp = std::getenv("TMPDIR");
  std::string scratch = std::string(tmp && *tmp ? tmp : "/tmp") + "/nivarel-process-bench-XXXXXX";
  if (!mkdtemp(scratch.data())) Fail("cannot make a scratch folder");
  const std::string output = scratch + "/out.ppm";

  std::printf("whole process, file to file: processor time (user + system) of the fastest of %d "
              "runs, largest peak resident memory\n", runs);
  std::printf("%-30s %8s %8s %8s %9s %9s %8s %8s %8s\n", "image", "mmx ms", "llm ms", "djpeg ms",
              "mmx/djpeg", "llm/djpeg", "tool MB", "djpeg MB", "MB ratio");
  for (size_t i = 2; i < arguments.size(); ++i) {
    TimeImage(arguments[0], arguments[1], arguments[i], output, runs);
  }
  rmdir(scratch.c_str());
  return 0;
}
