// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace orbitra {

// Long loops of the core are built for SSE2, the baseline of the platform. Code of the
// window system that runs between their slices (the picture's painting) may use AVX and
// leave the upper halves of the vector registers in use; SSE instructions after that pay
// for a merge on every instruction (measured: a run six times slower). Called at the start
// of each slice of long work, this marks the upper halves clean; it costs a few cycles
// and does nothing on a processor without AVX.
inline void ClearUpperVectorState() noexcept {
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
  if (__builtin_cpu_supports("avx")) __asm__ volatile("vzeroupper" ::: "memory");
#endif
}

}  // namespace orbitra
