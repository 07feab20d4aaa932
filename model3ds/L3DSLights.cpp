#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"

// The position comes first, then the colour and spotlight sub-chunks.
void L3DS::readLight(const LChunk& chunk)
{
    LLight light;
    light.setName(m_objName);
    gotoChunk(chunk);
    light.m_position = readVector();
    LChunk sub;
    for (std::uint32_t offset = m_readPos; readSubChunk(offset, chunk, sub); offset = sub.end) {
        switch (sub.id) {
            case ChunkId::ColorFloat:
            case ChunkId::ColorByte:
            case ChunkId::ColorByteGamma:
            case ChunkId::ColorFloatGamma:
                light.m_color = readColor(sub);
                break;
            case ChunkId::Spotlight:
                light.m_spotlight = true;
                light.m_target = readVector();
                light.m_hotspot = readFloat();
                light.m_falloff = readFloat();
                break;
            default:
                break;
        }
    }
    m_lights.push_back(light);
}
