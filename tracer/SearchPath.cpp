#include "tracer/SearchPath.h"

bool searchPathRuns(SearchPath path)
{
    switch (path) {
        case SearchPath::Portable:
            return true;
        case SearchPath::Avx:
#if LUMORA_AVX_SEARCH
            // GCC's and clang's check includes the operating system's saving of the AVX registers.
            return __builtin_cpu_supports("avx");
#else
            return false;
#endif
    }
    return false;
}

SearchPath fastestSearchPath() { return searchPathRuns(SearchPath::Avx) ? SearchPath::Avx : SearchPath::Portable; }
