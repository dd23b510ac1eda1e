#pragma once

#include "ConnectionSettings.h"
#include "DatabaseSession.h"
#include "Interaction.h"
#include "TableList.h"

// Refills list with the user tables of the database the connection values name: rows of type
// "TABLE" exactly, in the order the tables schema gives them, except names whose upper-case
// form contains "SYS". Yields once per "TABLE" row. Has no failure handling of its own: the
// first failure ends it and reaches the caller, and the list keeps what it held at that
// moment (untouched when the session or the schema could not be opened).
void FillTableList(TableList& list, const SessionFactory& createSession,
                   const ConnectionSettings& values, Interaction& interaction);
