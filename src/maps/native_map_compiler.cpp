// SPDX-License-Identifier: GPL-3.0-or-later
#include "maps/native_map_compiler.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <math.h>
#include <signal.h>
#include <spawn.h>
#include <string.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>
#include <thread>

#include "maps/native_code_format.h"

extern char** environ;

namespace orbitra {

namespace fs = std::filesystem;

void FillNativeFunctionTables(UnaryFunction* unary, BinaryFunction* binary) noexcept {
  for (int i = 0; i < kFormulaFunctionCount; ++i) {
    const auto f = static_cast<FormulaFunction>(i);
    unary[i] = TakesTwoArguments(f) ? nullptr : UnaryFunctionOf(f);
    binary[i] = TakesTwoArguments(f) ? BinaryFunctionOf(f) : nullptr;
  }
  unary[kNearbyintSlot] = ::nearbyint;
  binary[kPowSlot] = ::pow;
  binary[kFmodSlot] = ::fmod;
}

#if !defined(ORBITRA_HAVE_GCCJIT)

bool NativeCompilerBuilt() noexcept { return false; }

NativeMapCompiler::NativeMapCompiler(NativeCompilerSettings settings)
    : settings_(std::move(settings)), unavailable_("this build has no JIT compiler") {}

#else

bool NativeCompilerBuilt() noexcept { return true; }

#endif

namespace {

// A folder of our own for one run of the helper (its temporary files, its output and its
// messages), removed with everything in it when this goes.
class PrivateFolder {
 public:
  explicit PrivateFolder(const fs::path& parent) {
    std::error_code ec;
    const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : parent;
    if (ec) {
      failure_ = "no temporary folder: " + ec.message();
      return;
    }
    std::string pattern = (base / "orbitra-compile-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      failure_ = "cannot make a temporary folder in " + base.string() + ": " + std::strerror(errno);
      return;
    }
    path_ = pattern;
  }
  ~PrivateFolder() {
    std::error_code ec;
    if (!path_.empty()) fs::remove_all(path_, ec);
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;

  const fs::path& Path() const noexcept { return path_; }
  const std::string& Failure() const noexcept { return failure_; }

 private:
  fs::path path_;
  std::string failure_;
};

std::string ReadText(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// The first line of `text` that holds more than blanks.
std::string FirstLine(const std::string& text) {
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.find_first_not_of(" \t\r") != std::string::npos) return line;
  }
  return {};
}

// How a run of the helper ended: its output and error stream, or why it did not run well.
struct HelperRun {
  bool succeeded = false;
  int exitStatus = -1;
  std::string output;
  std::string failure;  // when it did not succeed: the first line of its errors, or how it ended
};

constexpr auto kLongestCompile = std::chrono::seconds(60);

// Runs the helper with `arguments`, its temporary files in `folder` (TMPDIR), its output
// and errors in files there; waits for it (a minute at most).
HelperRun RunHelper(const fs::path& helper, const std::vector<std::string>& arguments, const fs::path& folder,
                    const std::atomic<bool>* cancel) {
  HelperRun run;
  const std::string outFile = (folder / "output.txt").string();
  const std::string errFile = (folder / "errors.txt").string();
  std::vector<std::string> words = {helper.string()};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  // The environment as it is, with TMPDIR our folder.
  std::vector<std::string> environment;
  for (char** e = environ; e != nullptr && *e != nullptr; ++e) {
    if (std::strncmp(*e, "TMPDIR=", 7) != 0) environment.emplace_back(*e);
  }
  environment.push_back("TMPDIR=" + folder.string());
  std::vector<char*> envp;
  for (std::string& entry : environment) envp.push_back(entry.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  // The helper leads a process group of its own: whatever it starts ends with it.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);
  pid_t child = 0;
  const int spawned = posix_spawn(&child, argv[0], &actions, &attributes, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (spawned != 0) {
    run.failure = "cannot start " + helper.string() + ": " + std::strerror(spawned);
    return run;
  }
  int status = 0;
  const auto deadline = std::chrono::steady_clock::now() + kLongestCompile;
  for (;;) {
    // Ended but not reaped yet: its process group cannot be another's before the group is
    // ended below.
    siginfo_t info{};
    const int waited = waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT);
    if (waited == 0 && info.si_pid == child) {
      // Anything the helper left running belongs to it: ended too.
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      break;
    }
    if (waited < 0 && errno != EINTR) {
      run.failure = std::string("lost the compiler helper: ") + std::strerror(errno);
      return run;
    }
    if (cancel != nullptr && cancel->load()) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      run.failure = "the compile was dropped";
      return run;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(-child, SIGKILL);
      waitpid(child, &status, 0);
      run.failure = "the compiler helper took more than a minute and was ended";
      return run;
    }
    std::this_thread::sleep_for(std::chrono::microseconds(500));
  }
  run.output = ReadText(outFile);
  const std::string errors = FirstLine(ReadText(errFile));
  if (WIFSIGNALED(status)) {
    const char* name = sigdescr_np(WTERMSIG(status));
    run.failure = "the compiler helper was ended by signal " + std::to_string(WTERMSIG(status)) +
                  (name != nullptr ? " (" + std::string(name) + ")" : std::string());
    if (!errors.empty()) run.failure += ": " + errors;
    return run;
  }
  run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.succeeded = run.exitStatus == 0;
  if (!run.succeeded) {
    run.failure = !errors.empty() ? errors
                                  : "the compiler helper failed (exit status " + std::to_string(run.exitStatus) + ")";
  }
  return run;
}

std::string Hexadecimal(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(2 * bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 15]);
  }
  return hex;
}

