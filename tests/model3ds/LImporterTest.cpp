#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

namespace {

TEST(LImporter, LookUpsTakeTheFirstExactMatchAndClearEmptiesEverything)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        material(w, "twin");
        material(w, "twin");
        meshObject(w, "part", [](ChunkWriter&) {});
        meshObject(w, "Part", [](ChunkWriter&) {});
        objectBlock(w, "light", ChunkId::Light, [&](ChunkWriter&) { reals(w, {0, 0, 0}); });
    })));
    EXPECT_EQ(model.findMaterial("twin"), &model.getMaterial(0));
    EXPECT_EQ(model.findMaterial("twi"), nullptr);
    EXPECT_EQ(model.findMesh("Part"), &model.getMesh(1));
    EXPECT_EQ(model.findMesh("part "), nullptr);
    EXPECT_EQ(model.getMaterial(1).m_id, 1);

    model.clear();
    EXPECT_EQ(model.getMeshCount(), 0u);
    EXPECT_EQ(model.getLightCount(), 0u);
    EXPECT_EQ(model.getMaterialCount(), 0u);
}

}  // namespace
