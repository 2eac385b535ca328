// The code look-up pop-up: validation of a typed code against its master
// table, the searchable list of the twenty master tables with rights-guarded
// add, edit and mark actions, and maintenance of a table.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/dialog.h"

namespace ui {

// mode 1 maintenance, 2 validation (an existing code is taken silently),
// other: look-up that always shows the list. The result: accepted or not;
// none in maintenance mode or when the table cannot be opened.
std::optional<bool> POPCODE(int mode, int kind, const std::string& value, std::function<void()> refreshEntry,
                            const std::string& variable, const std::string& returnAlias,
                            bool releaseAndMaintain = true, bool emptyAccepted = false);

// The add and edit dialogs of the twenty kinds register here (CEDIT01..CEDIT20).
void registerEditDialog(int kind, std::function<void(platform::Browse& list, bool append)> dialog);

void CSELECT(platform::Dialog& d, platform::Browse& list, int kind, int mode);
void CFILTER(platform::Browse& list, const std::string& code, const std::string& table);
void CSEARCH(platform::Browse& list, const std::string& code, const std::string& word, const std::string& table);
void CDELETE(platform::Browse& list, int kind);
void CEDIT(platform::Browse& list, bool append, int kind);
void COMSHOW(int kind);
// The duplicate test of the edit dialogs.
bool CODCHK(const std::string& oldCode, const std::string& newCode, int order = 1);
// Counts the records from the current one backwards whose key equals the value.
void BROWADJ(platform::Browse& list, const std::string& keyExpr, const std::string& value, int visibleRows = 15);

// The table of a kind: file and alias, title (for tests and the edit dialogs).
std::string kindTable(int kind);
std::string kindTitle(int kind);

void registerPopcodeFunctions();

}  // namespace ui