constexpr std::uint64_t kFnvStart = 14695981039346656037ull;
std::uint64_t Fnv1a(std::uint64_t hash, std::string_view bytes) {
  for (const char c : bytes) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 1099511628211ull;
  }
  return hash;
}

// 64 bits of FNV-1a, for a file name; the whole key inside the file decides.
std::string FileNameOf(std::string_view key) {
  const std::uint64_t hash = Fnv1a(kFnvStart, key);
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(hash >> (8 * i));
  return Hexadecimal(bytes) + ".so";
}

// The user's cache of compiled maps: $XDG_CACHE_HOME/orbitra/maps, or ~/.cache/orbitra/maps.
fs::path UserCacheFolder() {
  const char* xdg = std::getenv("XDG_CACHE_HOME");
  if (xdg != nullptr && fs::path(xdg).is_absolute()) return fs::path(xdg) / "orbitra" / "maps";
  const char* home = std::getenv("HOME");
  if (home != nullptr && fs::path(home).is_absolute()) return fs::path(home) / ".cache" / "orbitra" / "maps";
  return {};
}

// What the helper's file is: a new build or installation of it makes new code.
std::string FileIdentity(const fs::path& file) {
  struct stat s {};
  if (stat(file.c_str(), &s) != 0) return "?";
  return std::to_string(s.st_size) + "@" + std::to_string(s.st_mtim.tv_sec) + "." + std::to_string(s.st_mtim.tv_nsec);
}

// The line kept beside a cached shared object: its size and checksum, so that a file cut
// short or changed after it was made is never loaded.
constexpr const char* kSumSuffix = ".sum";
constexpr std::size_t kLargestCode = std::size_t{256} << 20;

// A descriptor closed when it goes.
class Descriptor {
 public:
  explicit Descriptor(int fd) noexcept : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const noexcept { return fd_; }

 private:
  int fd_;
};

// Opens a regular file for reading, never blocking on a FIFO nor following a link at its
// name; -1 for anything else.
int OpenRegular(const fs::path& file) {
  const int fd = open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return -1;
  }
  return fd;
}

// "size checksum" of what the descriptor reads from its start; nothing for a file too
// large to be code of ours or one that cannot be read.
std::optional<std::string> SumOf(int fd) {
  std::uint64_t hash = kFnvStart;
  std::size_t size = 0;
  char block[1 << 16];
  for (off_t at = 0;;) {
    const ssize_t n = pread(fd, block, sizeof block, at);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return std::nullopt;
    if (n == 0) break;
    size += static_cast<std::size_t>(n);
    if (size > kLargestCode) return std::nullopt;
    hash = Fnv1a(hash, std::string_view(block, static_cast<std::size_t>(n)));
    at += n;
  }
  std::string bytes(8, '\0');
  for (int i = 0; i < 8; ++i) bytes[i] = static_cast<char>(hash >> (8 * i));
  return std::to_string(size) + " " + Hexadecimal(bytes);
}

std::optional<std::string> SumOf(const fs::path& file) {
  const Descriptor fd(OpenRegular(file));
  return fd.Get() >= 0 ? SumOf(fd.Get()) : std::nullopt;
}

// The first line of a small regular file (the sum beside a cached object).
std::string SmallFileLine(const fs::path& file) {
  const Descriptor fd(OpenRegular(file));
  if (fd.Get() < 0) return {};
  char text[128];
  const ssize_t n = pread(fd.Get(), text, sizeof text, 0);
  return n > 0 ? FirstLine(std::string(text, static_cast<std::size_t>(n))) : std::string();
}

