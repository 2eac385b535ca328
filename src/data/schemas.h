// The monthly tables: where they lie, how they are named, the structure of
// each kind; creating one table or a whole new month.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "rdd/dbf.h"

namespace data {

// The fields of a named structure ("R01_", "IV__", "VCH1" ...); null when unknown.
const std::vector<rdd::FieldDef>* structure(const std::string& name);

struct PeriodFile {
  std::string prefix;     // table name before the short period ("R01_"), or a whole pattern
  std::string structure;  // structure name
};
// The files of a period in the order DATACREA creates them (without the
// journal-book files, which depend on the book master).
const std::vector<PeriodFile>& periodFiles();
// The table name of a period file: prefix + yymm, with the exceptions of the
// vouchers ("ARO" + yymm + "1") and the lock file ("L_" + period).
std::string periodTableName(const PeriodFile& f, const std::string& period);

// The folder of a period: CDRV2 + "D_" + period + "\".
std::string periodFolder(const std::string& period);

void DBFCREA(const std::string& structureName, const std::string& period, const std::string& fileName);
// The confirmation dialog before a new month is created.
bool CREACONF(const std::string& period);
// Asks for confirmation (CREACONF unless another is given), creates every
// missing table of the period and the files of the journal books.
void DATACREA(const std::string& period, const std::function<bool(const std::string&)>& confirm = CREACONF);

}  // namespace data
