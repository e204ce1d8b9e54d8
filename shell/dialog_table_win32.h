// The program's dialog templates and the procedure that runs each one, as
// the Win32 notices service opens them (Notices::RunDialog).
#pragma once
#include <windows.h>

// Null for a template the program does not have.
DLGPROC DialogProcedureFor(int templateId);
