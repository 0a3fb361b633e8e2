#pragma once
// The fixed folder maps of the Normal and PRO modes. The phone is not asked for its
// folders there: every real folder has a one-character identifier that depends on the
// model family (E700 and E800 number their folders differently from the others).

#include <memory>
#include <string_view>

#include "phonefs/Tree.h"

namespace q7k3 {

enum class MapKind { Normal, Pro };

// True for the models whose folders follow the E family's numbering.
bool IsEFamily(std::string_view modelCode);

// Builds the map for the model with AddFolder, row by row, so the sibling order is the
// map's order. The root's name is the model code.
std::unique_ptr<Tree4> BuildFolderMap(MapKind kind, std::string_view modelCode);

}  // namespace q7k3
