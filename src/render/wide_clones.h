#pragma once

// Marks a hot loop to be built twice: once for any x86-64, and once for
// processors with AVX2 and FMA (four doubles at a time, fused multiply-adds),
// the copy picked when the program loads. Only loops whose results do not
// depend on how their products and sums are fused may carry it.
// TAVRINDOLE_NO_WIDE_CLONES builds the portable copy alone, so that the
// tests can check it on a processor that would pick the wide one.
#if defined(__GNUC__) && defined(__x86_64__) && defined(__ELF__) && !defined(__clang__) && \
    !defined(TAVRINDOLE_NO_WIDE_CLONES)
#define TAVRINDOLE_WIDE_CLONES __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define TAVRINDOLE_WIDE_CLONES
#endif
