#pragma once
// The commands every host has: SETVAR (and the variable names themselves),
// U, BMPOUT, REGEN.
class CadSession;

void registerBuiltinCommands(CadSession& session);
