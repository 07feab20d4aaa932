#pragma once

#include <string>

// The six parameters of a settings file, as attribute texts, so tests can also write
// values that are not numbers. An empty text leaves that attribute out.
struct SettingsValues {
    std::string posX = "0", posY = "0", posZ = "40";
    std::string forwardX = "0", forwardY = "0", forwardZ = "-1";
    std::string angleX = "1.5707964", angleY = "1.5707964";
    std::string width = "4", height = "4";
    std::string maxDepth = "8";
    std::string minEnergy = "0.00001";
};

// A well-formed settings document with the given values inside a root named "settings".
std::string settingsXml(const SettingsValues& values);
