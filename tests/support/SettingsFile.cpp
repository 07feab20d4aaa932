#include "tests/support/SettingsFile.h"

namespace {

std::string attribute(const char* name, const std::string& value)
{
    return value.empty() ? std::string() : std::string(" ") + name + "=\"" + value + "\"";
}

}  // namespace

std::string settingsXml(const SettingsValues& v)
{
    return "<?xml version=\"1.0\"?>\n<settings>\n"
           "  <m_pos" +
           attribute("value_x", v.posX) + attribute("value_y", v.posY) + attribute("value_z", v.posZ) +
           "/>\n"
           "  <m_forward" +
           attribute("value_x", v.forwardX) + attribute("value_y", v.forwardY) + attribute("value_z", v.forwardZ) +
           "/>\n"
           "  <m_viewAngle" +
           attribute("value_x", v.angleX) + attribute("value_y", v.angleY) +
           "/>\n"
           "  <m_resolution" +
           attribute("value_x", v.width) + attribute("value_y", v.height) +
           "/>\n"
           "  <max_depth_" +
           attribute("value", v.maxDepth) +
           "/>\n"
           "  <min_energy_" +
           attribute("value", v.minEnergy) +
           "/>\n"
           "</settings>\n";
}
