#pragma once

#include "model3ds/LChunk.h"
#include "model3ds/LImporter.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <unordered_map>

// Importer for the 3DS chunk format. The whole file is read with one read, parsed from
// memory and released before the load returns. Loading never throws an error of its own
// and prints nothing: it reports through its boolean result, and keeps why the file could not
// be read for a caller that explains a failed load.
class L3DS : public LImporter {
public:
    L3DS();
    ~L3DS() override;

    bool loadFile(const char* path) override;
    // Loads a model from bytes already in memory, as loadFile does after its read.
    bool loadFromMemory(const std::uint8_t* data, std::size_t size);

    // Why the last loadFile read nothing to parse: the errno of the open, status query or read
    // that failed (EISDIR for a folder, EFBIG past the 32-bit offsets), or 0 when the file was
    // read whole. An empty file reads without error but holds nothing: readEmptyFile(). A named
    // pipe, device or socket is not read at all: readNotRegularFile().
    int readError() const { return m_readError; }
    bool readEmptyFile() const { return m_readEmptyFile; }
    bool readNotRegularFile() const { return m_readNotRegularFile; }

protected:
    // Offsets at or past the end of the buffer go to its last byte.
    void seek(std::uint32_t offset);
    void gotoChunk(const LChunk& chunk);
    // A read past the end of the buffer gives 0 and leaves the position where it is.
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

    char m_objName[100] = {};
    std::unique_ptr<std::uint8_t[]> m_buffer;
    std::uint32_t m_bufferSize = 0;
    std::uint32_t m_readPos = 0;

private:
    bool allocateBuffer(std::size_t size);
    bool readWholeFile(const char* path);
    bool readOpenFile(int descriptor);
    void releaseBuffer();
    bool parseBuffer();
    void postProcessMeshes();

    std::uint32_t readLittleEndian(std::uint32_t width);
    Vec3 readVector();
    void skipString();
    bool readHeaderAt(std::uint32_t offset, LChunk& chunk);
    bool readSubChunk(std::uint32_t offset, const LChunk& container, LChunk& sub);

    float readClampedPercentage();
    bool readReflectionMap(LMap& map);

    std::uint16_t readCount(const LChunk& chunk, std::uint32_t recordSize);
    void readVertices(const LChunk& chunk, LMesh& mesh);
    void readTexCoords(const LChunk& chunk, LMesh& mesh);
    void readLocalMatrix(LMesh& mesh);
    void readFaceMaterial(LMesh& mesh);

    // findMaterial's answers by name, made once all materials are read: a file may hold
    // many materials and many face-material chunks, and a scan for each would be quadratic.
    std::unordered_map<std::string_view, const LMaterial*> m_materialsByName;
    int m_readError = 0;
    bool m_readEmptyFile = false;
    bool m_readNotRegularFile = false;
};
