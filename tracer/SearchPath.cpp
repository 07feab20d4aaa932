#include "tracer/SearchPath.h"

bool searchPathRuns(SearchPath path)
{
    switch (path) {
        case SearchPath::Portable:
            return true;
        case SearchPath::Avx:
#if LUMORA_AVX_SEARCH
            // The check includes the operating system's saving of the AVX registers. Detection
            // runs before main by itself; started here, it also serves a caller that runs earlier.
            __builtin_cpu_init();
            return __builtin_cpu_supports("avx");
#else
            return false;
#endif
    }
    return false;
}

std::vector<SearchPath> runningSearchPaths()
{
    std::vector<SearchPath> paths;
    for (SearchPath path : {SearchPath::Portable, SearchPath::Avx}) {
        if (searchPathRuns(path)) {
            paths.push_back(path);
        }
    }
    return paths;
}

SearchPath fastestSearchPath() { return searchPathRuns(SearchPath::Avx) ? SearchPath::Avx : SearchPath::Portable; }
