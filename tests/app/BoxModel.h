#pragma once

#include <string>

// A 3DS file with one closed box mesh named "Box", 12 triangles wound so that their normals
// face outwards, and one light "Lamp". The box spans x and z from -8 to 8 and y from 4 to 20
// in model coordinates: placed on the room's floor it stands 4 units above it, so that none
// of its sides lies in a room surface.
std::string boxModelFile();

// The box with two more faces that name vertices past its eight: one just past, one at the
// largest index a face can hold.
std::string boxModelFileWithStrayFaces();

// A 3DS file that loads without error but holds only the light "Lamp": no mesh.
std::string lightOnlyModelFile();
