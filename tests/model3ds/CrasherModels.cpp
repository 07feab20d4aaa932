#include "tests/model3ds/CrasherModels.h"

#include "model3ds/L3DSChunkIds.h"

namespace {

void triangle(ChunkWriter& w)
{
    vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
    faceList(w, {{0, 1, 2}});
}

Bytes triangleModel()
{
    return modelFile([](ChunkWriter& w) { meshObject(w, "triangle", triangle); });
}

}  // namespace

Bytes shortChunksEverywhere(std::uint32_t length)
{
    return modelFile([&](ChunkWriter& w) {
        material(w, "kept", [&](ChunkWriter&) {
            w.chunk(ChunkId::TexMap1, [&] { w.header(ChunkId::MapFileName, length); });
            w.header(ChunkId::Shading, length);
        });
        meshObject(w, "kept", [&](ChunkWriter&) {
            vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
            faceList(w, {{0, 1, 2}}, [&](ChunkWriter&) {
                w.chunk(0x4170, [] {});  // header only, 6 bytes: a chunk like any other
                faceMaterial(w, "kept", {0});
                w.header(ChunkId::SmoothingGroups, length);
                w.dword(9);
            });
            w.header(ChunkId::VertexList, length);
        });
        objectBlock(w, "lamp", ChunkId::Light, [&](ChunkWriter&) {
            reals(w, {0, 0, 0});
            w.header(ChunkId::ColorFloat, length);
        });
        w.header(ChunkId::Object, length);
        meshObject(w, "unreached", [](ChunkWriter&) {});
    });
}

Bytes chunkPastItsParent()
{
    return modelFile([](ChunkWriter& w) {
        meshObject(w, "overlong", [&](ChunkWriter&) {
            w.header(ChunkId::VertexList, 1000);
            w.word(1);
            reals(w, {1, 2, 3});
            w.chunk(ChunkId::VertexList, [&] { w.word(2); });
        });
        meshObject(w, "after", triangle);
    });
}

Bytes fileEndsInsideVertexList()
{
    Bytes bytes = modelFile([](ChunkWriter& w) {
        meshObject(w, "cut", [&](ChunkWriter&) {
            w.chunk(ChunkId::VertexList, [&] {
                w.word(3);
                reals(w, {1, 2, 3, 4, 5, 6, 7, 8, 9});
            });
        });
    });
    bytes.resize(bytes.size() - 20);
    return bytes;
}

Bytes faceIndexPastVertices()
{
    return modelFile([](ChunkWriter& w) {
        meshObject(w, "broken", [&](ChunkWriter&) {
            vertexList(w, {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}});
            faceList(w, {{0, 1, 65535}, {0, 1, 2}, {3, 0, 1}});
        });
    });
}

Bytes countsPastTheirChunks()
{
    return modelFile([](ChunkWriter& w) {
        material(w, "m");
        meshObject(w, "named faces", [&](ChunkWriter&) {
            triangle(w);
            faceList(w, {{0, 1, 2}}, [&](ChunkWriter&) {
                w.chunk(ChunkId::FaceMaterial, [&] {
                    w.string("m");
                    w.word(65535);
                });
            });
        });
        meshObject(w, "huge", [&](ChunkWriter&) {
            w.chunk(ChunkId::TexCoords, [&] {
                w.word(65535);
                reals(w, {0.25f, 0.75f});
            });
            w.chunk(ChunkId::VertexList, [&] {
                w.word(65535);
                reals(w, {1, 2, 3, 4, 5, 6});
            });
            w.chunk(ChunkId::FaceList, [&] {
                w.word(65535);
                for (const std::uint16_t value : {0, 1, 1, 0}) {
                    w.word(value);
                }
            });
        });
    });
}

Bytes manyObjectsWithLyingCounts(int objectCount)
{
    return modelFile([&](ChunkWriter& w) {
        for (int i = 0; i < objectCount; ++i) {
            meshObject(w, "liar", [&](ChunkWriter&) {
                w.chunk(ChunkId::VertexList, [&] { w.word(65535); });
                w.chunk(ChunkId::FaceList, [&] { w.word(65535); });
            });
        }
    });
}

Bytes meshPastItsObject()
{
    return modelFile([](ChunkWriter& w) {
        w.chunk(ChunkId::Object, [&] {
            w.string("overlong");
            w.header(ChunkId::Mesh, 6 + 1000);
        });
        meshObject(w, "after", triangle);
    });
}

Bytes deepNesting(int depth)
{
    return modelFile([&](ChunkWriter& w) {
        meshObject(w, "nested", [&](ChunkWriter&) {
            triangle(w);
            for (int level = 0; level < depth; ++level) {
                w.begin(level % 2 == 0 ? ChunkId::Mesh : ChunkId::Object);
            }
            for (int level = 0; level < depth; ++level) {
                w.end();
            }
        });
    });
}

Bytes mainChunkWithoutEditor()
{
    ChunkWriter w;
    w.chunk(ChunkId::Main, [&] { w.chunk(ChunkId::MeshVersion, [] {}); });
    return w.bytes();
}

Bytes mainChunkHeaderOnly()
{
    ChunkWriter w;
    w.chunk(ChunkId::Main, [] {});
    return w.bytes();
}

Bytes withMainChunkLength(Bytes model, std::uint32_t length)
{
    for (int i = 0; i < 4; ++i) {
        model[2 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    }
    return model;
}

std::vector<CrasherFile> crasherFiles()
{
    // The depths and counts are smaller than the loader tests use, to keep the files small, but
    // still far beyond what a reader that recursed or trusted its counts would survive.
    return {
        {"zero_length_chunks.3ds", shortChunksEverywhere(0)},
        {"chunk_length_below_header.3ds", shortChunksEverywhere(5)},
        {"chunk_past_its_parent.3ds", chunkPastItsParent()},
        {"file_ends_inside_vertex_list.3ds", fileEndsInsideVertexList()},
        {"face_index_past_vertices.3ds", faceIndexPastVertices()},
        {"counts_past_their_chunks.3ds", countsPastTheirChunks()},
        {"many_objects_with_lying_counts.3ds", manyObjectsWithLyingCounts(500)},
        {"mesh_past_its_object.3ds", meshPastItsObject()},
        {"deep_nesting.3ds", deepNesting(20000)},
        {"main_chunk_without_editor.3ds", mainChunkWithoutEditor()},
        {"main_chunk_header_only.3ds", mainChunkHeaderOnly()},
        {"main_chunk_longer_than_file.3ds", withMainChunkLength(triangleModel(), 0xFFFFFFFFu)},
        {"main_chunk_shorter_than_editor.3ds", withMainChunkLength(triangleModel(), 16)},
        {"empty_file.3ds", {}},
    };
}
