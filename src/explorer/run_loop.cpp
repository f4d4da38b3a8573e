// SPDX-License-Identifier: GPL-3.0-or-later
#include "explorer/run_loop.h"

#include <algorithm>
#include <cstring>
#include <type_traits>

#include "maps/central_difference.h"
#include "maps/coordinate_wrap.h"
#include "maps/map_routines.h"
#include "maps/map_steps.h"
#include "maps/native_steps.h"
#include "maps/user_map_evaluator.h"

namespace orbitra {

namespace {

// A map evaluated at run time, called through its routine pointer once per iterate.
RoutineStep MakeRoutineStep(const MappingModel& model) noexcept {
  return RoutineStep{&model, model.routine, WrapOfSystem(model.system)};
}

// Iterates a compiled user map computes per call. Measured on full runs (Henon, Standard
// Map, against the built-in loop): one per call costs 1.3-1.4 times the built-in on Henon;
// 4 to 8 match it (4 best, 1.0-1.1, and 0.86-0.97 on the Standard Map); from 16 up the
// processor overlaps map and plots less and less (64: 1.3 and 1.08).
constexpr std::int32_t kNativeBlock = 4;

// An image as the block handed it over: one 16-byte load where the block stored it as one
// 16-byte store, two 8-byte loads where it may have stored two 8-byte halves.
inline PackedPoint LoadPacked(const MapImage& image) noexcept {
#if defined(__SSE2__)
  return _mm_loadu_pd(&image.x);
#else
  return PackPoint(image.x, image.y);
#endif
}
inline void StorePacked(double* to, PackedPoint p) noexcept {
#if defined(__SSE2__)
  _mm_storeu_pd(to, p);
#else
  to[0] = p.x;
  to[1] = p.y;
#endif
}

// Steps whose formula calls nothing: their block is compiled into the loop itself.
template <class Step>
constexpr bool kCallsNothing = false;
template <>
constexpr bool kCallsNothing<HenonDcMapStep> = true;

// A built-in map advanced a few iterates at a time (the escape test included), then they
// are plotted and stored. Where the formula calls the C library, the block is a function
// of its own: each library call makes every value the loop holds in a register go to
// memory and back; in there, only the orbit's. The Henon map calls nothing: its block
// stays in the loop, so that the loop's constants stay in registers, and the orbit's
// chain of multiplications still runs a block ahead of the plots and stores.
//
// The hand-over: each image goes to `images` as one 16-byte store of both coordinates and
// comes back to the loop as one 16-byte load, x in the low lane and y in the high one, as
// the plotters and the buffer take them (the stored point is one 16-byte store too). Store
// and load of the same width forward on every processor; a 16-byte load of two 8-byte
// stores does not, and would wait on every iterate for both stores to reach the cache.
// The loop is otherwise bound by how many instructions it has per iterate, which this
// layout keeps low. Full run against the bare loop, AMD EPYC (Zen 4): Henon 2.1-2.9 with
// the block out of line and 8-byte halves, 1.64-1.78 now; Standard Map 1.17-1.24, now
// 1.12-1.15. An Intel processor gave 1.59 and 1.06 before.
template <class Step>
struct BlockOf {
  Step step;
  explicit BlockOf(const MappingModel& model) noexcept : step(model) {}
  explicit BlockOf(const Step& s) noexcept : step(s) {}
  std::int32_t Block(double x, double y, double infinity, std::int32_t asked, MapImage* images) const {
    if constexpr (kCallsNothing<Step>) {
      return Steps(x, y, infinity, asked, images);
    } else {
      return OutOfLine(x, y, infinity, asked, images);
    }
  }

