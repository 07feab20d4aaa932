#include "tracer/Renderer.h"

void Renderer::useScene(const Scene* scene)
{
    m_scene = scene;
    // A renderer made only to read settings has no scene.
    m_packedScene = scene != nullptr ? PackedScene<kPackWidth>(*scene) : PackedScene<kPackWidth>();
    // The wide packs serve only the AVX-512 path: elsewhere they are not built.
    m_widePackedScene = scene != nullptr && searchPathRuns(SearchPath::Avx512) ? PackedScene<kWidePackWidth>(*scene)
                                                                               : PackedScene<kWidePackWidth>();
    m_faceNormals = scene != nullptr ? faceNormalsOf(*scene) : FaceNormals();
}