// Loads the shared object and checks that it was made for `key`.
NativeCompilation Load(const fs::path& file, const std::string& key, NativeCodePart part) {
  void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* reason = dlerror();
    return {nullptr, nullptr, reason != nullptr ? reason : "cannot load " + file.string()};
  }
  std::shared_ptr<void> code(handle, [](void* h) { dlclose(h); });
  const auto symbol = [handle](const char* name) { return dlsym(handle, name); };
  const auto keyOf = reinterpret_cast<const char* (*)()>(symbol(kKeySymbol));
  if (keyOf == nullptr || key != keyOf()) return {nullptr, nullptr, "the compiled code was made for other formulas"};
  auto* unary = static_cast<UnaryFunction*>(symbol(kUnaryTableSymbol));
  auto* binary = static_cast<BinaryFunction*>(symbol(kBinaryTableSymbol));
  const NativeCompilation lacking{nullptr, nullptr, "the compiled code lacks its functions"};
  if (unary == nullptr || binary == nullptr) return lacking;
  if (part == NativeCodePart::Lanes) {
    const auto lanes = reinterpret_cast<NativeLanes::LanesFunction>(symbol(kLanesSymbol));
    if (lanes == nullptr) return lacking;
    FillNativeFunctionTables(unary, binary);
    return {nullptr, std::make_shared<const NativeLanes>(lanes, std::move(code)), {}};
  }
  const auto step = reinterpret_cast<NativeUserMap::StepFunction>(symbol(kStepSymbol));
  const auto block = reinterpret_cast<NativeUserMap::BlockFunction>(symbol(kBlockSymbol));
  const auto jacobian = reinterpret_cast<NativeUserMap::JacobianFunction>(symbol(kJacobianSymbol));
  if (step == nullptr || block == nullptr || jacobian == nullptr) return lacking;
  FillNativeFunctionTables(unary, binary);
  return {std::make_shared<const NativeUserMap>(step, block, std::move(code), jacobian), nullptr, {}};
}

bool Loaded(const NativeCompilation& c) noexcept { return c.code != nullptr || c.lanes != nullptr; }

// Loads a cached object only when it is a regular file whose size and checksum are those
// written beside it when it was kept: the very file checked is loaded (through its open
// descriptor), so a file swapped in between is not.
NativeCompilation LoadCached(const fs::path& file, const std::string& key, NativeCodePart part) {
  const NativeCompilation unsound{nullptr, nullptr, "the cached code is damaged or incomplete"};
  const Descriptor fd(OpenRegular(file));
  if (fd.Get() < 0) return unsound;
  const std::optional<std::string> sum = SumOf(fd.Get());
  const fs::path sumFile = fs::path(file.string() + kSumSuffix);
  if (!sum || SmallFileLine(sumFile) != *sum) return unsound;
  return Load(fs::path("/proc/self/fd") / std::to_string(fd.Get()), key, part);
}

// Keeps the file in the cache under `name`, whole or not at all (another program may
// read the cache at the same time); false when it cannot.
bool KeepInCache(const fs::path& file, const fs::path& folder, const std::string& name) {
  static std::atomic<int> counter{0};
  std::error_code ec;
  fs::create_directories(folder, ec);
  const std::string unique = ".part-" + std::to_string(getpid()) + "-" + std::to_string(counter.fetch_add(1));
  const fs::path part = folder / (name + unique);
  const fs::path sumPart = folder / (name + kSumSuffix + unique);
  const std::optional<std::string> sum = SumOf(file);
  if (!sum) return false;
  fs::copy_file(file, part, fs::copy_options::overwrite_existing, ec);
  if (!ec) {
    std::ofstream out(sumPart, std::ios::trunc);
    out << *sum << '\n';
    out.close();
    if (!out) ec = std::make_error_code(std::errc::io_error);
  }
  // The code first, then its sum: an object without a matching sum is never loaded.
  if (!ec) fs::rename(part, folder / name, ec);
  if (!ec) fs::rename(sumPart, folder / (name + kSumSuffix), ec);
  std::error_code ignored;
  if (ec) {
    fs::remove(part, ignored);
    fs::remove(sumPart, ignored);
  }
  return !ec;
}

}  // namespace

#if defined(ORBITRA_HAVE_GCCJIT)

std::optional<fs::path> NativeMapCompiler::FindHelper(const fs::path& programFile) {
  const fs::path folder = programFile.parent_path();
  for (const fs::path& candidate :
       {folder / kCompileHelperName, folder.parent_path() / "libexec" / "orbitra" / kCompileHelperName}) {
    if (access(candidate.c_str(), X_OK) == 0 && fs::is_regular_file(candidate)) return candidate;
  }
  return std::nullopt;
}

