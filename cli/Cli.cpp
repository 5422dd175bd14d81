#include "cli/Cli.h"

#include <ostream>

namespace nl::cli {

namespace {

const char* const kUsage = R"(Usage: nordelune-cli [--help] [--version] COMMAND [ARGS]

Nordelune is an embroidery design and digitizing program; nordelune-cli is its batch face.

Options:
  --help       show this help and exit
  --version    show the version and exit

Exit codes: 0 success, 1 usage error, 2 unreadable or invalid input, 3 cannot write the output.
)";

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << kUsage;
        return EXIT_USAGE;
    }
    const std::string& cmd = args[0];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        out << kUsage;
        return EXIT_OK;
    }
    if (cmd == "--version" || cmd == "-V") {
        out << "nordelune-cli " << NL_VERSION << "\n";
        return EXIT_OK;
    }
    err << "nordelune-cli: unknown command '" << cmd << "' (see --help)\n";
    return EXIT_USAGE;
}

} // namespace nl::cli
