#include "MarloCommandLine.h"

#include <string_view>

MarloCommandLine ParseMarloCommandLine(int argc, const char* const* argv)
{
    MarloCommandLine line;
    line.program = argc > 0 && argv[0] != nullptr ? argv[0] : "marlo";
    int first = 1;
    while (argc > first && argv[first] != nullptr && std::string_view(argv[first]) == "--trust-new-certs") {
        line.trustNewCerts = true;
        ++first;
    }
    if (argc > first && std::string_view(argv[first]) == "--")
        ++first;
    else if (argc > first && (std::string_view(argv[first]) == "--help" || std::string_view(argv[first]) == "-h"))
        line.action = MarloCommandLine::Action::Help;
    else if (argc > first && std::string_view(argv[first]) == "--version")
        line.action = MarloCommandLine::Action::Version;
    if (line.action == MarloCommandLine::Action::Usage && argc > first && argv[first] != nullptr) {
        line.action = MarloCommandLine::Action::Run;
        line.script = argv[first];
    }
    return line;
}
