// SPDX-License-Identifier: GPL-3.0-or-later
#include "storage/session_views_file.h"

#include <array>
#include <cstring>
#include <limits>
#include <new>

#include "storage/session_hdf5.h"

namespace orbitra {

namespace {

using namespace hdf5;

constexpr const char* kViews = "views";
constexpr const char* kSweepCount = "sweep_views";
constexpr const char* kHistoryCount = "history_views";
constexpr const char* kOrbits = "views/periodic_orbits";
constexpr const char* kManifolds = "views/manifolds";
// More windows or views in a history than anyone opens: a file claiming more is damaged.
constexpr std::int64_t kMostSweeps = 1000;
constexpr std::int64_t kMostHistory = 100000;

// ---- writing ----

Hid CreateGroup(hid_t file, const std::string& path, const SessionAttributes& attributes) {
  Hid group(H5Gcreate2(file, path.c_str(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Gclose);
  if (!group.Ok()) return group;
  for (const auto& [name, value] : attributes) {
    if (!WriteAttribute(group.Get(), name, value)) return Hid(-1, H5Gclose);
  }
  return group;
}

template <typename T>
bool WriteArray(hid_t file, const std::string& path, hid_t fileType, hid_t memType, const std::vector<T>& data,
                std::vector<hsize_t> shape) {
  Hid space(H5Screate_simple(static_cast<int>(shape.size()), shape.data(), nullptr), H5Sclose);
  if (!space.Ok()) return false;
  Hid set(H5Dcreate2(file, path.c_str(), fileType, space.Get(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT), H5Dclose);
  if (!set.Ok()) return false;
  return data.empty() || H5Dwrite(set.Get(), memType, H5S_ALL, H5S_ALL, H5P_DEFAULT, data.data()) >= 0;
}

bool WriteU8(hid_t f, const std::string& p, const std::vector<std::uint8_t>& d, std::vector<hsize_t> shape) {
  return WriteArray(f, p, H5T_STD_U8LE, H5T_NATIVE_UINT8, d, std::move(shape));
}
bool WriteI32(hid_t f, const std::string& p, const std::vector<std::int32_t>& d, std::vector<hsize_t> shape) {
  return WriteArray(f, p, H5T_STD_I32LE, H5T_NATIVE_INT32, d, std::move(shape));
}
bool WriteU32(hid_t f, const std::string& p, const std::vector<std::uint32_t>& d, std::vector<hsize_t> shape) {
  return WriteArray(f, p, H5T_STD_U32LE, H5T_NATIVE_UINT32, d, std::move(shape));
}
bool WriteI64(hid_t f, const std::string& p, const std::vector<std::int64_t>& d, std::vector<hsize_t> shape) {
  return WriteArray(f, p, H5T_STD_I64LE, H5T_NATIVE_INT64, d, std::move(shape));
}
bool WriteF64(hid_t f, const std::string& p, const std::vector<double>& d, std::vector<hsize_t> shape) {
  return WriteArray(f, p, H5T_IEEE_F64LE, H5T_NATIVE_DOUBLE, d, std::move(shape));
}

bool WriteSweep(hid_t file, const std::string& path, const SessionSweepView& v) {
  SessionAttributes attributes = v.attributes;
  attributes[kHistoryCount] = static_cast<std::int64_t>(v.history.size());
  Hid group = CreateGroup(file, path, attributes);
  if (!group.Ok()) return false;
  Hid history = CreateGroup(file, path + "/history", {});
  if (!history.Ok()) return false;
  for (std::size_t i = 0; i < v.history.size(); ++i) {
    if (!CreateGroup(file, path + "/history/" + std::to_string(i), v.history[i]).Ok()) return false;
  }
  if (!WriteU8(file, path + "/units_done", v.unitsDone, {v.unitsDone.size()})) return false;
  if (v.diagram) {
    return WriteU32(file, path + "/counts", v.counts, {v.columns, v.rows}) &&
           WriteU8(file, path + "/escaped", v.escaped, {v.escaped.size()});
  }
  const std::vector<hsize_t> grid{v.gridRows, v.gridColumns};
  if (!WriteI32(file, path + "/value", v.value, grid) || !WriteU8(file, path + "/done", v.done, grid)) return false;
  if (v.hasLambda1 && !WriteF64(file, path + "/lambda1", v.lambda1, grid)) return false;
  return !v.hasRepresentative ||
         WriteF64(file, path + "/representative", v.representative, {v.gridRows, v.gridColumns, 2});
}

// ---- reading ----

struct Reading {
  hid_t file;
  std::string& problem;

  bool Fail(std::string why) {
    if (problem.empty()) problem = std::move(why);
    return false;
  }
};

std::string Quoted(const std::string& path) { return "\"" + path + "\""; }

bool ReadScalar(hid_t attr, SessionValue& value) {
  Hid space(H5Aget_space(attr), H5Sclose);
  Hid type(H5Aget_type(attr), H5Tclose);
  if (!space.Ok() || !type.Ok() || H5Sget_simple_extent_type(space.Get()) != H5S_SCALAR) return false;
  switch (H5Tget_class(type.Get())) {
    case H5T_INTEGER: {
      std::int64_t i = 0;
      if (H5Tget_size(type.Get()) > sizeof i || H5Aread(attr, H5T_NATIVE_INT64, &i) < 0) return false;
      value = i;
      return true;
    }
    case H5T_FLOAT: {
      double d = 0.0;
      if (H5Tget_size(type.Get()) > sizeof d || H5Aread(attr, H5T_NATIVE_DOUBLE, &d) < 0) return false;
      value = d;
      return true;
    }
    case H5T_STRING: {
      if (H5Tis_variable_str(type.Get()) <= 0) return false;
      Hid memType = TextType();
      char* text = nullptr;
      if (H5Aread(attr, memType.Get(), &text) < 0) return false;
      value = std::string(text != nullptr ? text : "");
      H5free_memory(text);
      return true;
    }
    default:
      return false;
  }
}

herr_t CollectScalar(hid_t object, const char* name, const H5A_info_t* /*info*/, void* data) {
  auto* attributes = static_cast<SessionAttributes*>(data);
  Hid attr(H5Aopen(object, name, H5P_DEFAULT), H5Aclose);
  if (!attr.Ok()) return -1;
  SessionValue value;
  // Attributes of other shapes or types are another program's additions: passed over.
  if (ReadScalar(attr.Get(), value)) (*attributes)[name] = std::move(value);
  return 0;
}

bool Exists(hid_t file, const std::string& path) { return H5Lexists(file, path.c_str(), H5P_DEFAULT) > 0; }

// What the object at an existing path is: a group, a dataset or something else.
H5I_type_t KindOf(hid_t file, const std::string& path) {
  Hid object(H5Oopen(file, path.c_str(), H5P_DEFAULT), H5Oclose);
  return object.Ok() ? H5Iget_type(object.Get()) : H5I_BADID;
}

// The scalar attributes of the group at `path`, which must be a group.
bool ReadGroup(Reading& r, const std::string& path, SessionAttributes& attributes) {
  if (H5Lexists(r.file, path.c_str(), H5P_DEFAULT) <= 0) return r.Fail(Quoted(path) + " is missing");
  if (KindOf(r.file, path) != H5I_GROUP) return r.Fail(Quoted(path) + " is not a group");
  Hid group(H5Gopen2(r.file, path.c_str(), H5P_DEFAULT), H5Gclose);
  hsize_t index = 0;
  if (!group.Ok() || H5Aiterate2(group.Get(), H5_INDEX_NAME, H5_ITER_INC, &index, CollectScalar, &attributes) < 0) {
    return r.Fail(Quoted(path) + " cannot be read");
  }
  return true;
}

// The element types the writer makes, each as the file must hold it. The library must
// not start before the program has told it to leave the process's exit alone, so these
// constants name their native types only when called.
struct Element {
  H5T_class_t typeClass;
  std::size_t size;
  H5T_sign_t sign;  // integers only
  hid_t (*memType)();  // a function: naming a native type starts the library
  const char* name;
};
const Element kU8{H5T_INTEGER, 1, H5T_SGN_NONE, [] { return H5T_NATIVE_UINT8; }, "unsigned 8-bit integers"};
const Element kI32{H5T_INTEGER, 4, H5T_SGN_2, [] { return H5T_NATIVE_INT32; }, "signed 32-bit integers"};
const Element kU32{H5T_INTEGER, 4, H5T_SGN_NONE, [] { return H5T_NATIVE_UINT32; }, "unsigned 32-bit integers"};
const Element kI64{H5T_INTEGER, 8, H5T_SGN_2, [] { return H5T_NATIVE_INT64; }, "signed 64-bit integers"};
const Element kF64{H5T_FLOAT, 8, H5T_SGN_ERROR, [] { return H5T_NATIVE_DOUBLE; }, "64-bit floating-point numbers"};

// Reads the dataset at `path` of `rank` dimensions (a last dimension of `width` when
// given) into `data`: refused unless its elements are of the type the writer makes, it
// is stored whole and unfiltered, and the file holds every byte its shape claims, all
// checked before anything is allocated.
template <typename T>
bool ReadArray(Reading& r, const std::string& path, const Element& element, int rank, std::vector<T>& data,
               std::array<hsize_t, 3>& dims, hsize_t width = 0) {
  static_assert(std::is_trivially_copyable_v<T>);
  if (!Exists(r.file, path)) return r.Fail(Quoted(path) + " is missing");
  if (KindOf(r.file, path) != H5I_DATASET) return r.Fail(Quoted(path) + " is not a dataset");
  Hid set(H5Dopen2(r.file, path.c_str(), H5P_DEFAULT), H5Dclose);
  Hid type(set.Ok() ? H5Dget_type(set.Get()) : -1, H5Tclose);
  Hid space(set.Ok() ? H5Dget_space(set.Get()) : -1, H5Sclose);
  Hid create(set.Ok() ? H5Dget_create_plist(set.Get()) : -1, H5Pclose);
  if (!set.Ok() || !type.Ok() || !space.Ok() || !create.Ok()) return r.Fail(Quoted(path) + " cannot be read");
  const bool typeFits = H5Tget_class(type.Get()) == element.typeClass && H5Tget_size(type.Get()) == element.size &&
                        (element.typeClass != H5T_INTEGER || H5Tget_sign(type.Get()) == element.sign) &&
                        H5Tget_order(type.Get()) == H5T_ORDER_LE;
  if (!typeFits) return r.Fail(Quoted(path) + " does not hold " + element.name);
  dims = {0, 0, 0};
  if (H5Sget_simple_extent_type(space.Get()) != H5S_SIMPLE || H5Sget_simple_extent_ndims(space.Get()) != rank ||
      H5Sget_simple_extent_dims(space.Get(), dims.data(), nullptr) != rank || (width > 0 && dims[rank - 1] != width)) {
    return r.Fail(Quoted(path) + " has not the shape of its kind");
  }
  const H5D_layout_t layout = H5Pget_layout(create.Get());
  if ((layout != H5D_CONTIGUOUS && layout != H5D_COMPACT) || H5Pget_nfilters(create.Get()) != 0) {
    return r.Fail(Quoted(path) + " is stored in a way this program does not write");
  }
  hsize_t count = 1;
  for (int i = 0; i < rank; ++i) {
    if (dims[i] != 0 && count > std::numeric_limits<hsize_t>::max() / sizeof(T) / dims[i]) {
      return r.Fail(Quoted(path) + " claims more values than the file holds");
    }
    count *= dims[i];
  }
  if (count > 0 && H5Dget_storage_size(set.Get()) != count * sizeof(T)) {
    return r.Fail(Quoted(path) + " claims more values than the file holds");
  }
  data.resize(count);
  if (count > 0 && H5Dread(set.Get(), element.memType(), H5S_ALL, H5S_ALL, H5P_DEFAULT, data.data()) < 0) {
    return r.Fail(Quoted(path) + " cannot be read");
  }
  return true;
}

template <typename T>
bool ReadList(Reading& r, const std::string& path, const Element& element, std::vector<T>& data) {
  std::array<hsize_t, 3> dims{};
  return ReadArray(r, path, element, 1, data, dims);
}

bool Count(Reading& r, const std::string& path, const SessionAttributes& attributes, const char* name,
           std::int64_t most, std::int64_t& count) {
  const auto it = attributes.find(name);
  const auto* value = it == attributes.end() ? nullptr : std::get_if<std::int64_t>(&it->second);
  if (value == nullptr || *value < 0 || *value > most) {
    return r.Fail(Quoted(path + "/" + name) + " is not a whole number from 0 to " + std::to_string(most));
  }
  count = *value;
  return true;
}

bool ReadSweep(Reading& r, const std::string& path, SessionSweepView& v) {
  if (!ReadGroup(r, path, v.attributes)) return false;
  std::int64_t views = 0;
  if (!Count(r, path, v.attributes, kHistoryCount, kMostHistory, views)) return false;
  // One group at a time: a count larger than the groups there are fails at the first
  // missing one, before anything is set aside for the rest.
  for (std::int64_t i = 0; i < views; ++i) {
    SessionAttributes view;
    if (!ReadGroup(r, path + "/history/" + std::to_string(i), view)) return false;
    v.history.push_back(std::move(view));
  }
  if (!ReadList(r, path + "/units_done", kU8, v.unitsDone)) return false;
  std::array<hsize_t, 3> dims{};
  v.diagram = Exists(r.file, path + "/counts");
  if (v.diagram) {
    if (!ReadArray(r, path + "/counts", kU32, 2, v.counts, dims)) return false;
    v.columns = dims[0];
    v.rows = dims[1];
    return ReadList(r, path + "/escaped", kU8, v.escaped);
  }
  if (!ReadArray(r, path + "/value", kI32, 2, v.value, dims)) return false;
  v.gridRows = dims[0];
  v.gridColumns = dims[1];
  if (!ReadArray(r, path + "/done", kU8, 2, v.done, dims)) return false;
  if (dims[0] != v.gridRows || dims[1] != v.gridColumns) return r.Fail(Quoted(path + "/done") + " differs in shape from \"value\"");
  v.hasLambda1 = Exists(r.file, path + "/lambda1");
  if (v.hasLambda1) {
    if (!ReadArray(r, path + "/lambda1", kF64, 2, v.lambda1, dims)) return false;
    if (dims[0] != v.gridRows || dims[1] != v.gridColumns) {
      return r.Fail(Quoted(path + "/lambda1") + " differs in shape from \"value\"");
    }
  }
  v.hasRepresentative = Exists(r.file, path + "/representative");
  if (v.hasRepresentative) {
    if (!ReadArray(r, path + "/representative", kF64, 3, v.representative, dims, 2)) return false;
    if (dims[0] != v.gridRows || dims[1] != v.gridColumns) {
      return r.Fail(Quoted(path + "/representative") + " differs in shape from \"value\"");
    }
  }
  return true;
}

bool ReadOrbits(Reading& r, SessionOrbitRecords& o) {
  const std::string p = kOrbits;
  std::array<hsize_t, 3> dims{};
  return ReadGroup(r, p, o.attributes) && ReadList(r, p + "/period", kI32, o.period) &&
         ReadList(r, p + "/kind", kI32, o.kind) && ReadList(r, p + "/trace", kF64, o.trace) &&
         ReadList(r, p + "/determinant", kF64, o.determinant) &&
         ReadArray(r, p + "/eigenvalues", kF64, 2, o.eigenvalues, dims, 4) &&
         ReadArray(r, p + "/points", kF64, 2, o.points, dims, 2);
}

bool ReadManifolds(Reading& r, SessionManifoldRecords& m) {
  const std::string p = kManifolds;
  std::array<hsize_t, 3> dims{};
  return ReadGroup(r, p, m.attributes) && ReadList(r, p + "/kind", kI32, m.kind) &&
         ReadList(r, p + "/side", kI32, m.side) && ReadList(r, p + "/orbit_point", kI64, m.orbitPoint) &&
         ReadList(r, p + "/length", kI64, m.length) && ReadArray(r, p + "/points", kF64, 2, m.points, dims, 2);
}

}  // namespace

bool WriteSessionViews(hid_t file, const SessionViews& views) {
  Hid group = CreateGroup(file, kViews, {{kSweepCount, static_cast<std::int64_t>(views.sweeps.size())}});
  if (!group.Ok()) return false;
  for (std::size_t n = 0; n < views.sweeps.size(); ++n) {
    if (!WriteSweep(file, std::string(kViews) + "/" + std::to_string(n), views.sweeps[n])) return false;
  }
  const SessionOrbitRecords& o = views.orbits;
  const std::string op = kOrbits;
  if (!CreateGroup(file, op, o.attributes).Ok() || !WriteI32(file, op + "/period", o.period, {o.period.size()}) ||
      !WriteI32(file, op + "/kind", o.kind, {o.kind.size()}) || !WriteF64(file, op + "/trace", o.trace, {o.trace.size()}) ||
      !WriteF64(file, op + "/determinant", o.determinant, {o.determinant.size()}) ||
      !WriteF64(file, op + "/eigenvalues", o.eigenvalues, {o.eigenvalues.size() / 4, 4}) ||
      !WriteF64(file, op + "/points", o.points, {o.points.size() / 2, 2})) {
    return false;
  }
  const SessionManifoldRecords& m = views.manifolds;
  const std::string mp = kManifolds;
  return CreateGroup(file, mp, m.attributes).Ok() && WriteI32(file, mp + "/kind", m.kind, {m.kind.size()}) &&
         WriteI32(file, mp + "/side", m.side, {m.side.size()}) &&
         WriteI64(file, mp + "/orbit_point", m.orbitPoint, {m.orbitPoint.size()}) &&
         WriteI64(file, mp + "/length", m.length, {m.length.size()}) &&
         WriteF64(file, mp + "/points", m.points, {m.points.size() / 2, 2});
}

bool ReadSessionViews(hid_t file, SessionViews& views, std::string& problem) {
  problem.clear();
  views = SessionViews{};
  if (!Exists(file, kViews)) return true;
  Reading r{file, problem};
  try {
    SessionAttributes attributes;
    std::int64_t sweeps = 0;
    if (!ReadGroup(r, kViews, attributes) || !Count(r, kViews, attributes, kSweepCount, kMostSweeps, sweeps)) {
      return false;
    }
    for (std::int64_t n = 0; n < sweeps; ++n) {
      SessionSweepView view;
      if (!ReadSweep(r, std::string(kViews) + "/" + std::to_string(n), view)) return false;
      views.sweeps.push_back(std::move(view));
    }
    return ReadOrbits(r, views.orbits) && ReadManifolds(r, views.manifolds);
  } catch (const std::bad_alloc&) {
    return r.Fail("there is not enough memory for its views");
  }
}

}  // namespace orbitra
