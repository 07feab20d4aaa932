#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

namespace {

TEST(L3DSLights, PositionColourAndSpotlight)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        objectBlock(w, "spot", ChunkId::Light, [&](ChunkWriter&) {
            reals(w, {1, 2, 3});
            w.chunk(ChunkId::ColorFloatGamma, [&] { reals(w, {0.5f, 0.25f, 1.0f}); });
            w.chunk(ChunkId::Spotlight, [&] { reals(w, {4, 5, 6, 30, 45}); });
        });
        objectBlock(w, "omni", ChunkId::Light, [&](ChunkWriter&) {
            reals(w, {-1, -2, -3});
            colorBytes(w, 0, 51, 255);
        });
    })));
    ASSERT_EQ(model.getLightCount(), 2u);
    const LLight& spot = model.getLight(0);
    EXPECT_EQ(spot.getName(), "spot");
    EXPECT_EQ(spot.m_position.y, 2.0f);
    EXPECT_EQ(spot.m_color.g, 0.25f);
    EXPECT_TRUE(spot.m_spotlight);
    EXPECT_EQ(spot.m_target.x, 4.0f);
    EXPECT_EQ(spot.m_target.z, 6.0f);
    EXPECT_EQ(spot.m_hotspot, 30.0f);
    EXPECT_EQ(spot.m_falloff, 45.0f);

    const LLight& omni = model.getLight(1);
    EXPECT_EQ(omni.getName(), "omni");
    EXPECT_EQ(omni.m_position.z, -3.0f);
    EXPECT_EQ(omni.m_color.g, 0.2f);
    EXPECT_EQ(omni.m_color.b, 1.0f);
    EXPECT_FALSE(omni.m_spotlight);
    EXPECT_EQ(omni.m_hotspot, 0.0f);
}

}  // namespace
