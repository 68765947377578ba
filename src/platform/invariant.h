#pragma once
// Invariants the code relies on, checked where they must hold.
//
// ZELLUO_ASSERT(condition) states something that is true unless the program
// itself is wrong: a row cache that covers its rows, a gadget table without
// a gadget numbered 0, an import job that is never run twice. The builds with
// tests check them and stop at the first one that fails, naming the file and
// line; the program's own build compiles them away, as SQLite's assert()s are.
// Never use it for what a file, a disk or a user can make false: those are
// errors with a message.

#if defined(ZELLUO_ASSERTIONS)
#include <cstdio>
#include <cstdlib>
#define ZELLUO_ASSERT(condition)                                                       \
  ((condition) ? static_cast<void>(0)                                                  \
               : (std::fprintf(stderr, "%s:%d: invariant failed: %s\n", __FILE__, __LINE__, \
                               #condition),                                           \
                  std::abort()))
#else
#define ZELLUO_ASSERT(condition) static_cast<void>(sizeof(static_cast<bool>(condition)))
#endif
