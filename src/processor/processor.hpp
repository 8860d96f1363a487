#pragma once

#include <cstddef>
#include <type_traits>

// What the processor offers the loops that run most: vectors wider than every processor has, and
// threads. A loop that can use wider vectors asks for them here, the one place that chooses; a
// loop on a study's threads asks here whether it runs on the first of them.

namespace sa {

// How many points a loop takes at a time, as a type its body can be compiled for.
template <std::size_t count>
using lanes = std::integral_constant<std::size_t, count>;

#if defined(__x86_64__)
// Whether the processor has AVX2, asked once.
inline bool processor_has_avx2() {
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

// `body` and everything it calls compiled for AVX2 into this one function.
template <typename Body>
[[gnu::target("avx2"), gnu::flatten]] void run_for_avx2(const Body& body) {
    body(lanes<4>{});
}
#endif

// Runs body(lanes<4>{}) compiled for AVX2 where the processor has it, and in WebAssembly, whose
// vectors hold four floats; body(lanes<2>{}), two doubles, which every processor's vectors hold,
// elsewhere.
template <typename Body>
void with_widest_vectors(const Body& body) {
#if defined(__x86_64__)
    if (processor_has_avx2()) {
        run_for_avx2(body);
        return;
    }
    body(lanes<2>{});
#elif defined(__wasm_simd128__)
    body(lanes<4>{});
#else
    body(lanes<2>{});
#endif
}

// Whether the calling thread is the first of those a study runs on, which alone reports
// progress: the thread that started the parallel work.
bool on_first_thread();

}  // namespace sa
