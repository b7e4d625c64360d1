// Whether the C++ library has threads: all do, but for a MinGW build with
// Win32 threads, whose library has no std::thread. Work that would go to a
// thread of its own is then done in the caller's.
#ifndef VELLUMARK_COMMON_THREADS_H
#define VELLUMARK_COMMON_THREADS_H

#include <cstddef>  // defines __GLIBCXX__ and _GLIBCXX_HAS_GTHREADS with libstdc++

#if !defined(__GLIBCXX__) || defined(_GLIBCXX_HAS_GTHREADS)
#define VELLUMARK_HAS_THREADS 1
#endif

#endif
