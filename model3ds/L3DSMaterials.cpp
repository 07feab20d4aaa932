#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr int maxMaterialName = 30;
constexpr int maxMapFileName = 20;

}  // namespace

void L3DS::readMaterial(const LChunk& chunk)
{
    LMaterial material;
    LChunk sub;
    for (std::uint32_t offset = chunk.start; readSubChunk(offset, chunk, sub); offset = sub.end) {
        switch (sub.id) {
            case ChunkId::MaterialName: {
                char name[maxMaterialName];
                readString(name, maxMaterialName);
                material.setName(name);
                break;
            }
            case ChunkId::Ambient:
                material.m_ambient = readColor(readChunk());
                break;
            case ChunkId::Diffuse:
                material.m_diffuse = readColor(readChunk());
                break;
            case ChunkId::Specular:
                material.m_specular = readColor(readChunk());
                break;
            case ChunkId::Shininess:
                material.m_shininess = readClampedPercentage();
                break;
            case ChunkId::Transparency:
                material.m_transparency = readClampedPercentage();
                break;
            case ChunkId::WireframeShading:
                material.m_shading = Wireframe;
                break;
            case ChunkId::Shading: {
                const auto shading = static_cast<std::int16_t>(readWord());
                if (shading >= Wireframe && shading <= Metal) {
                    material.m_shading = static_cast<LShading>(shading);
                }
                break;
            }
            case ChunkId::TexMap1:
                readMap(sub, material.m_texMap1);
                break;
            case ChunkId::TexMap2:
                readMap(sub, material.m_texMap2);
                break;
            case ChunkId::OpacityMap:
                readMap(sub, material.m_opacityMap);
                break;
            case ChunkId::BumpMap:
                readMap(sub, material.m_bumpMap);
                break;
            case ChunkId::SpecularMap:
                readMap(sub, material.m_specularMap);
                break;
            case ChunkId::ReflectionMap:
                if (!readReflectionMap(material.m_reflectionMap)) {
                    return;
                }
                break;
            default:
                break;
        }
    }
    m_materials.push_back(material);
    m_materials.back().m_id = static_cast<std::int32_t>(m_materials.size() - 1);
}

float L3DS::readClampedPercentage() { return std::clamp(readPercentage(readChunk()), 0.0f, 1.0f); }

// The strength comes first, then the file name. Without a file name in second place the
// whole material is dropped (false). An empty file name is recorded as "auto"; a given one
// is not stored.
bool L3DS::readReflectionMap(LMap& map)
{
    const LChunk strength = readChunk();
    map.m_strength = readPercentage(strength);
    seek(strength.end);
    if (readChunk().id != ChunkId::MapFileName) {
        return false;
    }
    char fileName[maxMaterialName];
    if (readString(fileName, maxMaterialName) == 0) {
        std::strcpy(map.m_fileName, "auto");
    }
    return true;
}

// Fields without a chunk keep their values, so a second map chunk of the same kind updates
// only what it carries.
void L3DS::readMap(const LChunk& chunk, LMap& map)
{
    LChunk sub;
    for (std::uint32_t offset = chunk.start; readSubChunk(offset, chunk, sub); offset = sub.end) {
        switch (sub.id) {
            case ChunkId::PercentWord:
                map.m_strength = readPercentage(sub);
                break;
            case ChunkId::MapFileName:
                readString(map.m_fileName, maxMapFileName);
                break;
            case ChunkId::MapScale1:
                map.m_scale1 = readFloat();
                break;
            case ChunkId::MapScale2:
                map.m_scale2 = readFloat();
                break;
            case ChunkId::MapOffset1:
                map.m_offset1 = readFloat();
                break;
            case ChunkId::MapOffset2:
                map.m_offset2 = readFloat();
                break;
            case ChunkId::MapAngle:
                map.m_angle = readFloat();
                break;
            default:
                break;
        }
    }
}
