#pragma once

#include "model3ds/LChunk.h"
#include "model3ds/LImporter.h"

#include <cstddef>
#include <cstdint>
#include <memory>

// Importer for the 3DS chunk format. The whole file is read with one read, parsed from
// memory and released before the load returns. Loading never throws an error of its own
// and prints nothing: its only report is the boolean result.
class L3DS : public LImporter {
public:
    L3DS();
    ~L3DS() override;

    bool loadFile(const char* path) override;
    // Loads a model from bytes already in memory, as loadFile does after its read.
    bool loadFromMemory(const std::uint8_t* data, std::size_t size);

protected:
    void seek(std::uint32_t offset);
    void gotoChunk(const LChunk& chunk);
    std::uint8_t readByte();
    std::uint16_t readWord();
    std::uint32_t readDword();
    float readFloat();
    int readString(char* dest, int max);
    LChunk readChunk();
    bool findChunk(LChunk& key, const LChunk& parent);
    LColor3 readColor(const LChunk& chunk);
    float readPercentage(const LChunk& chunk);
    bool parse();

    void readMaterial(const LChunk& chunk);
    void readMap(const LChunk& chunk, LMap& map);
    void readLight(const LChunk& chunk);
    void readMesh(const LChunk& chunk);
    void readFaceList(const LChunk& chunk, LMesh& mesh);
    void readKeyframeNode(const LChunk& chunk);

    char m_objName[100] = {};
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint32_t m_bufferSize = 0;
    std::uint32_t m_readPos = 0;
};
