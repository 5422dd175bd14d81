// Set-up shared by the command-line tests: running nordelune-cli in the process with its output
// caught, a temporary folder whose paths come as strings (as arguments do), and the fixtures.
#pragma once
#include <sstream>
#include <string>
#include <vector>

#include "../core/TempDir.h"
#include "cli/Cli.h"

namespace nl::test {

struct TResult {
    int Code;
    std::string Out, Err;
};

inline TResult Cli(std::vector<std::string> args) {
    std::ostringstream out, err;
    int code = nl::cli::Run(args, out, err);
    return {code, out.str(), err.str()};
}

class TTemp : public TTempDir {
public:
    TTemp() : TTempDir("nl-cli-") {}
    std::string operator/(const std::string& name) const { return (Path / name).string(); }
};

inline std::string Fixture(const char* name) {
    return std::string(NL_FIXTURES_DIR) + "/" + name;
}

} // namespace nl::test
