#include "tests/model3ds/ModelFile.h"

#include <gtest/gtest.h>

#include <string>

namespace {

void percentWord(ChunkWriter& w, std::int16_t percent)
{
    w.chunk(0x0030, [&] { w.word(static_cast<std::uint16_t>(percent)); });
}

void fileName(ChunkWriter& w, std::string_view name)
{
    w.chunk(0xA300, [&] { w.string(name); });
}

TEST(L3DSMaterials, ColoursPercentagesAndShading)
{
    TestImporter model;
    ASSERT_TRUE(model.load(modelFile([](ChunkWriter& w) {
        material(w, "painted", [&](ChunkWriter&) {
            w.chunk(0xA010, [&] {
                w.chunk(0x0011, [&] {
                    for (const std::uint8_t channel : {255, 128, 0}) {
                        w.byte(channel);
                    }
                });
            });
            w.chunk(0xA020, [&] { w.chunk(0x0010, [&] { reals(w, {0.25f, 2.0f, -1.0f}); }); });
            w.chunk(0xA030, [&] { w.chunk(0x0020, [&] { reals(w, {0.5f, 0.5f, 0.5f}); }); });
            w.chunk(0xA040, [&] { percentWord(w, 150); });
            w.chunk(0xA050, [&] { w.chunk(0x0031, [&] { w.real(0.25f); }); });
            w.chunk(0xA085, [] {});
            w.chunk(0xA100, [&] { w.word(3); });
            w.chunk(0xA100, [&] { w.word(7); });
        });
        material(w, "dull", [&](ChunkWriter&) { w.chunk(0xA040, [&] { percentWord(w, -20); }); });
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
            w.chunk(0xA200, [&] {
                percentWord(w, 40);
                fileName(w, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
                w.chunk(0xA354, [&] { w.real(2.0f); });
                w.chunk(0xA35C, [&] { w.real(45.0f); });
            });
            // A second map chunk of the same kind changes only what it carries.
            w.chunk(0xA200, [&] { w.chunk(0xA358, [&] { w.real(0.5f); }); });
            w.chunk(0xA230, [&] { w.chunk(0x0031, [&] { w.real(0.75f); }); });
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
            w.chunk(0xA220, [&] {
                percentWord(w, -50);
                fileName(w, "");
            });
        });
        material(w, "dropped", [&](ChunkWriter&) {
            w.chunk(0xA220, [&] {
                percentWord(w, 50);
                w.chunk(0xA354, [&] { w.real(1.0f); });
            });
        });
        material(w, "named", [&](ChunkWriter&) {
            w.chunk(0xA220, [&] {
                w.chunk(0x0031, [&] { w.real(0.25f); });
                fileName(w, "sky.png");
            });
            w.chunk(0xA100, [&] { w.word(1); });
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
