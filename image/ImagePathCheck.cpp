#include "image/ImagePathCheck.h"

#include "image/Picture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The errno a save to path would meet, or 0.
int imagePathError(const std::string& path)
{
    struct stat status {};
    // The save renames its finished file over whatever stands at the path, a symbolic link
    // included, so only a folder there is in the way.
    if (lstat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) {
            return EISDIR;
        }
    } else if (errno != ENOENT) {
        return errno;
    }
    const std::string folder = folderOf(path);
    if (stat(folder.c_str(), &status) != 0) {
        return errno;
    }
    if (!S_ISDIR(status.st_mode)) {
        return ENOTDIR;
    }
    // The save creates a temporary file in the folder and renames it: both need write and
    // search permission there. access also answers for a read-only file system.
    if (access(folder.c_str(), W_OK | X_OK) != 0) {
        return errno;
    }
    return 0;
}

}  // namespace

std::string saveFailure(const std::string& path, const std::string& reason)
{
    return "Can not save image \"" + path + "\". " + reason;
}

std::string systemReason(int errorNumber) { return std::string(std::strerror(errorNumber)) + "."; }

void refuseUnwritableImagePath(const std::string& path)
{
    if (!Picture::canEncode(path)) {
        throw saveFailure(path, "Its extension names no picture format: use .png or .bmp.");
    }
    const int error = imagePathError(path);
    if (error != 0) {
        throw saveFailure(path, systemReason(error));
    }
}
