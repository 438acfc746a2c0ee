// Shared by the library tests: echo callbacks that record what they receive,
// and script files in a temporary folder.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace scripttest {

// Pass Client/Server as the callbacks; they record into the recorder that
// lives now (one at a time), together with the user data they receive, which
// is not always the caller's (Marlo_ExecLine2 passes the FTP handle).
struct EchoRecorder {
    EchoRecorder();
    ~EchoRecorder();
    EchoRecorder(const EchoRecorder&) = delete;
    EchoRecorder& operator=(const EchoRecorder&) = delete;

    static int Client(std::intptr_t data, const char* text);
    static int Server(std::intptr_t data, const char* text);
    // Both channels in the order received, each text behind "client: " or
    // "server: ".
    std::vector<std::string> all;
    std::vector<std::string> client;
    std::vector<std::string> server;
    std::vector<std::intptr_t> userData;  // as each call received it
};

// A temporary folder for scripts, removed with the object.
class ScriptFolder {
public:
    ScriptFolder();
    ~ScriptFolder();
    ScriptFolder(const ScriptFolder&) = delete;
    ScriptFolder& operator=(const ScriptFolder&) = delete;

    // Writes the text unchanged and returns the file's path.
    std::string Write(const std::string& name, const std::string& text) const;
    const std::filesystem::path& Path() const { return m_path; }

private:
    std::filesystem::path m_path;
};

}  // namespace scripttest
