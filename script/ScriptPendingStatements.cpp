// Statements of the language whose handlers are not written yet. Each is in
// the dispatch tables already; until it is written it answers like an
// unknown word, so a script that uses it stops with the syntax message.
#include "ScriptEngine.h"

#define SCRIPT_PENDING_STATEMENT(name) \
    int CScriptEngine::name(CScriptValue& value) { return UnknownStatement(value); }

SCRIPT_PENDING_STATEMENT(ExecIf)
SCRIPT_PENDING_STATEMENT(Test)
SCRIPT_PENDING_STATEMENT(ExecFunction)
SCRIPT_PENDING_STATEMENT(ExecRemote)
SCRIPT_PENDING_STATEMENT(ExecExists)
SCRIPT_PENDING_STATEMENT(ExecFilesize)
SCRIPT_PENDING_STATEMENT(ExecFileDate)
SCRIPT_PENDING_STATEMENT(ExecFiledatetime)
