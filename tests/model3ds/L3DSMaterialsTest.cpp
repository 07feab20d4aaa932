#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void fileName(ChunkWriter& w, std::string_view name)
{
    w.chunk(ChunkId::MapFileName, [&] { w.string(name); });
}

TEST(L3DSMaterials, ColoursPercentagesAndShading)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        material(w, "painted", [&](ChunkWriter&) {
            w.chunk(ChunkId::Ambient, [&] { colorBytes(w, 255, 128, 0); });
            w.chunk(ChunkId::Diffuse, [&] { colorFloats(w, 0.25f, 2.0f, -1.0f); });
            w.chunk(ChunkId::Specular, [&] { w.chunk(0x0020, [&] { reals(w, {0.5f, 0.5f, 0.5f}); }); });
            w.chunk(ChunkId::Shininess, [&] { percentWord(w, 150); });
            w.chunk(ChunkId::Transparency, [&] { w.chunk(ChunkId::PercentFloat, [&] { w.real(0.25f); }); });
            w.chunk(ChunkId::WireframeShading, [] {});
            w.chunk(ChunkId::Shading, [&] { w.word(3); });
            w.chunk(ChunkId::Shading, [&] { w.word(7); });
        });
        material(w, "dull", [&](ChunkWriter&) { w.chunk(ChunkId::Shininess, [&] { percentWord(w, -20); }); });
    })));
    ASSERT_EQ(model.getMaterialCount(), 2u);
    const LMaterial& painted = model.getMaterial(0);
    EXPECT_EQ(painted.m_ambient.r, 1.0f);
    EXPECT_EQ(painted.m_ambient.g, 128.0f / 255.0f);
    EXPECT_EQ(painted.m_ambient.b, 0.0f);
    EXPECT_EQ(painted.m_diffuse.g, 2.0f);
    EXPECT_EQ(painted.m_diffuse.b, -1.0f);
    EXPECT_EQ(painted.m_specular.r, 0.0f);  // 0x0020 is no colour chunk
    EXPECT_EQ(painted.m_shininess, 1.0f);
    EXPECT_EQ(painted.m_transparency, 0.25f);
    EXPECT_EQ(painted.m_shading, Phong);
    EXPECT_EQ(model.getMaterial(1).m_shininess, 0.0f);
    EXPECT_EQ(model.getMaterial(1).m_shading, Gouraud);
}

TEST(L3DSMaterials, MapsAndNameLengths)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        material(w, std::string(40, 'm'), [&](ChunkWriter&) {
            w.chunk(ChunkId::TexMap1, [&] {
                percentWord(w, 40);
                fileName(w, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
                w.chunk(ChunkId::MapScale1, [&] { w.real(2.0f); });
                w.chunk(ChunkId::MapAngle, [&] { w.real(45.0f); });
            });
            // A second map chunk of the same kind changes only what it carries.
            w.chunk(ChunkId::TexMap1, [&] { w.chunk(ChunkId::MapOffset1, [&] { w.real(0.5f); }); });
            w.chunk(ChunkId::BumpMap, [&] { w.chunk(ChunkId::PercentFloat, [&] { w.real(0.75f); }); });
        });
    })));
    const LMaterial& textured = model.getMaterial(0);
    EXPECT_EQ(textured.getName(), std::string(29, 'm'));
    EXPECT_EQ(textured.m_texMap1.m_strength, 0.4f);
    EXPECT_STREQ(textured.m_texMap1.m_fileName, "ABCDEFGHIJKLMNOPQRS");
    EXPECT_EQ(textured.m_texMap1.m_scale1, 2.0f);
    EXPECT_EQ(textured.m_texMap1.m_scale2, 1.0f);
    EXPECT_EQ(textured.m_texMap1.m_offset1, 0.5f);
    EXPECT_EQ(textured.m_texMap1.m_angle, 45.0f);
    EXPECT_EQ(textured.m_bumpMap.m_strength, 0.0f);  // maps take only the word percentage
}

TEST(L3DSMaterials, ReflectionMapNeedsAFileNameInSecondPlace)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        material(w, "automatic", [&](ChunkWriter&) {
            w.chunk(ChunkId::ReflectionMap, [&] {
                percentWord(w, -50);
                fileName(w, "");
            });
        });
        material(w, "dropped", [&](ChunkWriter&) {
            w.chunk(ChunkId::ReflectionMap, [&] {
                percentWord(w, 50);
                w.chunk(ChunkId::MapScale1, [&] { w.real(1.0f); });
            });
        });
        material(w, "named", [&](ChunkWriter&) {
            w.chunk(ChunkId::ReflectionMap, [&] {
                w.chunk(ChunkId::PercentFloat, [&] { w.real(0.25f); });
                fileName(w, "sky.png");
            });
            w.chunk(ChunkId::Shading, [&] { w.word(1); });
        });
    })));
    ASSERT_EQ(model.getMaterialCount(), 2u);
    const LMaterial& automatic = model.getMaterial(0);
    EXPECT_STREQ(automatic.m_reflectionMap.m_fileName, "auto");
    EXPECT_EQ(automatic.m_reflectionMap.m_strength, -0.5f);
    const LMaterial& named = model.getMaterial(1);
    EXPECT_EQ(named.getName(), "named");
    EXPECT_EQ(named.m_id, 1);
    EXPECT_STREQ(named.m_reflectionMap.m_fileName, "");
    EXPECT_EQ(named.m_reflectionMap.m_strength, 0.25f);
    EXPECT_EQ(named.m_shading, Flat);  // the walk goes on after the reflection map
}

}  // namespace
