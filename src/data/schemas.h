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
// Asks for confirmation (CREACONF through the dialog layer; `confirm` until
// then), creates every missing table of the period and the book files.
void DATACREA(const std::string& period, const std::function<bool(const std::string&)>& confirm);

}  // namespace data
