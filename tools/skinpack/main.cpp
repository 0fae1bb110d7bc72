#include <iostream>

#include "skinpack.h"

int main(int argc, char** argv) {
    return velmap::skinpack::Run(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
