#pragma once
// The favourite folders of the computer pane: what the settings store loads and saves and
// what the favourites menu and editor show. FavAliasList and FavPathList: index i of one
// belongs to index i of the other.

#include <string>
#include <vector>

namespace q7k3 {

struct Favourites {
    std::vector<std::string> Alias;
    std::vector<std::string> Path;
};

}  // namespace q7k3
