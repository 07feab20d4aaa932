#include "tracer/SearchPath.h"

bool searchPathRuns(SearchPath path)
{
    switch (path) {
        case SearchPath::Portable:
            return true;
        case SearchPath::Avx2:
        case SearchPath::Avx512:
#if LUMORA_AVX_SEARCH
            // The checks include the operating system's saving of the registers. Detection runs
            // before main by itself; started here, it also serves a caller that runs earlier.
            __builtin_cpu_init();
            return path == SearchPath::Avx2 ? __builtin_cpu_supports("avx2") : __builtin_cpu_supports("avx512f");
#else
            return false;
#endif
    }
    return false;
}

std::vector<SearchPath> runningSearchPaths()
{
    std::vector<SearchPath> paths;
    for (SearchPath path : {SearchPath::Portable, SearchPath::Avx2, SearchPath::Avx512}) {
        if (searchPathRuns(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

SearchPath fastestSearchPath() { return runningSearchPaths().back(); }

const char* searchPathName(SearchPath path)
{
    switch (path) {
        case SearchPath::Avx2:
            return "AVX2";
        case SearchPath::Avx512:
            return "AVX-512";
        case SearchPath::Portable:
            break;
    }
    return "portable";
}
