// Folder and file commands that are sent once: lcd, mkdir, rmdir, delete and
// rename.
#include "ScriptEngine.h"
#include "TraceLog.h"

#include <netvo32.h>

// lcd <folder>: the local working folder of the whole process.
int CScriptEngine::ExecLcd(CScriptValue& value)
{
    g_TraceLog.Trace("ExecLcd: Begin");
    std::string folder;
    const int code = ReadText(folder) ? ftp_lcd(folder.c_str()) : SyntaxError("Lcd", "<string>", m_Tokenizer.GetText());
    return EndStatement(value, "ExecLcd", "Lcd", code);
}

int CScriptEngine::ExecMkDir(CScriptValue& value)
{
    g_TraceLog.Trace("ExecMkDir: Begin");
    std::string name;
    int code;
    if (!ReadText(name)) {
        code = SyntaxError("Mkdir", "<string>", m_Tokenizer.GetText());
    } else {
        g_TraceLog.Trace("ExecMkDir: MkDir %s", name.c_str());
        code = LibraryCall([&](int handle) { return ftp_mkdir(handle, name.c_str()); });
    }
    return EndStatement(value, "ExecMkDir", "mkdir", code);
}

int CScriptEngine::ExecRmDir(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRmDir: Begin");
    std::string name;
    int code;
    if (!ReadText(name)) {
        code = SyntaxError("Rmdir", "<string>", m_Tokenizer.GetText());
    } else {
        g_TraceLog.Trace("ExecRmDir: RmDir %s", name.c_str());
        code = LibraryCall([&](int handle) { return ftp_rmdir(handle, name.c_str()); });
    }
    return EndStatement(value, "ExecRmDir", "rmdir", code);
}

int CScriptEngine::ExecDelete(CScriptValue& value)
{
    g_TraceLog.Trace("ExecDelete: Begin");
    std::string name;
    int code;
    if (!ReadText(name)) {
        code = SyntaxError("Delete", "<string>", m_Tokenizer.GetText());
    } else {
        g_TraceLog.Trace("ExecDelete: Delete %s", name.c_str());
        code = LibraryCall([&](int handle) { return ftp_delete(handle, name.c_str()); });
    }
    return EndStatement(value, "ExecDelete", "delete", code);
}

// rename <old> <new>
int CScriptEngine::ExecRename(CScriptValue& value)
{
    g_TraceLog.Trace("ExecRename: Begin");
    std::string oldName;
    std::string newName;
    int code;
    if (!ReadText(oldName) || !ReadText(newName)) {
        code = SyntaxError("Rename", "<string> <string>", m_Tokenizer.GetText());
    } else {
        g_TraceLog.Trace("ExecRename: Rename %s to %s", oldName.c_str(), newName.c_str());
        code = m_pCurSession->FtpRename(oldName, newName);
    }
    return EndStatement(value, "ExecRename", "rename", code);
}
