#pragma once

#include <cstdint>

// The 3DS chunk ids this project names. The loader recognises the ones in the first part and
// skips every other id by its length; the model writers also produce the ones at the end.
namespace ChunkId {

inline constexpr std::uint16_t Main = 0x4D4D;
inline constexpr std::uint16_t Editor = 0x3D3D;

inline constexpr std::uint16_t ColorFloat = 0x0010;
inline constexpr std::uint16_t ColorByte = 0x0011;
inline constexpr std::uint16_t ColorByteGamma = 0x0012;
inline constexpr std::uint16_t ColorFloatGamma = 0x0013;
inline constexpr std::uint16_t PercentWord = 0x0030;
inline constexpr std::uint16_t PercentFloat = 0x0031;

inline constexpr std::uint16_t Material = 0xAFFF;
inline constexpr std::uint16_t MaterialName = 0xA000;
inline constexpr std::uint16_t Ambient = 0xA010;
inline constexpr std::uint16_t Diffuse = 0xA020;
inline constexpr std::uint16_t Specular = 0xA030;
inline constexpr std::uint16_t Shininess = 0xA040;
inline constexpr std::uint16_t Transparency = 0xA050;
inline constexpr std::uint16_t WireframeShading = 0xA085;
inline constexpr std::uint16_t Shading = 0xA100;
inline constexpr std::uint16_t TexMap1 = 0xA200;
inline constexpr std::uint16_t SpecularMap = 0xA204;
inline constexpr std::uint16_t OpacityMap = 0xA210;
inline constexpr std::uint16_t ReflectionMap = 0xA220;
inline constexpr std::uint16_t BumpMap = 0xA230;
inline constexpr std::uint16_t TexMap2 = 0xA33A;

inline constexpr std::uint16_t MapFileName = 0xA300;
inline constexpr std::uint16_t MapScale1 = 0xA354;
inline constexpr std::uint16_t MapScale2 = 0xA356;
inline constexpr std::uint16_t MapOffset1 = 0xA358;
inline constexpr std::uint16_t MapOffset2 = 0xA35A;
inline constexpr std::uint16_t MapAngle = 0xA35C;

inline constexpr std::uint16_t Object = 0x4000;
inline constexpr std::uint16_t Mesh = 0x4100;
inline constexpr std::uint16_t VertexList = 0x4110;
inline constexpr std::uint16_t FaceList = 0x4120;
inline constexpr std::uint16_t FaceMaterial = 0x4130;
inline constexpr std::uint16_t TexCoords = 0x4140;
inline constexpr std::uint16_t SmoothingGroups = 0x4150;
inline constexpr std::uint16_t LocalMatrix = 0x4160;
inline constexpr std::uint16_t Light = 0x4600;
inline constexpr std::uint16_t Spotlight = 0x4610;

// Skipped by the loader: format versions, the unit scale, cameras and the keyframer's
// animation of the objects above.
inline constexpr std::uint16_t Version = 0x0002;
inline constexpr std::uint16_t MeshVersion = 0x3D3E;
inline constexpr std::uint16_t MasterScale = 0x0100;
inline constexpr std::uint16_t Camera = 0x4700;
inline constexpr std::uint16_t Keyframer = 0xB000;
inline constexpr std::uint16_t ObjectNode = 0xB002;
inline constexpr std::uint16_t NodeHeader = 0xB010;
inline constexpr std::uint16_t Pivot = 0xB013;
inline constexpr std::uint16_t PositionTrack = 0xB020;
inline constexpr std::uint16_t RotationTrack = 0xB021;
inline constexpr std::uint16_t ScaleTrack = 0xB022;

}  // namespace ChunkId
