// The report condition dialog of the generic reports: the kinds recognised
// by the report code, their tables, default ranges and dialog, the
// work-table build from OK, the review browse and printing.
#pragma once

#include <functional>
#include <string>

namespace engine {

enum class ReportKind { None, StockMovement, Ledger, LedgerByGroup, Statement, StockDocuments, Adjustments, GeneralLedger, CodeList };

ReportKind reportKind(const std::string& code);

// The work-table build of the stock and account reports (REPFCREATE); true
// when a work table "RepData" was built.
void setWorkTableBuilder(std::function<bool()> build);

void GETCOND();

}  // namespace engine
