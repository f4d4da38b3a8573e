// SPDX-License-Identifier: GPL-3.0-or-later
// orbitra-compile-map: turns a user map's formula program into a shared object with GCC's
// JIT library, in a process of its own, so that nothing the library does (it may end the
// process on a fatal error) can touch the program that asked.
//
//   orbitra-compile-map [--library FILE] [--option OPTION]... --version
//       prints the JIT library's version on the output stream
//   orbitra-compile-map [--library FILE] [--option OPTION]... [--lanes] --key KEY --output FILE
//       writes the program that KEY ends with (after its last ';', in hexadecimal) to FILE:
//       the functions of runs, or with --lanes the orbit diagram's lanes; --key-file FILE
//       takes the key from a file instead (a long program does not fit a command line)
//
// Exit status: 0 done, 1 the compile failed, 2 wrong arguments, 3 the library cannot be
// loaded; the reason goes to the error stream, on one line.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "compile/map_code_writer.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;
constexpr int kNoLibrary = 3;

int Fail(int status, const std::string& reason) {
  std::fprintf(stderr, "%s\n", reason.c_str());
  return status;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// The program's bytes from the key's last field.
std::optional<std::string> ProgramBytes(const std::string& key) {
  const std::size_t semicolon = key.rfind(';');
  const std::string hex = semicolon == std::string::npos ? key : key.substr(semicolon + 1);
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigit(hex[i]), low = HexDigit(hex[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

// The key from a file of at most kLongestKey bytes.
bool ReadKeyFile(const char* file, std::string& key) {
  constexpr std::size_t kLongestKey = std::size_t{64} << 20;
  std::FILE* in = std::fopen(file, "rb");
  if (in == nullptr) return false;
  key.clear();
  char block[1 << 16];
  for (std::size_t n; (n = std::fread(block, 1, sizeof block, in)) > 0;) {
    key.append(block, n);
    if (key.size() > kLongestKey) break;
  }
  const bool whole = std::ferror(in) == 0 && key.size() <= kLongestKey;
  std::fclose(in);
  return whole;
}

}  // namespace

int main(int argc, char** argv) {
  std::string library = "libgccjit.so.0";
  std::vector<std::string> options;
  std::string key, output;
  bool version = false;
  orbitra::NativeCodePart part = orbitra::NativeCodePart::Run;
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    const bool hasValue = i + 1 < argc;
    if (argument == "--version") {
      version = true;
    } else if (argument == "--lanes") {
      part = orbitra::NativeCodePart::Lanes;
    } else if (argument == "--library" && hasValue) {
      library = argv[++i];
    } else if (argument == "--option" && hasValue) {
      options.emplace_back(argv[++i]);
    } else if (argument == "--key" && hasValue) {
      key = argv[++i];
    } else if (argument == "--key-file" && hasValue) {
      if (!ReadKeyFile(argv[++i], key)) return Fail(kBadArguments, std::string("cannot read the key file ") + argv[i]);
    } else if (argument == "--output" && hasValue) {
      output = argv[++i];
    } else {
      return Fail(kBadArguments, "unexpected argument \"" + argument + "\"");
    }
  }
  if (!version && (key.empty() || output.empty())) return Fail(kBadArguments, "give --version, or --key and --output");

  std::string failure;
  const auto jit = orbitra::LoadGccJit(library, failure);
  if (!jit) return Fail(kNoLibrary, failure);
  if (version) {
    std::printf("%s\n", orbitra::GccJitVersion(*jit).c_str());
    return 0;
  }
  const std::optional<std::string> bytes = ProgramBytes(key);
  const std::optional<orbitra::UserMapProgram> program =
      bytes ? orbitra::UserMapProgram::FromKey(*bytes) : std::nullopt;
  if (!program) return Fail(kBadArguments, "the key holds no formula program");
  failure = orbitra::WriteMapCode(*jit, *program, key, options, output, part);
  if (!failure.empty()) {
    std::replace(failure.begin(), failure.end(), '\n', ' ');
    return Fail(kFailed, failure);
  }
  return 0;
}
