#include "data/master_layouts.h"

#include "xbase/cp874.h"

namespace data {

namespace {

std::vector<rdd::FieldDef> f(std::initializer_list<rdd::FieldDef> l) { return l; }

std::vector<rdd::FieldDef> company() {
  return f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"ADDR1", 'C', 60, 0}, {"ADDR2", 'C', 60, 0},
            {"ADDR3", 'C', 60, 0}, {"TELEPHONE", 'C', 30, 0}, {"ATTENTION", 'C', 30, 0}, {"PAYMENT", 'C', 10, 0},
            {"TAX_ID", 'C', 13, 0}, {"TRD_DISC", 'C', 15, 0}, {"CSH_DISC", 'C', 15, 0}, {"VATCASE", 'C', 1, 0},
            {"GROUP", 'C', 4, 0}, {"SECTION", 'C', 4, 0}, {"CREDIT", 'N', 4, 0}});
}

std::vector<rdd::FieldDef> simple() { return f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 40, 0}}); }

}  // namespace

const std::vector<MasterLayout>& masterLayouts() {
  static const std::vector<MasterLayout> all = {
      {"DataSet", f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 60, 0}, {"ADDR1", 'C', 60, 0}, {"ADDR2", 'C', 60, 0},
                     {"ADDR3", 'C', 60, 0}, {"TAX_ID", 'C', 13, 0}, {"DRIVE1", 'C', 60, 0}, {"DRIVE2", 'C', 60, 0},
                     {"DRIVE3", 'C', 60, 0}, {"DRIVE4", 'C', 60, 0}})},
      {"Employee", f({{"CODE", 'C', 10, 0}, {"NAME", 'C', 30, 0}, {"FIRSTNAME", 'C', 20, 0}, {"LASTNAME", 'C', 30, 0},
                      {"TRUSTEE", 'C', 60, 0}, {"REPORT", 'C', 10, 0}, {"SECTION", 'C', 4, 0}, {"SALARY", 'N', 12, 2}})},
      {"RepList", f({{"CODE", 'C', 10, 0}, {"NAME", 'C', 60, 0}})},
      {"Product", f({{"CODE", 'C', 20, 0}, {"CODE2", 'C', 20, 0}, {"BARCODE", 'C', 13, 0}, {"NAME1", 'C', 60, 0},
                     {"UNIT", 'C', 4, 0}, {"GROUP", 'C', 4, 0}, {"PRICE", 'N', 14, 2}, {"COST", 'N', 14, 2}})},
      {"Vendor", company()},
      {"Custom", company()},
      {"Section", simple()},
      {"Unit", simple()},
      {"Whouse", simple()},
      {"GProduct", simple()},
      {"GVendor", simple()},
      {"GCustom", simple()},
      {"AccBook", f({{"CODE", 'C', 3, 0}, {"NAME", 'C', 40, 0}, {"VAT", 'C', 1, 0}, {"CSNO", 'N', 12, 0}, {"POST", 'C', 1, 0}})},
      {"AccCode", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"TYPE", 'C', 1, 0}})},
      {"Consec", f({{"CODE", 'C', 3, 0}, {"GROUP", 'C', 4, 0}, {"NAME", 'C', 40, 0}, {"CSNO", 'N', 12, 0}})},
      {"Money", f({{"CODE", 'C', 4, 0}, {"NAME", 'C', 40, 0}, {"RATE", 'N', 14, 6}})},
      {"Payroll", simple()},
      {"Person", simple()},
      {"TaxType", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}})},
      {"TaxPay", f({{"CODE", 'C', 20, 0}, {"NAME", 'C', 60, 0}, {"RATE", 'N', 6, 2}})},
  };
  return all;
}

const MasterLayout* masterLayout(const std::string& table) {
  for (const MasterLayout& m : masterLayouts())
    if (xbase::upper(m.table) == xbase::upper(table)) return &m;
  return nullptr;
}

}  // namespace data
