#include "model3ds/L3DS.h"
#include "model3ds/L3DSChunkIds.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>
#include <new>

L3DS::L3DS() = default;

L3DS::~L3DS() = default;

bool L3DS::loadFile(const char* path) { return readWholeFile(path) && parseBuffer(); }

bool L3DS::loadFromMemory(const std::uint8_t* data, std::size_t size)
{
    if (!allocateBuffer(size)) {
        return false;
    }
    std::copy_n(data, size, m_buffer.get());
    return parseBuffer();
}

// Offsets are 32-bit, so a larger model cannot be addressed. An empty one holds no model.
bool L3DS::allocateBuffer(std::size_t size)
{
    if (size == 0 || size > std::numeric_limits<std::uint32_t>::max()) {
        return false;
    }
    m_buffer.reset(new (std::nothrow) std::uint8_t[size]());
    m_bufferSize = m_buffer ? static_cast<std::uint32_t>(size) : 0;
    return m_buffer != nullptr;
}

// Leaves the model untouched on failure: it is emptied only once the file is held whole.
bool L3DS::readWholeFile(const char* path)
{
    m_readError = 0;
    m_readEmptyFile = false;
    m_readNotRegularFile = false;
    // Without O_NONBLOCK, opening a named pipe that nobody writes to would wait for ever.
    const int descriptor = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (descriptor < 0) {
        m_readError = errno;
        return false;
    }
    const bool read = readOpenFile(descriptor);
    close(descriptor);
    return read;
}

bool L3DS::readOpenFile(int descriptor)
{
    struct stat status {};
    if (fstat(descriptor, &status) != 0) {
        m_readError = errno;
        return false;
    }
    // A folder opens for reading, but its size means nothing and its reads fail.
    if (S_ISDIR(status.st_mode)) {
        m_readError = EISDIR;
        return false;
    }
    // The size of a pipe or device says nothing of what it holds, and its reads may never end.
    if (!S_ISREG(status.st_mode)) {
        m_readNotRegularFile = true;
        return false;
    }
    if (status.st_size <= 0) {
        m_readEmptyFile = true;
        return false;
    }
    const auto size = static_cast<std::uint64_t>(status.st_size);
    if (size > std::numeric_limits<std::uint32_t>::max()) {
        m_readError = EFBIG;
        return false;
    }
    if (!allocateBuffer(static_cast<std::size_t>(size))) {
        m_readError = ENOMEM;
        return false;
    }
    for (std::size_t done = 0; done < size;) {
        const ssize_t count = ::read(descriptor, m_buffer.get() + done, size - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            // A file that ends before its size was read has been cut short under us.
            m_readError = count < 0 ? errno : EIO;
            releaseBuffer();
            return false;
        }
        done += static_cast<std::size_t>(count);
    }
    return true;
}

void L3DS::releaseBuffer()
{
    m_buffer.reset();
    m_bufferSize = 0;
}

bool L3DS::parseBuffer()
{
    clear();
    const bool parsed = parse();
    releaseBuffer();
    return parsed;
}

bool L3DS::parse()
{
    m_readPos = 0;
    LChunk model;
    if (!readHeaderAt(0, model) || model.id != ChunkId::Main) {
        return false;
    }
    LChunk editor{ChunkId::Editor};
    if (!findChunk(editor, model)) {
        return false;
    }

    // Every material is read before any object, so face-material chunks find them by name.
    seek(editor.start);
    LChunk material{ChunkId::Material};
    while (findChunk(material, editor)) {
        readMaterial(material);
        seek(material.end);
    }

    m_materialsByName.clear();  // a load cut short by an exception may have left entries
    for (const LMaterial& known : m_materials) {
        m_materialsByName.try_emplace(known.getName(), &known);
    }

    seek(editor.start);
    LChunk object{ChunkId::Object};
    while (findChunk(object, editor)) {
        readString(m_objName, static_cast<int>(sizeof m_objName) - 1);
        // Content running past its object would be read again by the objects after it.
        LChunk content;
        if (readSubChunk(m_readPos, object, content)) {
            if (content.id == ChunkId::Mesh) {
                readMesh(content);
            } else if (content.id == ChunkId::Light) {
                readLight(content);
            }
        }
        seek(object.end);
    }

    m_materialsByName.clear();

    // The keyframer chunk (0xB000) only animates the objects read above and changes nothing
    // in the model, so it is not visited.
    postProcessMeshes();
    m_readPos = 0;
    m_objName[0] = '\0';
    return true;
}

void L3DS::postProcessMeshes()
{
    for (LMesh& mesh : m_meshes) {
        switch (m_postProcessLevel) {
            case 0:
                mesh.transformVertices();
                break;
            case 1:
                mesh.transformVertices();
                mesh.calcNormals(false);
                break;
            case 2:
                mesh.transformVertices();
                mesh.calcNormals(true);
                mesh.calcTextureSpace();
                break;
            default:
                break;
        }
    }
}
