// What the command line of marlo asks for.
#pragma once

#include <string>

struct MarloCommandLine {
    enum class Action { Usage, Help, Version, Run };
    Action action = Action::Usage;
    std::string program;  // the first word, as the user typed it
    std::string script;
    // Certificates that cannot be verified are added to the trusted file
    // instead of failing the login.
    bool trustNewCerts = false;
};

// Leading "--trust-new-certs" options set trustNewCerts. Then the first
// argument is the script path, unless it is --help, -h or
// --version; "--" makes the next argument the path whatever it looks like.
// Further arguments are ignored, as schedulers may add their own.
MarloCommandLine ParseMarloCommandLine(int argc, const char* const* argv);