NativeMapCompiler::NativeMapCompiler(NativeCompilerSettings settings) : settings_(std::move(settings)) {
  if (!settings_.helper.empty()) {
    helper_ = settings_.helper;
  } else {
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    if (const std::optional<fs::path> found = ec ? std::nullopt : FindHelper(self)) helper_ = *found;
  }
  if (helper_.empty()) {
    unavailable_ = std::string("the helper program ") + kCompileHelperName + " is not beside the program";
    return;
  }
  if (settings_.cache) cacheFolder_ = settings_.cacheFolder.empty() ? UserCacheFolder() : settings_.cacheFolder;

  std::vector<std::string> arguments = {"--library", settings_.library};
  for (const std::string& option : settings_.extraOptions) {
    arguments.push_back("--option");
    arguments.push_back(option);
  }
  arguments.push_back("--version");
  const PrivateFolder folder(settings_.temporaryFolder);
  if (!folder.Failure().empty()) {
    unavailable_ = folder.Failure();
    return;
  }
  const HelperRun run = RunHelper(helper_, arguments, folder.Path(), settings_.cancel);
  if (!run.succeeded) {
    unavailable_ = run.failure;
    return;
  }
  keyPrefix_ = "orbitra map code " + std::to_string(kNativeCodeFormat) + ";" + FirstLine(run.output) + ";" +
               FileIdentity(helper_) + ";";
  for (const std::string& option : settings_.extraOptions) keyPrefix_ += option + " ";
  keyPrefix_ += ";";
}

NativeCompilation NativeMapCompiler::Compile(const UserMapProgram& program, NativeCodePart part) const {
  if (!unavailable_.empty()) return {nullptr, nullptr, unavailable_};
  std::vector<std::string> options = settings_.extraOptions;
  std::string kind;
  if (part == NativeCodePart::Lanes) {
    kind = "lanes;";
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
    // Four lanes to a register where the processor can; in the key, so that code made here
    // never runs on a processor without.
    if (__builtin_cpu_supports("avx2")) {
      options.emplace_back("-mavx2");
      kind = "lanes avx2;";
    }
#endif
  }
  const std::string key = keyPrefix_ + kind + Hexadecimal(program.Key());
  const std::string name = FileNameOf(key);
  if (!cacheFolder_.empty()) {
    std::error_code ec;
    const fs::path cached = cacheFolder_ / name;
    if (fs::exists(fs::symlink_status(cached, ec))) {
      NativeCompilation loaded = LoadCached(cached, key, part);
      if (Loaded(loaded)) {
        loaded.fromCache = true;
        return loaded;
      }
      // Damaged, unfinished, no file at all, or another program's: made again below.
      fs::remove(cached, ec);
      fs::remove(fs::path(cached.string() + kSumSuffix), ec);
    }
  }

  const PrivateFolder folder(settings_.temporaryFolder);
  if (!folder.Failure().empty()) return {nullptr, nullptr, folder.Failure()};
  const fs::path output = folder.Path() / "map.so";
  std::vector<std::string> arguments = {"--library", settings_.library};
  for (const std::string& option : options) {
    arguments.push_back("--option");
    arguments.push_back(option);
  }
  if (part == NativeCodePart::Lanes) arguments.emplace_back("--lanes");
  // The key holds the whole program, which may be longer than a command line can be.
  const fs::path keyFile = folder.Path() / "key.txt";
  {
    std::ofstream out(keyFile, std::ios::binary | std::ios::trunc);
    out << key;
    out.close();
    if (!out) return {nullptr, nullptr, "cannot write " + keyFile.string()};
  }
  arguments.insert(arguments.end(), {"--key-file", keyFile.string(), "--output", output.string()});
  const HelperRun run = RunHelper(helper_, arguments, folder.Path(), settings_.cancel);
  if (!run.succeeded) return {nullptr, nullptr, run.failure};
  if (!cacheFolder_.empty() && KeepInCache(output, cacheFolder_, name)) {
    NativeCompilation loaded = LoadCached(cacheFolder_ / name, key, part);
    if (Loaded(loaded)) return loaded;
  }
  // No cache, or it cannot be written: loaded from here (the code stays mapped after the
  // folder is gone).
  return Load(output, key, part);
}

#else

std::optional<fs::path> NativeMapCompiler::FindHelper(const fs::path&) { return std::nullopt; }

NativeCompilation NativeMapCompiler::Compile(const UserMapProgram&, NativeCodePart) const {
  return {nullptr, nullptr, unavailable_};
}

#endif

NativeMapCompiler::~NativeMapCompiler() = default;

}  // namespace orbitra
