#include "ScriptServerTest.h"

#include "Marlo32.h"

#include <algorithm>

namespace scripttest {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

bool IsLoginCommand(const std::string& command)
{
    for (const char* verb : {"AUTH ", "USER ", "PASS ", "OPTS ", "FEAT", "SYST", "TYPE ", "QUIT"}) {
        if (command.rfind(verb, 0) == 0)
            return true;
    }
    return false;
}

}  // namespace

ScriptServerTest::ScriptServerTest() : local(folder.Path() / "local")
{
    std::filesystem::create_directories(local);
}

std::string ScriptServerTest::Script(std::string text) const
{
    ReplaceAll(text, "LOGIN", "login " + server.HostPort() + " " + server.User() + " " + server.Password());
    ReplaceAll(text, "LOCAL", local.string());
    return text;
}

int ScriptServerTest::Run(const std::string& text)
{
    const std::string path = folder.Write("script.txt", Script(text));
    return Marlo_Execute2(path.c_str(), 0, &EchoRecorder::Client, &EchoRecorder::Server);
}

std::vector<std::string> ScriptServerTest::CommandsSince(size_t mark) const
{
    const std::vector<std::string> all = server.Commands();
    return mark >= all.size() ? std::vector<std::string>{} : std::vector<std::string>(all.begin() + mark, all.end());
}

int ScriptServerTest::CountSince(size_t mark, const std::string& prefix) const
{
    const std::vector<std::string> commands = CommandsSince(mark);
    return static_cast<int>(std::count_if(commands.begin(), commands.end(),
                                          [&](const std::string& c) { return c.rfind(prefix, 0) == 0; }));
}

std::vector<std::string> ScriptServerTest::WorkSince(size_t mark) const
{
    std::vector<std::string> work;
    for (const std::string& command : CommandsSince(mark)) {
        if (!IsLoginCommand(command))
            work.push_back(command);
    }
    return work;
}

std::string ScriptServerTest::ClientText() const
{
    std::string all;
    for (const std::string& text : echo.client)
        all += text;
    return all;
}

std::string ScriptServerTest::ServerText() const
{
    std::string all;
    for (const std::string& text : echo.server)
        all += text;
    return all;
}

std::string Pattern(size_t size)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i % 251);
    return bytes;
}

}  // namespace scripttest
