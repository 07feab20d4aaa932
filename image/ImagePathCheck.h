#pragma once

#include <string>

// The message of a picture that cannot be written: "Can not save image "<path>". <reason>"
std::string saveFailure(const std::string& path, const std::string& reason);

// The system's text for an errno value, as a sentence: "Is a directory."
std::string systemReason(int errorNumber);

// Finds before any work is done whether a picture could be saved at path, and throws the
// saveFailure std::string when not: the extension must name a format (".png" or ".bmp" in any
// case), the folder must exist and take new files, and no folder may stand at the path itself.
// Creates nothing. A full disc is found only by the save itself.
void refuseUnwritableImagePath(const std::string& path);