 private:
  [[gnu::noinline]] std::int32_t OutOfLine(double x, double y, double infinity, std::int32_t asked,
                                           MapImage* images) const {
    return Steps(x, y, infinity, asked, images);
  }
  [[gnu::always_inline]] std::int32_t Steps(double x, double y, double infinity, std::int32_t asked,
                                            MapImage* images) const {
    for (std::int32_t j = 0; j < asked; ++j) {
      const MapImage image = step(x, y);
      if (image.x * image.x + image.y * image.y > infinity) return j;
      StorePacked(&images[j].x, PackPoint(image.x, image.y));
      x = image.x;
      y = image.y;
    }
    return asked;
  }
};

template <class Step>
constexpr bool kAdvancesInBlocks = false;
template <>
constexpr bool kAdvancesInBlocks<NativeBlockStep> = true;
template <>
constexpr bool kAdvancesInBlocks<NativeInspectedBlockStep> = true;
template <class Step>
constexpr bool kAdvancesInBlocks<BlockOf<Step>> = true;

// Whether a step's block stores each image as one 16-byte vector (ours do; the compiled
// user maps' code stores what its compiler chooses, so the loop reads it by halves).
template <class Step>
constexpr bool kStoresPackedImages = false;
template <class Step>
constexpr bool kStoresPackedImages<BlockOf<Step>> = true;

// The step of the model's map: a built-in step takes its parameters.
template <class Step>
Step MakeStep(const MappingModel& model) {
  if constexpr (std::is_same_v<Step, RoutineStep>) {
    return MakeRoutineStep(model);
  } else if constexpr (std::is_same_v<Step, BlockOf<RoutineStep>>) {
    return BlockOf<RoutineStep>(MakeRoutineStep(model));
  } else {
    return Step(model);
  }
}

// Iterates per block. A built-in map that calls the C library: 3. The processor overlaps
// the plots and stores of a block with the next block's orbit only while its window holds
// them together with the library call still running; with 4 the Standard Map's run took
// 1.17-1.19 times its bare loop on an AMD EPYC, with 3 1.12-1.15 (2: 1.16-1.20). A map
// called through its routine pointer spends more per iterate in its own calls: 4.
template <class Step>
constexpr std::int32_t kBlockLength = kNativeBlock;
template <class Step>
constexpr std::int32_t kBlockLength<BlockOf<Step>> =
    kCallsNothing<Step> || std::is_same_v<Step, RoutineStep> ? kNativeBlock : 3;

template <class Step>
PackedPoint ImageOf(const MapImage& image) noexcept {
  if constexpr (kStoresPackedImages<Step>) {
    return LoadPacked(image);
  } else {
    return PackPoint(image.x, image.y);
  }
}

// Nothing to tell: what a run feeds when the orbit inspector is hidden.
struct NoObserver {
  template <typename Step>
  void Observe(const Step&, double, double, MapImage) const noexcept {}
  void Escaped() const noexcept {}
};

// Restriction test with bounds included; a coordinate that is not a number is outside.
// No branch: an orbit that wanders in and out of the box would mispredict it.
inline std::int32_t InRange(const WorldRange& r, PackedPoint p) noexcept {
  const double x = PackedX(p), y = PackedY(p);
  return static_cast<std::int32_t>((r.Xmin <= x) & (x <= r.Xmax) & (r.Ymin <= y) & (y <= r.Ymax));
}

// The loop proper works in chunks: a chunk ends where something other than the orbit
// needs attention (a status refresh falls due, the evolution boxes move to a new column,
// the buffer could become full, the slice's budget is spent), so that per iterate only
// the plots, the map, the escape test and the store remain. Chunk ends are computed from
// the counters, never from the clock, so the same iterations happen in the same order
// however a run is sliced.
template <class Step, bool kEvolution, bool kStoring, bool kRestricted, class Observer>
RunEnd RunSliceWith(RunLoop& loop, const Step step, std::int64_t budget, OrbitObserver* shown) {
  // The inspector's sums live in a local too, and go back when the slice ends.
  Observer observer;
  if constexpr (!std::is_same_v<Observer, NoObserver>) observer = *shown;
  // Everything the loop touches lives in locals for the length of the slice.
  const PixelTarget target = loop.xy.Target();
  const PixelPlotter xyPlot = loop.xy;
  const EvolutionPlotter evolutionPlot = loop.evolution;
  const WorldRange range = loop.range;
  const Canvas::Pixel pixel = loop.pixel;
  // The colour index and the reserved zeros of a stored point, written as one word.
  std::uint64_t tail = 0;
  static_assert(sizeof(StoredPoint) == 2 * sizeof(double) + sizeof tail);
  std::memcpy(&tail, &loop.colour, 1);
  const double infinity = loop.infinity;
  const std::int32_t infoEvery = loop.infoEvery;
  // The counters at any iteration of a chunk follow from those at its end, unless the
  // restriction decides which iterates are stored: only then must a chunk end at every
  // status refresh that falls due, to take the counters there.
  const bool stopAtEveryStatus = !loop.statusAtSliceEnd || kRestricted;
  StoredPoint* const slots = loop.points;
  const std::int32_t usable = loop.usable;
  const std::int32_t end = loop.end;
  const std::int32_t firstBuf = loop.buf;
  const std::int32_t firstI = loop.i;
  std::int32_t buf = loop.buf;
  std::int32_t i = loop.i;
  double x = loop.x;
  double y = loop.y;
  const std::int32_t stop = budget >= static_cast<std::int64_t>(end) - i
                                ? end
                                : i + static_cast<std::int32_t>(budget > 0 ? budget : 0);

  EvolutionPlotter::Segment segment;
  // Asked of the run's plotter, not of the copy: the copy's address never escapes, so its
  // bounds and scales stay in registers.
  if constexpr (kEvolution) segment = loop.evolution.SegmentAt(i, end);

  RunEnd result = RunEnd::Running;
  while (i < stop) {
    std::int32_t chunkEnd = stop;
    // The status is due after iteration i whenever i - 1 is a multiple of InfoEvery
    // (counted from the run's start): untilStatus more iterations, then the due one.
    if (infoEvery > 0 && stopAtEveryStatus) {
      chunkEnd = static_cast<std::int32_t>(std::min<std::int64_t>(chunkEnd, std::int64_t{i} + loop.untilStatus + 1));
    }
    if constexpr (kEvolution) {
      if (i == segment.end) segment = loop.evolution.SegmentAt(i, end);
      chunkEnd = static_cast<std::int32_t>(std::min<std::int64_t>(chunkEnd, segment.end));
    }
    // The buffer is full once it holds usable - 1 points; a point more per iterate at most.
    const std::int32_t room = buf < usable - 1 ? usable - 1 - buf : 1;
    if (kStoring || buf > usable - 2) chunkEnd = static_cast<std::int32_t>(std::min<std::int64_t>(chunkEnd, std::int64_t{i} + room));
    const std::int32_t chunkStart = i;

    // Plots the iterate the loop stands on, and stores the next one.
    const auto plot = [&](PackedPoint p) {
      xyPlot.PlotInto(target, p, pixel);
      if constexpr (kEvolution) evolutionPlot.PlotRows(target, segment, p, pixel);
    };
    // Within a chunk the buffer has room for every iterate; only a buffer that was full
    // already has none (and such a chunk is one iteration long).
    StoredPoint* slot = kStoring ? slots + buf : nullptr;
    const bool canStore = buf < usable;
    const auto store = [&](PackedPoint p) {
      if constexpr (kStoring) {
        if (canStore) {
          StorePacked(&slot->x, p);
          std::memcpy(&slot->colour, &tail, sizeof tail);
          slot += kRestricted ? InRange(range, p) : 1;
        }
      }
    };
    PackedPoint point = PackPoint(x, y);
    if constexpr (kAdvancesInBlocks<Step>) {
      // The map computes a few iterates ahead (escape test included), then they are
      // plotted and stored; few enough that the processor still overlaps the two.
      MapImage images[kBlockLength<Step>];
      while (i < chunkEnd) {
        const std::int32_t asked = std::min(kBlockLength<Step>, chunkEnd - i);
        const std::int32_t got = step.Block(x, y, infinity, asked, images);
        for (std::int32_t j = 0; j < got; ++j) {
          plot(point);
          observer.Observe(step, PackedX(point), PackedY(point), images[j]);
          point = ImageOf<Step>(images[j]);
          store(point);
        }
        x = PackedX(point);
        y = PackedY(point);
        i += got;
        if (got < asked) {
          plot(point);
          result = RunEnd::Escaped;
          observer.Escaped();
          break;
        }
      }
    } else {
      for (; i < chunkEnd; ++i) {
        plot(point);
        const MapImage image = step(x, y);
        if (image.x * image.x + image.y * image.y > infinity) {
          result = RunEnd::Escaped;
          observer.Escaped();
          break;
        }
        observer.Observe(step, x, y, image);
        x = image.x;
        y = image.y;
        point = PackPoint(x, y);
        store(point);
      }
    }
    if constexpr (kStoring) buf = static_cast<std::int32_t>(slot - slots);

    // Refreshes that fell due in the chunk: the last one is after iteration `due`.
    std::int32_t due = -1;
    if (infoEvery > 0) {
      const std::int32_t done = i - chunkStart;
      if (done > loop.untilStatus) {
        const std::int32_t first = chunkStart + loop.untilStatus + 1;
        due = first + (i - first) / infoEvery * infoEvery;
        loop.untilStatus = infoEvery - 1 - (i - due);
      } else {
        loop.untilStatus -= done;
      }
    }
    if (result == RunEnd::Escaped) break;
    if (buf > usable - 2) {
      result = RunEnd::BufferFull;
      break;
    }
    if (due >= 0) {
      // Without the restriction every iterate of the chunk was stored, or none was.
      const std::int32_t bufThen = kStoring ? buf - (i - due) : buf;
      loop.status = StatusCounters{loop.rtn + (due - firstI), loop.dtn + (bufThen - firstBuf), bufThen};
      // Text costs thousands of pixels: drawn now only when somebody could see it now,
      // otherwise when the slice ends.
      if (!loop.statusAtSliceEnd && loop.canvas->RefreshVisibleNow()) {
        loop.drawStatus = true;
        break;
      }
      loop.statusPending = true;
    }
  }
  if (result == RunEnd::Running && i == end) result = i == loop.count ? RunEnd::Completed : RunEnd::CounterLimit;

  if constexpr (!std::is_same_v<Observer, NoObserver>) *shown = observer;
  loop.rtn += i - firstI;
  loop.dtn += buf - firstBuf;
  loop.buf = buf;
  loop.x = x;
  loop.y = y;
  loop.i = i;
  return result;
}

template <class Step, bool kEvolution, bool kStoring, bool kRestricted, class Observer>
RunEnd RunSliceOf(RunLoop& loop, const MappingModel& model, std::int64_t budget, OrbitObserver* shown) {
  if constexpr (std::is_same_v<Step, RoutineStep> || std::is_same_v<Step, BlockOf<RoutineStep>>) {
    // A user map's machine code, once compiled, is taken at the start of a slice.
    if (model.routine == &UserMapRoutine && model.userMap) {
      if (const std::shared_ptr<const NativeUserMap> native = model.userMap->Native()) {
        if constexpr (std::is_same_v<Observer, NoObserver>) {
          return RunSliceWith<NativeBlockStep, kEvolution, kStoring, kRestricted, Observer>(
              loop, NativeBlockStep(*native, model), budget, shown);
        } else {
          if (native->JacobianCode() != nullptr) {
            return RunSliceWith<NativeInspectedBlockStep, kEvolution, kStoring, kRestricted, Observer>(
                loop, NativeInspectedBlockStep(*native, model), budget, shown);
          }
          return RunSliceWith<NativeStep, kEvolution, kStoring, kRestricted, Observer>(
              loop, NativeStep(*native, model, WrapOfSystem(model.system)), budget, shown);
        }
      }
    }
  }
  return RunSliceWith<Step, kEvolution, kStoring, kRestricted, Observer>(loop, MakeStep<Step>(model), budget, shown);
}

// The loop of one map, for every combination of display mode and storing, without and
// with the inspector.
template <class Step, class Observer>
constexpr RunSlice kSlices[2][3] = {
    {&RunSliceOf<Step, false, false, false, Observer>, &RunSliceOf<Step, false, true, false, Observer>,
     &RunSliceOf<Step, false, true, true, Observer>},
    {&RunSliceOf<Step, true, false, false, Observer>, &RunSliceOf<Step, true, true, false, Observer>,
     &RunSliceOf<Step, true, true, true, Observer>}};

template <class Step>
constexpr RunSliceVariants kVariants{&kSlices<Step, NoObserver>, &kSlices<Step, OrbitObserver>};

// A map that calls the C library: in blocks, unless the inspector needs every iterate's
// Jacobian. Measured per map on full runs: 5 to 22 % faster (the Doubly Kicked Rotator
// most), except the wedge (its square root is a single instruction), which is slower.
// The Henon map too, although it calls nothing: its orbit's chain of multiplications then
// runs a block ahead of the plots and stores, 4.4 ns per iterate instead of 6.2 (bare
// loop 2.8). A map called through its routine pointer (a user map before its machine code
// is ready) as well: the typed Standard Map, interpreted, 5 % faster.
template <class Step>
constexpr RunSliceVariants kBlockVariants{&kSlices<BlockOf<Step>, NoObserver>, &kSlices<Step, OrbitObserver>};

}  // namespace

RunSliceVariants RunSliceFor(const MappingModel& model) noexcept {
  const IterationRoutine r = model.routine;
  if (r == &StandardMapRoutine) return kBlockVariants<StandardMapStep>;
  if (r == &HenonDcMapRoutine) return kBlockVariants<HenonDcMapStep>;
  if (r == &HyperbolicCRoutine) return kBlockVariants<HyperbolicCStep>;
  if (r == &HenonRotationRoutine) return kVariants<HenonRotationStep>;
  if (r == &DimerizedChainsRoutine) return kBlockVariants<DimerizedChainsStep>;
  if (r == &VortexFlowRoutine) return kBlockVariants<VortexFlowStep>;
  if (r == &FermiSineRoutine) return kBlockVariants<FermiSineStep>;
  if (r == &FermiSawtoothRoutine) return kBlockVariants<FermiSawtoothStep>;
  if (r == &DoublyKickedRotatorRoutine) return kBlockVariants<DoublyKickedRotatorStep>;
  if (r == &WedgeMapRoutine) return kVariants<WedgeMapStep>;
  return kBlockVariants<RoutineStep>;
}

RunSlice RunSliceVariants::For(bool evolution, bool storing, bool restricted, bool inspecting) const noexcept {
  return (inspecting ? *observing : *plain)[evolution ? 1 : 0][storing ? (restricted ? 2 : 1) : 0];
}

}  // namespace orbitra
