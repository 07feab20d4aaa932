#include "settings/ParameterReaders.h"

#include "settings/NumberText.h"

#include <tinyxml2.h>

namespace {

const tinyxml2::XMLElement* findParameter(const tinyxml2::XMLElement* parent, const std::string& name)
{
    return parent == nullptr ? nullptr : parent->FirstChildElement(name.c_str());
}

template <typename Number>
void readComponent(const tinyxml2::XMLElement* element, const char* attribute, const std::string& name,
                   const char* component, Number& destination)
{
    if (element == nullptr || !parseNumberText(element->Attribute(attribute), destination)) {
        throw "Error in reading xml file. Can not read parameter \"" + name + component + "\".";
    }
}

// "value_x" and "value_y", the first two components of every vector parameter.
template <typename Vector>
void readXY(const tinyxml2::XMLElement* element, const std::string& name, Vector& destination)
{
    readComponent(element, "value_x", name, ".x", destination.x);
    readComponent(element, "value_y", name, ".y", destination.y);
}

}  // namespace

void readVector3Parameter(const tinyxml2::XMLElement* parent, std::string name, Vec3& destination)
{
    const tinyxml2::XMLElement* element = findParameter(parent, name);
    readXY(element, name, destination);
    readComponent(element, "value_z", name, ".z", destination.z);
}

void readVector2Parameter(const tinyxml2::XMLElement* parent, std::string name, ViewAngle& destination)
{
    readXY(findParameter(parent, name), name, destination);
}

void readVector2uParameter(const tinyxml2::XMLElement* parent, std::string name, Resolution& destination)
{
    readXY(findParameter(parent, name), name, destination);
}

void readUnsignedParameter(const tinyxml2::XMLElement* parent, std::string name, std::uint32_t& destination)
{
    readComponent(findParameter(parent, name), "value", name, ".x", destination);
}

void readFloatParameter(const tinyxml2::XMLElement* parent, std::string name, float& destination)
{
    readComponent(findParameter(parent, name), "value", name, ".x", destination);
}
