#include "app/CommandLine.h"

#include <iostream>

int main(int argc, char** argv)
{
    folio::CommandLine commandLine(std::cout, std::cerr);
    return commandLine.run(std::vector<std::string>(argv + 1, argv + argc));
}
