// Test lines shared by the Wine drivers: "ok - name" / "not ok - name" per
// check and one closing "N passed, M failed" line, which tools/win32/test.sh
// counts.
#pragma once

#include <stdio.h>

namespace checks {

inline int passed = 0;
inline int failed = 0;

inline bool check(bool ok, const char* name) {
  printf("%s - %s\n", ok ? "ok" : "not ok", name);
  fflush(stdout);
  (ok ? passed : failed)++;
  return ok;
}

// Prints the summary; answers the process exit code.
inline int finish() {
  printf("%d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}

}  // namespace checks
