// What the three ways of running a script from the file list share: the
// folder a script runs in and the console runner that runs it apart.
#pragma once

#include <string>

// The folder of the script, where its relative paths point: the path before
// its last "/", and "/" itself for a script in the top folder.
std::string ScriptFolder(const std::string& scriptPath);
// The console runner: the machine-wide value "marlo" when set, else marlo
// beside this program.
std::string ScriptRunner();
