// nordelune-cli: converts, inspects, dumps and renders embroidery files with the engine.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

namespace nl::cli {

enum ExitCode { EXIT_OK = 0, EXIT_USAGE = 1, EXIT_BAD_INPUT = 2, EXIT_CANNOT_WRITE = 3 };

// Runs the command line `args` (without the program name); output to out, messages to err.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace nl::cli
