#pragma once

#include "tools/chunkwriter/ModelChunks.h"

#include <cstdint>
#include <string>
#include <vector>

// Models made of the kinds of defect that have crashed or hung 3DS readers. The loader's tests
// check what is read from them; write_crasher_files keeps them as the loader fuzzer's
// regression inputs.

// Chunks of the given length (below the 6-byte header) at every level the walks pass, between
// well-formed chunks: a material "kept", a mesh "kept" with one face, a light "lamp", and an
// object block after the short one that must not be reached.
Bytes shortChunksEverywhere(std::uint32_t length);
// A vertex list claiming to run past its mesh, then a second mesh "after" with one triangle.
Bytes chunkPastItsParent();
// A mesh "cut" whose three vertices (1 to 9) lose their last 20 bytes with the end of the file.
Bytes fileEndsInsideVertexList();
// A triangle, then faces naming vertex 65535 and vertex 3; only the face (0, 1, 2) is valid.
Bytes faceIndexPastVertices();
// A mesh whose face-material chunk claims 65535 faces, and a mesh "huge" whose texture
// coordinate (one pair), vertex (two) and face (one) lists each claim 65535 records.
Bytes countsPastTheirChunks();
// objectCount mesh objects "liar", each claiming 65535 vertices and faces and holding none.
Bytes manyObjectsWithLyingCounts(int objectCount);
// An object whose mesh runs past the object, then a mesh "after" with one triangle.
Bytes meshPastItsObject();
// A triangle mesh "nested" followed by depth chunks each nested in the one before.
Bytes deepNesting(int depth);
// A main chunk holding no editor chunk, and one holding nothing at all.
Bytes mainChunkWithoutEditor();
Bytes mainChunkHeaderOnly();
// The model with the length of its main chunk overwritten.
Bytes withMainChunkLength(Bytes model, std::uint32_t length);

struct CrasherFile {
    std::string name;  // after the defect it pins
    Bytes bytes;
};
// Every model above, as the files the loader fuzzer replays.
std::vector<CrasherFile> crasherFiles();
