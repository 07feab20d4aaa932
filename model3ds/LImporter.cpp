#include "model3ds/LImporter.h"

#include <algorithm>

namespace {

template <typename Object>
Object* findByName(std::vector<Object>& objects, const std::string& name)
{
    const auto found = std::find_if(objects.begin(), objects.end(),
                                    [&name](const Object& object) { return object.getName() == name; });
    return found == objects.end() ? nullptr : &*found;
}

}  // namespace

LImporter::LImporter() = default;

// Objects go in the order clear() gives: meshes, then lights, then materials.
LImporter::~LImporter() { LImporter::clear(); }

void LImporter::clear()
{
    m_meshes.clear();
    m_lights.clear();
    m_materials.clear();
}

std::uint32_t LImporter::getMeshCount() const { return static_cast<std::uint32_t>(m_meshes.size()); }

std::uint32_t LImporter::getLightCount() const { return static_cast<std::uint32_t>(m_lights.size()); }

std::uint32_t LImporter::getMaterialCount() const { return static_cast<std::uint32_t>(m_materials.size()); }

LMesh& LImporter::getMesh(std::uint32_t index) { return m_meshes[index]; }

LLight& LImporter::getLight(std::uint32_t index) { return m_lights[index]; }

LMaterial& LImporter::getMaterial(std::uint32_t index) { return m_materials[index]; }

LMesh* LImporter::findMesh(const std::string& name) { return findByName(m_meshes, name); }

LMaterial* LImporter::findMaterial(const std::string& name) { return findByName(m_materials, name); }
