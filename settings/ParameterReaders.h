#pragma once

#include "tracer/Renderer.h"
#include "maths/Vec3.h"

#include <cstdint>
#include <string>

namespace tinyxml2 {
class XMLElement;
}

// Each reader takes the first child element of parent with the given name and reads its
// attributes in order ("value_x", "value_y", "value_z", or the single "value"). The first
// component that is missing or not a number throws the std::string
//     Error in reading xml file. Can not read parameter "<name><component>".
// where the component is ".x", ".y" or ".z" (".x" for a single value). A missing element, or
// a null parent, fails at its first component. Components read before a failure stay written.

void readVector3Parameter(const tinyxml2::XMLElement* parent, std::string name, Vec3& destination);
void readVector2Parameter(const tinyxml2::XMLElement* parent, std::string name, ViewAngle& destination);
void readVector2uParameter(const tinyxml2::XMLElement* parent, std::string name, Resolution& destination);
void readUnsignedParameter(const tinyxml2::XMLElement* parent, std::string name, std::uint32_t& destination);
void readFloatParameter(const tinyxml2::XMLElement* parent, std::string name, float& destination);
