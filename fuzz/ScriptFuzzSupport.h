// What the script engine's fuzzers share: which inputs may run, and an engine
// that prints nothing. The engine runs against NetvoStub.cpp, so nothing
// reaches a network or the process's files through the FTP library.
#pragma once

#include <string_view>

class CScriptEngine;

namespace fuzz {

// False for scripts that could write a file or run for long here:
//  - "logfile" opens the trace log's file at any path the script names, the
//    only write that does not go through the FTP library (which the stub
//    keeps from touching anything). Running in a scratch folder would not
//    help: absolute and "../" paths leave it.
//  - retry counts of three digits and more: every attempt fails at once
//    against the stub, and 2^31 attempts would still take hours. Rules
//    without a count pause between attempts, and the stub's pause ends a
//    run's retrying after a few pauses, as a host's cancel would.
// Keywords are whole words in any case, and a script has no way to build
// one from pieces, so a case-blind search finds every use.
bool MayRun(std::string_view script);

// Sends echoes and trace lines nowhere, and starts a new input for the stub.
void Prepare(CScriptEngine& engine, bool echo);
// Leaves the process as the next input expects it (no trace flag).
void Finish();

}  // namespace fuzz

// In NetvoStub.cpp: forgets the pauses of the previous input.
void NetvoStubNewInput();
