// SPDX-License-Identifier: GPL-3.0-or-later
// The session file's reader against damaged and hostile files, each made here from a
// sound session by the HDF5 library itself (or by flipping bytes).
#include <gtest/gtest.h>
#include <hdf5.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "storage/session_file.h"
#include "support/temp_work_dir.h"

namespace orbitra {
namespace {

using testing::TempWorkDir;

std::vector<StoredPoint> Points(std::size_t n, double seed) {
  std::vector<StoredPoint> points(n);
  for (std::size_t i = 0; i < n; ++i) {
    points[i] = StoredPoint{seed + 0.001 * static_cast<double>(i), -seed * static_cast<double>(i),
                            static_cast<std::uint8_t>(i % 13), {}};
  }
  return points;
}

void WriteStream(const std::filesystem::path& file, const std::vector<StoredPoint>& points) {
  std::ofstream out(file, std::ios::binary);
  out.write(reinterpret_cast<const char*>(points.data()), static_cast<std::streamsize>(points.size() * sizeof(StoredPoint)));
}

SessionContent SomeContent() {
  SessionContent content;
  content.groups["map"] = {{"name", std::string("Henon")}, {"k1", 1.4}, {"system", std::int64_t{2}}};
  content.groups["boxes"] = {{"show_axes", std::int64_t{1}}};
  content.groups["boxes/xy"] = {{"xmin", -1.5}, {"label", std::string("X-Y")}};
  content.groups["store"] = {{"buf", std::int64_t{5}}};
  content.texts["group/lines"] = {"0.1 0.2 3", "", "0.3 0.4 5"};
  return content;
}

// A sound session of `streamPoints` stream points and 5 buffer points, at dir/name.
std::filesystem::path SoundSession(const TempWorkDir& dir, const std::string& name, std::size_t streamPoints = 40) {
  const std::vector<StoredPoint> buffer = Points(5, 0.5);
  WriteStream(dir.File("stream.bin"), Points(streamPoints, 0.25));
  const SessionPoints points{buffer, dir.File("stream.bin"), static_cast<std::int64_t>(streamPoints)};
  EXPECT_FALSE(WriteSessionFile(dir.File(name), SomeContent(), points));
  return dir.File(name);
}

// Changes a written session with the library: `change` gets the open file.
template <typename Change>
void Alter(const std::filesystem::path& file, Change change) {
  const hid_t h5 = H5Fopen(file.c_str(), H5F_ACC_RDWR, H5P_DEFAULT);
  ASSERT_GE(h5, 0);
  change(h5);
  ASSERT_GE(H5Fclose(h5), 0);
}

std::string Refusal(const TempWorkDir& dir, const std::filesystem::path& file) {
  const SessionReading read = ReadSessionFile(file, dir.File("copy.bin"));
  return read.failure ? *read.failure : std::string("read");
}

std::string Expected(const std::filesystem::path& file, const std::string& reason) {
  return "Cannot open the session \"" + file.string() + "\": " + reason;
}

// A point dataset of `count` points at `path` made with the given creation properties and
// never written.
void PlantPoints(hid_t h5, const char* path, hsize_t count, hid_t dcpl) {
  H5Ldelete(h5, path, H5P_DEFAULT);
  const hid_t type = H5Tcreate(H5T_COMPOUND, 17);
  H5Tinsert(type, "x", 0, H5T_IEEE_F64LE);
  H5Tinsert(type, "y", 8, H5T_IEEE_F64LE);
  H5Tinsert(type, "colour", 16, H5T_STD_U8LE);
  const hid_t space = H5Screate_simple(1, &count, nullptr);
  const hid_t set = H5Dcreate2(h5, path, type, space, H5P_DEFAULT, dcpl, H5P_DEFAULT);
  EXPECT_GE(set, 0);
  H5Dclose(set);
  H5Sclose(space);
  H5Tclose(type);
}

TEST(SessionFile, ALongStreamTheBufferTextsAndAttributesComeBackToTheBit) {
  TempWorkDir dir;
  // More than one block of the stream's copy each way.
  const std::filesystem::path file = SoundSession(dir, "long.orbitra.h5", 40000);
  const SessionReading read = ReadSessionFile(file, dir.File("copy.bin"));
  ASSERT_FALSE(read.failure) << *read.failure;
  EXPECT_EQ(read.streamPoints, 40000);
  EXPECT_EQ(dir.Read("copy.bin"), dir.Read("stream.bin"));
  const std::vector<StoredPoint> buffer = Points(5, 0.5);
  ASSERT_EQ(read.content.buffer.size(), 5u);
  EXPECT_EQ(std::memcmp(read.content.buffer.data(), buffer.data(), 5 * sizeof(StoredPoint)), 0);
  EXPECT_EQ(read.content.texts.at("group/lines"), (std::vector<std::string>{"0.1 0.2 3", "", "0.3 0.4 5"}));
  EXPECT_EQ(read.content.groups.at("boxes/xy").at("label"), SessionValue(std::string("X-Y")));
  EXPECT_EQ(read.content.groups.at("map").at("k1"), SessionValue(1.4));
}

TEST(SessionFile, TextsAndNumbersAsOtherWritersStoreThemAreRead) {
  TempWorkDir dir;
  const std::filesystem::path file = SoundSession(dir, "h5py.orbitra.h5");
  Alter(file, [](hid_t h5) {
    const hid_t map = H5Gopen2(h5, "map", H5P_DEFAULT);
    // h5py's fixed-length text: NUL-padded to its size.
    H5Adelete(map, "name");
    const hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, 16);
    H5Tset_strpad(text, H5T_STR_NULLPAD);
    const hid_t scalar = H5Screate(H5S_SCALAR);
    const hid_t name = H5Acreate2(map, "name", text, scalar, H5P_DEFAULT, H5P_DEFAULT);
    const char padded[16] = "Henon";
    H5Awrite(name, text, padded);
    H5Aclose(name);
    // A 32-bit whole number, and an attribute of a type no session has (passed over).
    H5Adelete(map, "system");
    const hid_t system = H5Acreate2(map, "system", H5T_STD_I32BE, scalar, H5P_DEFAULT, H5P_DEFAULT);
    const std::int32_t two = 2;
    H5Awrite(system, H5T_NATIVE_INT32, &two);
    H5Aclose(system);
    const hid_t odd = H5Acreate2(map, "note", H5T_IEEE_F32LE, scalar, H5P_DEFAULT, H5P_DEFAULT);
    const float f = 1.5f;
    H5Awrite(odd, H5T_NATIVE_FLOAT, &f);
    H5Aclose(odd);
    H5Sclose(scalar);
    H5Tclose(text);
    H5Gclose(map);
  });
  const SessionReading read = ReadSessionFile(file, dir.File("copy.bin"));
  ASSERT_FALSE(read.failure) << *read.failure;
  const SessionAttributes& map = read.content.groups.at("map");
  EXPECT_EQ(map.at("name"), SessionValue(std::string("Henon")));
  EXPECT_EQ(map.at("system"), SessionValue(std::int64_t{2}));
  EXPECT_FALSE(map.contains("note"));
}

TEST(SessionFile, AVersionBelowTheFirstOrNoneIsRefused) {
  TempWorkDir dir;
  const std::filesystem::path zero = SoundSession(dir, "zero.orbitra.h5");
  Alter(zero, [](hid_t h5) {
    const std::int64_t v = 0;
    const hid_t attr = H5Aopen(h5, "format_version", H5P_DEFAULT);
    H5Awrite(attr, H5T_NATIVE_INT64, &v);
    H5Aclose(attr);
  });
  const std::filesystem::path none = SoundSession(dir, "none.orbitra.h5");
  Alter(none, [](hid_t h5) { H5Adelete(h5, "format_version"); });
  EXPECT_EQ(Refusal(dir, zero), Expected(zero, "it is damaged or incomplete"));
  EXPECT_EQ(Refusal(dir, none), Expected(none, "it is damaged or incomplete"));
}

TEST(SessionFile, LinksAreNeverFollowedAndLoopsAreNeverWalked) {
  TempWorkDir dir;
  // Loops beside the named parts are never visited.
  const std::filesystem::path loops = SoundSession(dir, "loops.orbitra.h5");
  Alter(loops, [](hid_t h5) {
    H5Lcreate_hard(h5, "/boxes", h5, "/boxes/loop", H5P_DEFAULT, H5P_DEFAULT);
    H5Lcreate_soft("/map", h5, "/map/loop", H5P_DEFAULT, H5P_DEFAULT);
  });
  EXPECT_EQ(Refusal(dir, loops), "read");

  const std::filesystem::path soft = SoundSession(dir, "soft.orbitra.h5");
  Alter(soft, [](hid_t h5) {
    H5Ldelete(h5, "/store/stream", H5P_DEFAULT);
    H5Lcreate_soft("/store/buffer", h5, "/store/stream", H5P_DEFAULT, H5P_DEFAULT);
  });
  EXPECT_EQ(Refusal(dir, soft), Expected(soft, "it is damaged (\"store/stream\" is a link, which a session never holds)"));

  const std::filesystem::path external = SoundSession(dir, "external.orbitra.h5");
  const std::filesystem::path other = SoundSession(dir, "other.orbitra.h5");
  Alter(external, [&](hid_t h5) {
    H5Ldelete(h5, "/group/lines", H5P_DEFAULT);
    H5Lcreate_external(other.c_str(), "/group/lines", h5, "/group/lines", H5P_DEFAULT, H5P_DEFAULT);
  });
  EXPECT_EQ(Refusal(dir, external),
            Expected(external, "it is damaged (\"group/lines\" is a link, which a session never holds)"));

  // A group where the stream should be is named, not taken for a missing file.
  const std::filesystem::path group = SoundSession(dir, "group.orbitra.h5");
  Alter(group, [](hid_t h5) {
    H5Ldelete(h5, "/store/stream", H5P_DEFAULT);
    H5Gclose(H5Gcreate2(h5, "/store/stream", H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
  });
  EXPECT_EQ(Refusal(dir, group), Expected(group, "it is damaged (\"store/stream\" is not a dataset)"));
}

TEST(SessionFile, CountsBeyondWhatTheFileStoresAndForeignStorageAreRefused) {
  TempWorkDir dir;
  const auto planted = [&](const std::string& name, const char* path, hsize_t count, auto setUp) {
    const std::filesystem::path file = SoundSession(dir, name);
    Alter(file, [&](hid_t h5) {
      const hid_t dcpl = H5Pcreate(H5P_DATASET_CREATE);
      setUp(dcpl);
      PlantPoints(h5, path, count, dcpl);
      H5Pclose(dcpl);
    });
    return file;
  };
  const auto late = [](hid_t dcpl) { H5Pset_alloc_time(dcpl, H5D_ALLOC_TIME_LATE); };
  const std::filesystem::path stream = planted("stream.orbitra.h5", "/store/stream", 40000000, late);
  EXPECT_EQ(Refusal(dir, stream),
            Expected(stream, "it is damaged (\"store/stream\" claims 40000000 entries, more than the file holds)"));
  EXPECT_FALSE(std::filesystem::exists(dir.File("copy.bin")));
  const std::filesystem::path buffer = planted("buffer.orbitra.h5", "/store/buffer", 2147483647, late);
  EXPECT_EQ(Refusal(dir, buffer),
            Expected(buffer, "it is damaged (\"store/buffer\" claims 2147483647 entries, more than the file holds)"));

  const std::filesystem::path zipped = planted("zipped.orbitra.h5", "/store/buffer", 50000000, [](hid_t dcpl) {
    const hsize_t chunk = 1 << 16;
    H5Pset_chunk(dcpl, 1, &chunk);
    H5Pset_deflate(dcpl, 9);
  });
  EXPECT_EQ(Refusal(dir, zipped),
            Expected(zipped, "it is damaged (\"store/buffer\" is stored in a way a session never is)"));
  const std::filesystem::path outside = planted("outside.orbitra.h5", "/store/stream", 1000, [](hid_t dcpl) {
    H5Pset_external(dcpl, "/dev/zero", 0, 17000);
  });
  EXPECT_EQ(Refusal(dir, outside),
            Expected(outside, "it is damaged (\"store/stream\" is stored in a way a session never is)"));

  // Text lines claimed but not stored.
  const std::filesystem::path lines = SoundSession(dir, "lines.orbitra.h5");
  Alter(lines, [](hid_t h5) {
    H5Ldelete(h5, "/group/lines", H5P_DEFAULT);
    const hid_t text = H5Tcopy(H5T_C_S1);
    H5Tset_size(text, H5T_VARIABLE);
    const hsize_t count = 30000000;
    const hid_t space = H5Screate_simple(1, &count, nullptr);
    H5Dclose(H5Dcreate2(h5, "/group/lines", text, space, H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT));
    H5Sclose(space);
    H5Tclose(text);
  });
  EXPECT_EQ(Refusal(dir, lines),
            Expected(lines, "it is damaged (\"group/lines\" claims 30000000 entries, more than the file holds)"));
}

// A buffer asked for by a number alone (its capacity) is held against the memory this
// process may have, here limited in a child to 1 GB beyond what it has.
TEST(SessionFile, ABufferLargerThanMemoryAllowsIsRefusedWithItsNumbers) {
  TempWorkDir dir;
  const std::filesystem::path file = SoundSession(dir, "capacity.orbitra.h5");
  Alter(file, [](hid_t h5) {
    const hid_t store = H5Gopen2(h5, "store", H5P_DEFAULT);
    const hid_t scalar = H5Screate(H5S_SCALAR);
    const hid_t attr = H5Acreate2(store, "buffer_capacity", H5T_STD_I64LE, scalar, H5P_DEFAULT, H5P_DEFAULT);
    const std::int64_t capacity = 150000000;  // 3.6 GB of points
    H5Awrite(attr, H5T_NATIVE_INT64, &capacity);
    H5Aclose(attr);
    H5Sclose(scalar);
    H5Gclose(store);
  });
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const rlimit limit{rlim_t{3} << 30, rlim_t{3} << 30};
    setrlimit(RLIMIT_AS, &limit);
    const std::string refusal = Refusal(dir, file);
    const bool expected =
        refusal == Expected(file, "there is not enough memory for it (its buffer of 150000000 points needs 3434 MB, "
                                  "more than half of the 3072 MB at hand)");
    if (!expected) std::fprintf(stderr, "%s\n", refusal.c_str());
    _exit(expected ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

// Every byte of a small session set to another value in turn: each file is read or
// refused, and this process (the window's, in the program) never goes down with it.
TEST(SessionFile, FlippedBytesAreReadOrRefusedWithoutHarmToTheReader) {
  TempWorkDir dir;
  const std::filesystem::path file = SoundSession(dir, "sound.orbitra.h5", 20);
  const std::string bytes = dir.Read("sound.orbitra.h5");
  ASSERT_GT(bytes.size(), 1000u);
  int refused = 0;
  for (std::size_t at = 0; at < bytes.size(); at += 41) {
    std::string damaged = bytes;
    damaged[at] = static_cast<char>(damaged[at] ^ (at % 3 == 0 ? 0xff : 0x10));
    dir.Write("flipped.orbitra.h5", damaged);
    const SessionReading read = ReadSessionFile(dir.File("flipped.orbitra.h5"), dir.File("copy.bin"));
    if (read.failure) {
      ++refused;
      EXPECT_EQ(read.failure->rfind("Cannot open the session \"", 0), 0u) << *read.failure;
    }
  }
  EXPECT_GT(refused, 0);
}

// A save that fills the disk fails with its message, and the program then ends normally.
TEST(SessionFile, ASaveOntoAFullDiskFailsAndTheProgramStillEndsCleanly) {
  TempWorkDir dir;
  WriteStream(dir.File("stream.bin"), Points(50000, 0.25));
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Files of this process may not grow beyond 64 KB: as a disk that is full.
    signal(SIGXFSZ, SIG_IGN);
    const rlimit small{64 << 10, 64 << 10};
    setrlimit(RLIMIT_FSIZE, &small);
    const std::vector<StoredPoint> buffer = Points(5, 0.5);
    const FileFailure failure =
        WriteSessionFile(dir.File("full.orbitra.h5"), SomeContent(), {buffer, dir.File("stream.bin"), 50000});
    const bool expected = failure && failure->find("save the session") != std::string::npos;
    std::exit(expected ? 0 : 7);  // with the library's and the program's clean-up at exit
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 0);
  EXPECT_FALSE(std::filesystem::exists(dir.File("full.orbitra.h5")));
}

TEST(SessionFile, AFifoIsNeitherWrittenNorRead) {
  TempWorkDir dir;
  ASSERT_EQ(mkfifo(dir.File("pipe.orbitra.h5").c_str(), 0600), 0);
  WriteStream(dir.File("stream.bin"), {});
  alarm(60);  // a hang fails the test
  const FileFailure saved = WriteSessionFile(dir.File("pipe.orbitra.h5"), SomeContent(), {{}, dir.File("stream.bin"), 0});
  ASSERT_TRUE(saved);
  EXPECT_EQ(*saved, "Cannot save the session \"" + dir.File("pipe.orbitra.h5").string() +
                        "\": it is a FIFO or a socket, not a file a session can be written to");
  EXPECT_EQ(Refusal(dir, dir.File("pipe.orbitra.h5")), Expected(dir.File("pipe.orbitra.h5"), "it is not an Orbitra session"));
  alarm(0);
}

}  // namespace
}  // namespace orbitra
