// How a fuzz check fails: a message and an abort, which libFuzzer records
// as a finding and the replay test as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace kal::fuzz {

inline void Check(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace kal::fuzz
