// Prints the vendor guide's placement table, or with --update GUIDE rewrites the guide's table
// in place.
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "stowpack/format.h"
#include "stowpack/placement_table.h"

int main(int argc, char** argv) {
    using namespace stow::pack;
    const std::string table = placementTableMarkdown();
    if (argc == 3 && std::string(argv[1]) == "--update") {
        std::ifstream in(argv[2], std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        try {
            const std::string updated = withPlacementTable(text.str(), table);
            std::ofstream(argv[2], std::ios::binary | std::ios::trunc) << updated;
        } catch (const PackError& e) {
            std::cerr << argv[2] << ": " << e.what() << "\n";
            return 1;
        }
        return 0;
    }
    if (argc != 1) {
        std::cerr << "usage: stowpack_placement_table [--update GUIDE]\n";
        return 2;
    }
    std::cout << table;
    return 0;
}
