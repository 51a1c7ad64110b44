// Prints the determinism table: for each level of a set, the tick the checking player's recorded
// run ends on when played again, and the state hash then.
//   build/determinism_table [ORDER_FILE]   (default: levels/order.txt, from the repository root)
// Every build must print tests/determinism_table.txt's lines; `build/determinism_table >
// tests/determinism_table.txt` writes them anew after a change meant to move the simulation.
// Exit status 1 when a level cannot be read, does not finish or does not replay to its end.
// Links the core alone, so that it builds wherever the simulation does (WebAssembly under node).
#include <iostream>

#include "authoring/determinism_table.h"

int main(int argc, char** argv) {
    if (argc > 2) {
        std::cerr << "usage: determinism_table [ORDER_FILE]" << std::endl;
        return 2;
    }
    const quillomar::level_set set =
        quillomar::load_level_set(argc == 2 ? argv[1] : quillomar::level_order_file);
    if (set.empty()) {
        return 1;
    }
    std::cout << "# level (and its steering when direct), tick its replay ends on, state hash then (build/determinism_table)\n";
    return quillomar::write_determinism_table(set, std::cout);
}
