#pragma once

#include "model3ds/LLight.h"
#include "model3ds/LMaterial.h"
#include "model3ds/LMesh.h"

#include <cstdint>
#include <string>
#include <vector>

// A model importer: meshes, lights and materials held by value, in file order.
class LImporter {
public:
    LImporter();
    virtual ~LImporter();
    LImporter(const LImporter&) = delete;
    LImporter& operator=(const LImporter&) = delete;

    // Replaces the model once the file has been read whole; false when it cannot be used.
    virtual bool loadFile(const char* path) = 0;
    // Destroys every mesh, then every light, then every material.
    virtual void clear();

    std::uint32_t getMeshCount() const;
    std::uint32_t getLightCount() const;
    std::uint32_t getMaterialCount() const;
    LMesh& getMesh(std::uint32_t index);
    LLight& getLight(std::uint32_t index);
    LMaterial& getMaterial(std::uint32_t index);
    // First object in list order whose name matches exactly, or nullptr.
    LMesh* findMesh(const std::string& name);
    LMaterial* findMaterial(const std::string& name);

protected:
    std::vector<LLight> m_lights;
    std::vector<LMesh> m_meshes;
    std::vector<LMaterial> m_materials;
    std::int32_t m_postProcessLevel = 2;
};
