#include "image/ReplaceFile.h"

#include <fcntl.h>
#include <unistd.h>
#include <cerrno>

namespace {

// Creates a file beside path under a name no other file has, with the permissions a plain new
// file would get. Returns its descriptor, or -1.
int createTemporaryBeside(const std::string& path, std::string& temporaryPath)
{
    const int attempts = 100;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        temporaryPath = path + "." + std::to_string(getpid()) + "-" + std::to_string(attempt) + ".tmp";
        const int descriptor = open(temporaryPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (descriptor >= 0 || errno != EEXIST) {
            return descriptor;
        }
    }
    return -1;
}

}  // namespace

bool replaceFile(const std::string& path, const std::function<bool(std::FILE*)>& writeContent)
{
    std::string temporaryPath;
    const int descriptor = createTemporaryBeside(path, temporaryPath);
    if (descriptor < 0) {
        return false;
    }
    std::FILE* file = fdopen(descriptor, "wb");
    int error = 0;
    if (file == nullptr) {
        error = errno;
        close(descriptor);
    } else {
        errno = 0;
        const bool written = writeContent(file) && std::ferror(file) == 0;
        error = written ? 0 : errno;
        if (std::fclose(file) != 0 && error == 0) {
            error = errno;
        }
        if (written && error == 0) {
            if (std::rename(temporaryPath.c_str(), path.c_str()) == 0) {
                return true;
            }
            error = errno;
        }
    }
    std::remove(temporaryPath.c_str());
    errno = error != 0 ? error : EIO;
    return false;
}
