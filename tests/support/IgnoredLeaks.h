#pragma once
// Allocations made while an IgnoredLeaks lives are not reported as leaks by
// LeakSanitizer. For tests that let an exception unwind through Qt's own frames:
// Qt is built without exception support there, so what those frames hold is
// abandoned, by Qt's design rather than ours.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define MIRTEX_HAS_LSAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define MIRTEX_HAS_LSAN 1
#endif

#ifdef MIRTEX_HAS_LSAN
#include <sanitizer/lsan_interface.h>
struct IgnoredLeaks {
    IgnoredLeaks() { __lsan_disable(); }
    ~IgnoredLeaks() { __lsan_enable(); }
    IgnoredLeaks(const IgnoredLeaks&) = delete;
    IgnoredLeaks& operator=(const IgnoredLeaks&) = delete;
};
#else
struct IgnoredLeaks {};
#endif
